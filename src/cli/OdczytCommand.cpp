#include "cli/OdczytCommand.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/Registers.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "exchange/RegisterLock.h"
#include "exchange/SalesReport.h"
#include "exchange/TradeHandOver.h"
#include "util/Cp1250Literal.h"
#include "util/Plural.h"
#include "util/ScopeExit.h"

#include <QDate>

#include <cmath>

namespace cli
{

namespace
{

// The sales date of the run, for UpdateWorkPaths.
class FixedDate : public IDatePicker
{
public:
    explicit FixedDate(Date date) : date_(date) {}
    Date PickedDate() const override { return date_; }

private:
    Date date_;
};

// "Kasa 01"
QString RegisterLabel(const std::string& code)
{
    return QStringLiteral("Kasa ") + FromCore(code);
}

// Goods lines and total value of a stored readout, for the summary line.
QString ReadoutSummary(const std::string& path)
{
    std::vector<std::string> lines;
    ReadLines(path, lines);
    const std::vector<ReadoutLine> goods = ParseReadout(lines);
    double total = 0;
    for (const auto& line : goods)
        total += line.value;
    return QStringLiteral("%1 %2, wartość %3 zł")
        .arg(goods.size())
        .arg(PolishPlural<QString>(static_cast<int64_t>(goods.size()), QStringLiteral("pozycja"),
                                   QStringLiteral("pozycje"), QStringLiteral("pozycji")))
        .arg(FromCore(FormatFloat("0.00", std::round(total * 100) / 100)));
}

} // namespace

QString OdczytCommand::usage() const
{
    return QStringLiteral("[--kasa KOD]... [--data RRRR-MM-DD] [--przeslij] [--zeruj]");
}

QString OdczytCommand::description() const
{
    return QStringLiteral("Odczytuje sprzedaż wskazanych kas (bez --kasa: wszystkich kas z COM_DEF) i zapisuje "
                          "odczyty tak jak okno programu.");
}

QList<QCommandLineOption> OdczytCommand::options() const
{
    return {
        QCommandLineOption(QStringLiteral("kasa"), QStringLiteral("kod kasy z COM_DEF; można podać kilka razy"),
                           QStringLiteral("KOD")),
        QCommandLineOption(QStringLiteral("data"), QStringLiteral("data sprzedaży, domyślnie dzisiejsza"),
                           QStringLiteral("RRRR-MM-DD")),
        QCommandLineOption(QStringLiteral("przeslij"), QStringLiteral("przesyła każdy zapisany odczyt do Wolnar")),
        QCommandLineOption(QStringLiteral("zeruj"),
                           QStringLiteral("zeruje liczniki sprzedaży kasy po zapisaniu jej odczytu (i przesłaniu, "
                                          "gdy podano --przeslij)")),
    };
}

int OdczytCommand::execute(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(*this, arguments, parser, 0))
        return Failure;
    if (!parser.positionalArguments().isEmpty()) {
        PrintError(QStringLiteral("Nieoczekiwany argument polecenia odczyt: %1").arg(parser.positionalArguments()[0]));
        return Failure;
    }
    Date salesDate = Today();
    if (parser.isSet(QStringLiteral("data"))) {
        const QDate date = QDate::fromString(parser.value(QStringLiteral("data")), QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid()) {
            PrintError(QStringLiteral("Błędna data sprzedaży: %1 (oczekiwano RRRR-MM-DD)")
                           .arg(parser.value(QStringLiteral("data"))));
            return Failure;
        }
        salesDate = {date.year(), date.month(), date.day()};
    }
    const bool handOver = parser.isSet(QStringLiteral("przeslij"));
    const bool reset = parser.isSet(QStringLiteral("zeruj"));

    Session session;
    if (!session.Open())
        return Failure;
    FixedDate picker(salesDate);
    SetDatePicker(&picker);
    const OnScopeExit unset([] { SetDatePicker(nullptr); });

    std::vector<RegisterEntry> registers;
    if (!ListRegisters(registers))
        return Failure;
    // The registers named, each found in COM_DEF; an unknown code stops the run before any register is read.
    if (parser.isSet(QStringLiteral("kasa"))) {
        std::vector<RegisterEntry> chosen;
        for (const QString& value : parser.values(QStringLiteral("kasa"))) {
            const RegisterEntry* entry = FindRegister(registers, value);
            if (!entry)
                return Failure;
            chosen.push_back(*entry);
        }
        registers = chosen;
    }
    if (registers.empty()) {
        PrintError(QStringLiteral("Brak kas w COM_DEF. Nic nie zrobiono."));
        return Failure;
    }

    fmE->lockMode = RegisterLock::Mode::Wait;
    int failed = 0;
    for (const RegisterEntry& entry : registers) {
        if (StopRequested()) {
            ++failed;
            break;
        }
        const QString label = RegisterLabel(entry.code);
        session.status.lastError.clear();
        try {
            MakeRegisterCurrent(entry.id);
            const std::string readingFile = ReadingFile;
            fmE->ElzabSprz();
            if (ExchangeResult != 0 || !FileExists(readingFile)) {
                ++failed;
                const std::string reason =
                    !session.status.lastError.empty() ? session.status.lastError : "kasa nie zwróciła odczytu"_cp;
                PrintError(label + QStringLiteral(": odczyt nieudany - ") + FromCore(reason));
                if (reset)
                    PrintError(label + QStringLiteral(": liczników nie wyzerowano, bo odczyt się nie udał"));
                continue;
            }
            PrintLine(label + QStringLiteral(": zapisano odczyt %1, ").arg(FromCore(readingFile)) +
                      ReadoutSummary(readingFile));
            if (handOver) {
                const HandOverResult result = SendReadingToTrade(readingFile);
                if (!result.ok) {
                    ++failed;
                    PrintError(label + QStringLiteral(": ") + FromCore(result.message));
                    if (reset)
                        PrintError(label + QStringLiteral(": liczników nie wyzerowano, bo odczytu nie przesłano"));
                    continue;
                }
                // The success, with the number of sales lines and their value, is on the status line (printed).
            }
            if (reset) {
                session.status.lastError.clear();
                fmE->aZerujLicznikiExecute();
                if (ExchangeResult != 0) {
                    ++failed;
                    PrintError(label + QStringLiteral(": zerowanie liczników nieudane - ") +
                               FromCore(session.status.lastError));
                    continue;
                }
                PrintLine(label + QStringLiteral(": wyzerowano liczniki sprzedaży"));
            }
        } catch (const std::exception& e) {
            ++failed;
            LogLine(e.what());
            PrintError(label + QStringLiteral(": ") + FromCore(OperatorText(e)));
        }
    }
    return failed == 0 ? Success : Partial;
}

} // namespace cli

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

// Goods lines and total value of a readout, for the summary line.
QString ReadoutSummary(const ReadoutResult& readout)
{
    const size_t count = ParseReadout(readout.lines).size();
    return QStringLiteral("%1 %2, wartość %3 zł")
        .arg(count)
        .arg(PolishPlural<QString>(static_cast<int64_t>(count), QStringLiteral("pozycja"), QStringLiteral("pozycje"),
                                   QStringLiteral("pozycji")))
        .arg(FromCore(readout.total.ToString()));
}

// The options of one run.
struct Run {
    bool handOver = false;
    bool reset = false;
};

// Hands a stored file over; false (printed) when it was refused.
bool HandOverFile(const QString& label, const std::string& path)
{
    const HandOverResult result = SendReadingToTrade(path);
    if (!result.ok)
        PrintError(label + QStringLiteral(": ") + FromCore(result.message));
    // A success is on the status line (printed).
    return result.ok;
}

// Reads out, hands over and resets one register; false when any step failed.
bool ProcessRegister(const RegisterEntry& entry, const Run& run, Session& session)
{
    const QString label = RegisterLabel(entry.code);
    MakeRegisterCurrent(entry.id);
    const ReadoutResult readout = fmE->ElzabSprz();
    if (!readout.ok || readout.storedFile.empty()) {
        const std::string reason = !readout.failure.empty()            ? readout.failure
                                   : !session.status.lastError.empty() ? session.status.lastError
                                                                       : "kasa nie zwróciła odczytu"_cp;
        PrintError(label + QStringLiteral(": odczyt nieudany - ") + FromCore(reason));
        if (run.reset)
            PrintError(label + QStringLiteral(": liczników nie wyzerowano, bo odczyt się nie udał"));
        return false;
    }
    PrintLine(label + QStringLiteral(": zapisano odczyt %1, ").arg(FromCore(readout.storedFile)) +
              ReadoutSummary(readout));
    if (!readout.recorded) {
        PrintError(label + QStringLiteral(": ") + FromCore(readout.failure));
        if (run.reset)
            PrintError(label + QStringLiteral(": liczników nie wyzerowano, bo odczytu nie zapisano w bazie"));
        return false;
    }
    // The file this readout stored, whatever other readouts of the register were stored meanwhile.
    if (run.handOver && !HandOverFile(label, readout.storedFile)) {
        if (run.reset)
            PrintError(label + QStringLiteral(": liczników nie wyzerowano, bo odczytu nie przesłano"));
        return false;
    }
    if (!run.reset)
        return true;
    session.status.lastError.clear();
    const ResetResult reset = fmE->aZerujLicznikiExecute();
    if (!reset.ok) {
        PrintError(label + QStringLiteral(": zerowanie liczników nieudane - ") +
                   FromCore(!reset.failure.empty() ? reset.failure : session.status.lastError));
        // A report stored before a failed reset is an ordinary readout, pending like any other.
        return false;
    }
    PrintLine(label + QStringLiteral(": wyzerowano liczniki sprzedaży, raport sprzedaży zapisano jako %1")
                          .arg(FromCore(reset.reportFile)));
    // The sales the reset zeroed go over with its report.
    return !run.handOver || HandOverFile(label, reset.reportFile);
}

// The registers named with --kasa, each found in COM_DEF, or all of COM_DEF; an unknown code stops the run before
// any register is read. False (printed) when there is none or COM_DEF cannot be read.
bool ChosenRegisters(const QCommandLineParser& parser, std::vector<RegisterEntry>& registers)
{
    if (!ListRegisters(registers))
        return false;
    if (parser.isSet(QStringLiteral("kasa"))) {
        std::vector<RegisterEntry> chosen;
        for (const QString& value : parser.values(QStringLiteral("kasa"))) {
            const RegisterEntry* entry = FindRegister(registers, value);
            if (!entry)
                return false;
            chosen.push_back(*entry);
        }
        registers = chosen;
    }
    if (registers.empty()) {
        PrintError(QStringLiteral("Brak kas w COM_DEF. Nic nie zrobiono."));
        return false;
    }
    return true;
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
    Run run;
    run.handOver = parser.isSet(QStringLiteral("przeslij"));
    run.reset = parser.isSet(QStringLiteral("zeruj"));
    Session session;
    if (!session.Open())
        return Failure;
    // A replayed response is never a register's readout: the tool reads only real registers. The replay comes from
    // the work folder, which the session has made the current directory, so the marker is looked for there.
    if (FileExists(FindCaseless(".", "Test.dat"))) {
        PrintError(QStringLiteral("W folderze roboczym jest plik Test.dat (odtwarzanie odpowiedzi kasy do testów): "
                                  "odczyt kasy jest niemożliwy. Usuń Test.dat i uruchom polecenie ponownie."));
        return Failure;
    }
    FixedDate picker(salesDate);
    SetDatePicker(&picker);
    const OnScopeExit unset([] { SetDatePicker(nullptr); });

    std::vector<RegisterEntry> registers;
    if (!ChosenRegisters(parser, registers))
        return Failure;

    fmE->lockMode = RegisterLock::Mode::Wait;
    int failed = 0;
    for (const RegisterEntry& entry : registers) {
        if (StopRequested()) {
            ++failed;
            break;
        }
        session.status.lastError.clear();
        try {
            if (!ProcessRegister(entry, run, session))
                ++failed;
        } catch (const std::exception& e) {
            ++failed;
            LogLine(e.what());
            PrintError(RegisterLabel(entry.code) + QStringLiteral(": ") + FromCore(OperatorText(e)));
        }
    }
    return failed == 0 ? Success : Partial;
}

} // namespace cli

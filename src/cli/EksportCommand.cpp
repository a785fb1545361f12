#include "cli/EksportCommand.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/Registers.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "db/dbDDM.h"
#include "exchange/ExportView.h"
#include "exchange/FmElzab.h"
#include "exchange/RegisterLock.h"

#include <functional>
#include <utility>

namespace cli
{

namespace
{

// The export page's choices for an unattended run: every good that can be sent is sent and the others are
// reported (no stop at the first refusal), no Eureka file, no progress figures.
class ConsoleExportPage : public IExportPage
{
public:
    ConsoleExportPage(bool fullData, std::function<bool()> stopRequested)
        : fullData_(fullData), stopRequested_(std::move(stopRequested))
    {
    }
    bool FullData() const override { return fullData_; }
    bool StopOnFirstError() const override { return false; }
    std::string EurekaFileName() const override { return {}; }
    void ShowProgress(const std::string&) override {}
    void UntickGroups() override {}
    bool StopRequested() const override { return stopRequested_(); }

private:
    bool fullData_;
    std::function<bool()> stopRequested_;
};

// The core's status texts during the run, each after the register's label. Red ones (a good the register refused,
// the closing line of an export that did not send everything) go to standard error as they come, and are
// counted. Green ones go to standard output, except while the export handles its goods: each good sent is
// acknowledged in green, thousands of lines in a big run, so those are held and only the last one, the export's
// closing line, is printed by Flush.
class RunStatusLine : public IStatusLine
{
public:
    explicit RunStatusLine(QString label) : label_(std::move(label)) {}

    void ShowStatus(const std::string& text, bool error) override
    {
        if (text.empty())
            return;
        if (error) {
            ++errors;
            held_.clear(); // an acknowledgement before a refusal no longer closes anything
            PrintError(label_ + FromCore(text));
        } else if (holdGreens) {
            held_ = text;
        } else {
            PrintLine(label_ + FromCore(text));
        }
    }
    void Flush()
    {
        if (!held_.empty())
            PrintLine(label_ + FromCore(held_));
        held_.clear();
    }

    bool holdGreens = false;
    int errors = 0;

private:
    QString label_;
    std::string held_;
};

// Puts back what the run replaced in the session: the status line and the export page.
class RunScope
{
public:
    RunScope(Session& session, IStatusLine& status) : session_(session) { SetStatusLine(&status); }
    ~RunScope()
    {
        if (fmE)
            fmE->exportPage = nullptr;
        SetStatusLine(&session_.status);
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    Session& session_;
};

QString ReasonOf(const std::exception& e)
{
    LogLine(e.what());
    return FromCore(OperatorText(e));
}

} // namespace

QString EksportCommand::usage() const
{
    return QStringLiteral("--kasa KOD --zmienione [--pelne]");
}

QString EksportCommand::description() const
{
    return QStringLiteral("Wysyła do kasy towary zmienione od ostatniego eksportu do niej (jak „zmienione od "
                          "ostatniego eksportu” na stronie eksportu); nie zatrzymuje się na towarze, którego kasa "
                          "nie przyjęła.");
}

QList<QCommandLineOption> EksportCommand::options() const
{
    return {
        QCommandLineOption(QStringLiteral("kasa"), QStringLiteral("kod kasy z COM_DEF"), QStringLiteral("KOD")),
        QCommandLineOption(QStringLiteral("zmienione"),
                           QStringLiteral("wybiera towary zmienione od ostatniego eksportu do kasy (zastępuje "
                                          "zaznaczenie na stronie eksportu)")),
        QCommandLineOption(QStringLiteral("pelne"),
                           QStringLiteral("wysyła pełne dane towarów; domyślnie tylko ceny (nowe towary wymagają "
                                          "pełnych danych)")),
    };
}

int EksportCommand::execute(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(*this, arguments, parser, 0))
        return Failure;
    const auto usageError = [this](const QString& reason) {
        PrintError(reason);
        PrintError(UsageText(*this));
        return Failure;
    };
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("Nieoczekiwany argument polecenia eksport: %1").arg(parser.positionalArguments()[0]));
    const QStringList codes = parser.values(QStringLiteral("kasa"));
    if (codes.size() != 1)
        return usageError(QStringLiteral("Polecenie eksport wymaga jednej kasy (--kasa KOD)."));
    // The only choice of goods there is: the goods an operator marked in the window are not sent unattended.
    if (!parser.isSet(QStringLiteral("zmienione")))
        return usageError(QStringLiteral("Polecenie eksport wymaga opcji --zmienione (towary zmienione od ostatniego "
                                         "eksportu do kasy)."));
    const bool fullData = parser.isSet(QStringLiteral("pelne"));

    Session session;
    if (!session.Open())
        return Failure;
    std::vector<RegisterEntry> registers;
    if (!ListRegisters(registers))
        return Failure;
    const RegisterEntry* entry = FindRegister(registers, codes.front());
    if (!entry)
        return Failure;
    const QString label = QStringLiteral("Kasa ") + FromCore(entry->code) + QStringLiteral(": ");
    RunStatusLine status(label);
    RunScope scope(session, status);

    // The goods to send are chosen as on the export page: the program's register, the whole catalogue (no filters
    // of the page apply here), every active good with its price lock row.
    try {
        MakeRegisterCurrent(entry->id);
        dmu->PreparePriceLocks();
        dmu->OpenGoods();
        // The reason is on the status line (printed): no memory table, or the marks could not be written.
        if (!dmu->SelectChangedGoods()) {
            PrintError(label + QStringLiteral("nic nie wysłano."));
            return Failure;
        }
    } catch (const std::exception& e) {
        PrintError(label + ReasonOf(e) + QStringLiteral(" Nic nie wysłano."));
        return Failure;
    }

    const int errorsBeforeExport = status.errors;
    bool stopped = false;
    // The export asks before each good whether to stop: from then on the goods' acknowledgements are held.
    ConsoleExportPage page(fullData, [this, &status, &stopped] {
        status.holdGreens = true;
        stopped = stopped || StopRequested();
        return stopped;
    });
    fmE->exportPage = &page;
    fmE->lockMode = RegisterLock::Mode::Wait;
    try {
        fmE->aExpoTowarExecute();
    } catch (const std::exception& e) {
        PrintError(label + QStringLiteral("eksport przerwany - ") + ReasonOf(e));
        return Partial;
    }
    status.Flush();
    // A good not sent keeps its mark for the next run, and the closing line names it (in red).
    return ExchangeResult == 0 && status.errors == errorsBeforeExport && !stopped ? Success : Partial;
}

} // namespace cli

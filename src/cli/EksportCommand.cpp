#include "cli/EksportCommand.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/Registers.h"
#include "catalogue/SentStore.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "exchange/RegisterLock.h"

#include <utility>

namespace cli
{

namespace
{

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

// Puts back what the run replaced in the session: the status line.
class RunScope
{
public:
    RunScope(Session& session, IStatusLine& status) : session_(session) { SetStatusLine(&status); }
    ~RunScope() { SetStatusLine(&session_.status); }
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
    return QStringLiteral("--kasa KOD --zmienione|--sprawdz [--pelne|--tylko-ceny]");
}

QString EksportCommand::description() const
{
    return QStringLiteral("Wysyła do kasy towary zmienione od ostatniego eksportu do niej (jak „zmienione od "
                          "ostatniego eksportu” na stronie eksportu), każdy tak, jak wymaga jego zmiana: samą cenę "
                          "albo pełne dane; nie zatrzymuje się na towarze, którego kasa nie przyjęła. Zaznaczenia "
                          "na stronie eksportu nie zmienia.");
}

QList<QCommandLineOption> EksportCommand::options() const
{
    return {
        QCommandLineOption(QStringLiteral("kasa"), QStringLiteral("kod kasy z COM_DEF"), QStringLiteral("KOD")),
        QCommandLineOption(QStringLiteral("zmienione"),
                           QStringLiteral("wysyła towary zmienione od ostatniego eksportu do kasy")),
        QCommandLineOption(QStringLiteral("sprawdz"),
                           QStringLiteral("najpierw porównuje kasę z kartoteką (odczytuje wykaz towarów kasy i "
                                          "poprawia pamięć wysłanych towarów), potem wysyła to, czego brak lub co "
                                          "się różni")),
        QCommandLineOption(QStringLiteral("pelne"), QStringLiteral("wysyła pełne dane każdego towaru")),
        QCommandLineOption(QStringLiteral("tylko-ceny"),
                           QStringLiteral("wysyła tylko ceny; towar, któremu w kasie trzeba zmienić nazwę, stawkę "
                                          "VAT lub jednostkę albo którego kasa nie ma, daje kod wyjścia 1")),
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
    const bool check = parser.isSet(QStringLiteral("sprawdz"));
    if (!parser.isSet(QStringLiteral("zmienione")) && !check)
        return usageError(QStringLiteral("Polecenie eksport wymaga opcji --zmienione (towary zmienione od ostatniego "
                                         "eksportu do kasy) albo --sprawdz."));
    const bool fullData = parser.isSet(QStringLiteral("pelne"));
    const bool pricesOnly = parser.isSet(QStringLiteral("tylko-ceny"));
    if (fullData && pricesOnly)
        return usageError(QStringLiteral("Opcje --pelne i --tylko-ceny wykluczają się."));

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
        if (!SentTableExists()) {
            Komunikat(MissingSentTableText(), true);
            PrintError(label + QStringLiteral("nic nie wysłano."));
            return Failure;
        }
    } catch (const std::exception& e) {
        PrintError(label + ReasonOf(e) + QStringLiteral(" Nic nie wysłano."));
        return Failure;
    }
    fmE->lockMode = RegisterLock::Mode::Wait;

    if (check) {
        // The memory of sent goods becomes what the register holds; the goods it lacks or holds otherwise are then
        // the changed ones.
        try {
            if (!fmE->PorownajZKasa().ok) {
                PrintError(label + QStringLiteral("nic nie wysłano."));
                return Partial;
            }
        } catch (const std::exception& e) {
            PrintError(label + QStringLiteral("porównanie przerwane - ") + ReasonOf(e));
            return Partial;
        }
    }

    bool stopped = false;
    GoodsExportRequest request;
    // The changed goods are found under the register lock, after any export that ran before; the window's marks
    // are neither read nor written. A good not sent stays "changed" in the memory, so the next run finds it again.
    request.goods = [fullData, pricesOnly] {
        const ChangedGoods changed = dmu->FindChangedInView();
        Tdmu::AnnounceChanged(changed);
        std::vector<GoodToSend> goods = ToSendList(changed);
        if (fullData || pricesOnly)
            for (GoodToSend& good : goods)
                good.kind = fullData ? SendKind::Full : SendKind::PriceOnly;
        return goods;
    };
    request.clearMarks = false;
    request.stopOnFirstError = false;
    // By default a good the register has lost is sent again with full data at once.
    request.fullWhenMissing = !pricesOnly;
    request.busyOperation = pricesOnly ? "ZCTowar" : "ZTowar";
    // The export asks before each good whether to stop: from then on the goods' acknowledgements are held.
    request.stopRequested = [this, &status, &stopped] {
        status.holdGreens = true;
        stopped = stopped || StopRequested();
        return stopped;
    };
    GoodsExportResult result;
    try {
        result = fmE->ExportGoods(request);
    } catch (const std::exception& e) {
        PrintError(label + QStringLiteral("eksport przerwany - ") + ReasonOf(e));
        return Partial;
    }
    status.Flush();
    // A good not sent (or sent with its price only while the register's data differ) is named in red and counts.
    return result.Complete() && !stopped ? Success : Partial;
}

} // namespace cli

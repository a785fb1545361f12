#include "cli/PrzeslijCommand.h"

#include "app/ConstUnit.h"
#include "app/ReadoutFiles.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "db/dbDDM.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/TradeHandOver.h"

#include <filesystem>

namespace cli
{

namespace
{
namespace fs = std::filesystem;

// A readout given by its bare name ("001_20261210_001.txt") is looked for in the day folders of the registers and
// their reset folders; anything else is a path.
std::string FindReadout(const std::string& argument)
{
    std::error_code error;
    if (fs::exists(fs::symlink_status(argument, error)) || argument.find('/') != std::string::npos)
        return argument;
    return FindStoredReadout(argument).value_or(argument);
}

// Prints the outcome of one hand-over; false when it was refused.
bool Report(const HandOverResult& result)
{
    if (!result.ok)
        PrintError(FromCore(result.message));
    // A success, and a file already included in a later one, are on the status line (printed).
    return result.ok;
}

// Every recorded file not handed over yet, of the registers named (all without --kasa), in period and sequence
// order. The exit code: an unknown register, missing tables or an unreadable list hand nothing over (Failure).
int HandOverPending(const QCommandLineParser& parser, const std::function<bool()>& stopRequested)
{
    std::vector<int> numbers;
    if (parser.isSet(QStringLiteral("kasa"))) {
        std::vector<RegisterEntry> registers;
        if (!ListRegisters(registers))
            return Failure;
        for (const QString& value : parser.values(QStringLiteral("kasa"))) {
            const RegisterEntry* entry = FindRegister(registers, value);
            if (!entry)
                return Failure;
            numbers.push_back(static_cast<int>(LeadingInt(entry->code)));
        }
    }
    std::vector<LedgerEntry> pending;
    try {
        if (const std::vector<std::string> missing = MissingLedgerObjects(); !missing.empty()) {
            PrintError(FromCore(MissingObjectsText(missing)));
            return Failure;
        }
        pending = PendingEntries(numbers);
    } catch (const DbError& e) {
        PrintError(FromCore(e.OperatorText()));
        return Failure;
    }
    if (pending.empty())
        PrintLine(QStringLiteral("Brak odczytów oczekujących na przesłanie do Wolnar."));
    int failed = 0;
    for (const LedgerEntry& entry : pending) {
        if (stopRequested()) {
            ++failed;
            break;
        }
        if (!Report(SendReadingToTrade(entry.path)))
            ++failed;
    }
    return failed == 0 ? Success : Partial;
}
} // namespace

QString PrzeslijCommand::usage() const
{
    return QStringLiteral("PLIK... | --zalegle [--kasa KOD]... | --nowy-okres PLIK");
}

QString PrzeslijCommand::description() const
{
    return QStringLiteral("Przesyła zapisane odczyty i raporty zerowania do Wolnar (ścieżka pliku albo sama nazwa "
                          "NNN_RRRRMMDD_KKK.txt, szukana w folderach kas); --zalegle przesyła wszystkie jeszcze "
                          "nieprzesłane.");
}

QList<QCommandLineOption> PrzeslijCommand::options() const
{
    return {
        QCommandLineOption(QStringLiteral("zalegle"),
                           QStringLiteral("przesyła wszystkie zapisane odczyty i raporty zerowania, których jeszcze "
                                          "nie przesłano, w kolejności ich zapisania")),
        QCommandLineOption(QStringLiteral("kasa"),
                           QStringLiteral("z --zalegle: tylko ta kasa (kod z COM_DEF); można podać kilka razy"),
                           QStringLiteral("KOD")),
        QCommandLineOption(QStringLiteral("nowy-okres"),
                           QStringLiteral("po zerowaniu liczników w samej kasie: rozpoczyna tym odczytem nowy okres "
                                          "i przesyła go w całości")),
    };
}

int PrzeslijCommand::execute(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(*this, arguments, parser, 0))
        return Failure;
    const bool pending = parser.isSet(QStringLiteral("zalegle"));
    const bool newPeriod = parser.isSet(QStringLiteral("nowy-okres"));
    const QStringList files = parser.positionalArguments();
    if (pending && (!files.isEmpty() || newPeriod)) {
        PrintError(QStringLiteral("Z --zalegle nie podaje się plików ani --nowy-okres."));
        return Failure;
    }
    if (!pending && parser.isSet(QStringLiteral("kasa"))) {
        PrintError(QStringLiteral("--kasa podaje się tylko z --zalegle."));
        return Failure;
    }
    if (!pending && files.isEmpty()) {
        PrintError(QStringLiteral("Za mało argumentów polecenia przeslij: podaj plik odczytu albo --zalegle."));
        return Failure;
    }
    if (newPeriod && files.size() != 1) {
        PrintError(QStringLiteral("--nowy-okres podaje się z jednym plikiem odczytu."));
        return Failure;
    }
    // Paths are taken relative to the directory the tool was started in, before it enters the program's folder.
    std::vector<std::string> paths;
    for (const QString& file : files) {
        const std::string path = file.toLocal8Bit().toStdString();
        std::error_code error;
        const fs::path absolute = fs::absolute(path, error);
        paths.push_back(fs::exists(fs::symlink_status(absolute, error)) ? absolute.string() : path);
    }

    Session session;
    if (!session.Open())
        return Failure;
    if (pending)
        return HandOverPending(parser, [this] { return StopRequested(); });
    int failed = 0;
    for (const std::string& given : paths) {
        if (StopRequested()) {
            ++failed;
            break;
        }
        HandOverOptions options;
        options.newPeriod = newPeriod;
        // SendReadingToTrade refuses a FIFO, a device or a folder before opening it.
        if (!Report(SendReadingToTrade(FindReadout(given), options)))
            ++failed;
    }
    return failed == 0 ? Success : Partial;
}

} // namespace cli

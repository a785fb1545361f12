#include "cli/PrzeslijCommand.h"

#include "app/ConstUnit.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "exchange/TradeHandOver.h"

#include <filesystem>

namespace cli
{

namespace
{
namespace fs = std::filesystem;

// A readout given by its bare name ("001_20261210_001.txt") is looked for in the day folders of the registers,
// "Dane/Kasa*/yyyymmdd/"; anything else is a path.
std::string FindReadout(const std::string& argument)
{
    if (FileExists(argument) || argument.find('/') != std::string::npos)
        return argument;
    const auto name = ParseReadoutName(argument);
    if (!name)
        return argument;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(DataDir, error)) {
        if (!entry.is_directory(error) || UpperAscii(entry.path().filename().string()).rfind("KASA", 0) != 0)
            continue;
        const std::string candidate =
            FindCaseless(FindCaseless(entry.path().string(), DateText(name->salesDate)), argument);
        if (FileExists(candidate))
            return candidate;
    }
    return argument;
}
} // namespace

QString PrzeslijCommand::description() const
{
    return QStringLiteral("Przesyła zapisane odczyty do Wolnar (ścieżka pliku albo sama nazwa "
                          "NNN_RRRRMMDD_KKK.txt, szukana w folderach kas).");
}

int PrzeslijCommand::execute(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(*this, arguments, parser, 1))
        return Failure;
    // Paths are taken relative to the directory the tool was started in, before it enters the program's folder.
    std::vector<std::string> paths;
    const QStringList files = parser.positionalArguments();
    for (const QString& file : files) {
        const std::string path = file.toLocal8Bit().toStdString();
        std::error_code error;
        const fs::path absolute = fs::absolute(path, error);
        paths.push_back(fs::exists(absolute, error) ? absolute.string() : path);
    }

    Session session;
    if (!session.Open())
        return Failure;
    int failed = 0;
    for (const std::string& given : paths) {
        if (StopRequested()) {
            ++failed;
            break;
        }
        const HandOverResult result = SendReadingToTrade(FindReadout(given));
        if (!result.ok) {
            ++failed;
            PrintError(FromCore(result.message));
        }
        // A success is on the status line (printed).
    }
    return failed == 0 ? Success : Partial;
}

} // namespace cli

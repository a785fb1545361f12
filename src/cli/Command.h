#pragma once
// A command of tarlo-cli: one small class per command, each parsing its own arguments and returning the exit code.
// Texts of the tool are UTF-8; texts from the core (Windows-1250) are converted on their way out (Console.h).
#include <QCommandLineOption>
#include <QList>
#include <QStringList>

#include <memory>
#include <vector>

class EndSignalFd; // util/EndSignals.h

namespace cli
{

// Exit codes of the tool.
enum ExitCode : int {
    Success = 0, // everything asked succeeded
    Partial = 1, // at least one register or file failed; the others were still done
    Failure = 2  // bad usage, configuration or database connection; nothing was done
};

class Command
{
public:
    virtual ~Command() = default;
    // The word that starts the command on the command line ("odczyt").
    virtual QString name() const = 0;
    // What follows the name in the usage line ("[--kasa KOD]... [--przeslij]").
    virtual QString usage() const = 0;
    // One sentence for --help.
    virtual QString description() const = 0;
    // The options of the command, for parsing and for --help.
    virtual QList<QCommandLineOption> options() const { return {}; }
    // How many positional arguments the command takes at most; -1 for any number.
    virtual int maximumPositional() const { return 0; }
    // The options with a value that may be given more than once (each other one at most once).
    virtual QStringList repeatableOptions() const { return {}; }
    // Runs the command; `arguments` holds the command's name followed by its arguments.
    virtual int execute(const QStringList& arguments) = 0;

    // Where SIGINT, SIGTERM and SIGHUP arrive; null when they are not read.
    EndSignalFd* endSignals = nullptr;

protected:
    // True when one of them has arrived: the command stops before its next register, file or good (a register
    // conversation under way is never cut). The first such call says so on standard error.
    bool StopRequested();

private:
    bool stopping_ = false;
};

// Every command of the tool, in the order --help lists them.
std::vector<std::unique_ptr<Command>> AllCommands();

// The usage of the whole tool, or of one command, as --help prints it.
QString UsageText();
QString UsageText(const Command& command);

} // namespace cli

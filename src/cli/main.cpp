// tarlo-cli: readouts of the cash registers, their hand-over to Wolnar and the export of changed goods, without the
// program's window, for scheduled runs. Built beside Tarlo_db; uses the same configuration, folders, work history
// and error report.
#include "cli/Command.h"
#include "cli/Console.h"
#include "db/Firebird.h"
#include "exchange/RegisterLock.h"
#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"
#include "util/EndSignals.h"

#include <QStringList>
#include <sys/stat.h>

#include <clocale>
#include <csignal>

namespace
{
bool IsHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("pomoc");
}

std::string ToCore(const QString& text)
{
    return Utf8ToWin1250(text.toStdString());
}

// The exit code once the command has run: standard output that could not be written is said on standard error and
// makes a run that otherwise succeeded end with 1. The work history gets the end line when the command opened it.
int Finish(int code)
{
    if (cli::StandardOutput().failed) {
        cli::PrintError(cli::OutputFailureText());
        LogLine("tarlo-cli: " + ToCore(cli::OutputFailureText()));
        if (code == cli::Success)
            code = cli::Partial;
    }
    if (WorkLog)
        LogLine("tarlo-cli " + ToCore(cli::CommandLineText()) + " - koniec, kod wyjścia "_cp + std::to_string(code));
    return code;
}
} // namespace

int main(int argc, char** argv)
{
    // Before any thread exists: a signal to end is read between registers, never in the middle of a conversation
    // with one, and the database library never sees it.
    // Files and folders are created writable by the group, so that every operator in the program's group can
    // append to the work history, write a day folder and take the register lock after another.
    ::umask(0002);
    BlockEndSignals();
    // A reader that goes away (`| head`) or a file-size limit on the output makes a write fail instead of killing the
    // tool: the failure is reported and the work history keeps its end line.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // The environment's locale, with a UTF-8 character type, before the first connection: a database path with
    // Polish letters is handed to Firebird in UTF-8.
    std::setlocale(LC_ALL, "");
    fb::UseUtf8FileNames();
    EndSignalFd endSignals;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (arguments.isEmpty()) {
        cli::PrintError(cli::UsageText());
        return cli::Failure;
    }
    if (IsHelp(arguments.front())) {
        cli::PrintLine(cli::UsageText());
        return Finish(cli::Success);
    }
    for (const auto& command : cli::AllCommands()) {
        if (command->name() != arguments.front())
            continue;
        if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
            cli::PrintLine(cli::UsageText(*command));
            return Finish(cli::Success);
        }
        command->endSignals = &endSignals;
        cli::CommandLineText() = arguments.join(QLatin1Char(' '));
        // A signal also ends a wait for registers that another program holds.
        RegisterLock::SetEndSignals(&endSignals);
        const int exitCode = command->execute(arguments);
        RegisterLock::SetEndSignals(nullptr);
        if (const int signal = RegisterLock::InterruptedBy()) {
            cli::PrintError(QStringLiteral("Przerwano oczekiwanie na zwolnienie kas (%1): tarlo-cli kończy pracę.")
                                .arg(cli::FromCore(EndSignalName(signal))));
            return Finish(cli::Partial);
        }
        return Finish(exitCode);
    }
    cli::PrintError(QStringLiteral("Nieznane polecenie: %1").arg(arguments.front()));
    cli::PrintError(cli::UsageText());
    return cli::Failure;
}

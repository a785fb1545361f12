// tarlo-cli: readouts of the cash registers, their hand-over to Wolnar and the export of changed goods, without the
// program's window, for scheduled runs. Built beside Tarlo_db; uses the same configuration, folders, work history
// and error report.
#include "cli/Command.h"
#include "cli/Console.h"
#include "exchange/RegisterLock.h"
#include "util/EndSignals.h"

#include <QStringList>
#include <sys/stat.h>

namespace
{
bool IsHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("pomoc");
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
        return cli::Success;
    }
    for (const auto& command : cli::AllCommands()) {
        if (command->name() != arguments.front())
            continue;
        if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
            cli::PrintLine(cli::UsageText(*command));
            return cli::Success;
        }
        command->endSignals = &endSignals;
        // A signal also ends a wait for registers that another program holds.
        RegisterLock::SetEndSignals(&endSignals);
        const int exitCode = command->execute(arguments);
        RegisterLock::SetEndSignals(nullptr);
        if (const int signal = RegisterLock::InterruptedBy()) {
            cli::PrintError(QStringLiteral("Przerwano oczekiwanie na zwolnienie kas (%1): tarlo-cli kończy pracę.")
                                .arg(cli::FromCore(EndSignalName(signal))));
            return cli::Partial;
        }
        return exitCode;
    }
    cli::PrintError(QStringLiteral("Nieznane polecenie: %1").arg(arguments.front()));
    cli::PrintError(cli::UsageText());
    return cli::Failure;
}

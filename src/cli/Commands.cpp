// The registry of commands and the usage texts.
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/EksportCommand.h"
#include "cli/KasyCommand.h"
#include "cli/OdczytCommand.h"
#include "cli/PrzeslijCommand.h"
#include "util/EndSignals.h"

namespace cli
{

bool Command::StopRequested()
{
    if (stopping_)
        return true;
    const int signal = endSignals ? endSignals->Received() : 0;
    if (signal == 0)
        return false;
    stopping_ = true;
    const std::string name = EndSignalName(signal);
    LogLine("tarlo-cli: " + name + " - przerwano");
    PrintError(QStringLiteral("Przerwano (%1): pozostałe kasy, pliki i towary pominięto.").arg(FromCore(name)));
    return true;
}

std::vector<std::unique_ptr<Command>> AllCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<OdczytCommand>());
    commands.push_back(std::make_unique<PrzeslijCommand>());
    commands.push_back(std::make_unique<EksportCommand>());
    commands.push_back(std::make_unique<KasyCommand>());
    return commands;
}

namespace
{
QString OptionText(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
}

QString UsageLine(const Command& command)
{
    QString line = QStringLiteral("  tarlo-cli ") + command.name();
    if (!command.usage().isEmpty())
        line += QLatin1Char(' ') + command.usage();
    return line;
}
} // namespace

QString UsageText()
{
    QStringList lines = {
        QStringLiteral("Użycie: tarlo-cli POLECENIE [OPCJE]"),
        QStringLiteral("Odczyty kas ELZAB, przesyłanie ich do Wolnar i eksport towarów do kas bez okna programu."),
        {},
        QStringLiteral("Polecenia:")};
    for (const auto& command : AllCommands()) {
        lines << UsageLine(*command);
        lines << QStringLiteral("      ") + command->description();
    }
    lines << QString() << QStringLiteral("tarlo-cli POLECENIE --help opisuje opcje polecenia.")
          << QStringLiteral("Kod wyjścia: 0 wszystko wykonano, 1 część kas, plików lub towarów się nie udała, "
                            "2 błędne wywołanie, konfiguracja lub połączenie z bazą - nic nie zrobiono.");
    return lines.join(QLatin1Char('\n'));
}

QString UsageText(const Command& command)
{
    QStringList lines = {QStringLiteral("Użycie:"), UsageLine(command), QStringLiteral("  ") + command.description()};
    const auto options = command.options();
    if (!options.isEmpty()) {
        lines << QString() << QStringLiteral("Opcje:");
        for (const auto& option : options)
            lines << QStringLiteral("  %1  %2").arg(OptionText(option), -22).arg(option.description());
    }
    return lines.join(QLatin1Char('\n'));
}

bool ParseArguments(const Command& command, const QStringList& arguments, QCommandLineParser& parser,
                    int minimumPositional)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(command.options());
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            PrintError(QStringLiteral("Nieznana opcja polecenia %1: %2").arg(command.name(), unknown.join(", ")));
        else
            PrintError(QStringLiteral("Błędne opcje polecenia %1 (opcja bez wartości?)").arg(command.name()));
        PrintError(UsageText(command));
        return false;
    }
    if (parser.positionalArguments().size() < minimumPositional) {
        PrintError(QStringLiteral("Za mało argumentów polecenia %1.").arg(command.name()));
        PrintError(UsageText(command));
        return false;
    }
    return true;
}

} // namespace cli

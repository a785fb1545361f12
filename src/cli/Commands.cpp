// The registry of commands and the usage texts.
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/EksportCommand.h"
#include "cli/KasyCommand.h"
#include "cli/OdczytCommand.h"
#include "cli/PrzeslijCommand.h"
#include "util/EndSignals.h"

#include <QMap>

#include <algorithm>

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
    const auto refuse = [&command](const QString& reason) {
        PrintError(reason);
        PrintError(UsageText(command));
        return false;
    };
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < minimumPositional)
        return refuse(QStringLiteral("Za mało argumentów polecenia %1.").arg(command.name()));
    if (command.maximumPositional() >= 0 && positional.size() > command.maximumPositional())
        return refuse(QStringLiteral("Nieoczekiwany argument polecenia %1: %2")
                          .arg(command.name(), positional[command.maximumPositional()]));
    for (const QCommandLineOption& option : command.options()) {
        const QString name = option.names().constFirst();
        const QStringList values = option.valueName().isEmpty() ? QStringList() : parser.values(name);
        if (values.size() > 1 && !command.repeatableOptions().contains(name))
            return refuse(QStringLiteral("Opcja --%1 podana więcej niż raz (%2).").arg(name, values.join(", ")));
    }
    // A register is named by its number, 1 to 99, with or without leading zeros; naming one twice is a mistake
    // that would read and reset it twice.
    QMap<int, QString> registers;
    const auto options = command.options();
    const bool namesRegisters = std::any_of(options.begin(), options.end(), [](const QCommandLineOption& option) {
        return option.names().contains(QStringLiteral("kasa"));
    });
    for (const QString& value : namesRegisters ? parser.values(QStringLiteral("kasa")) : QStringList()) {
        bool number = false;
        const QString trimmed = value.trimmed();
        const int code = trimmed.toInt(&number);
        const bool digitsOnly = !trimmed.isEmpty() && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        if (!number || !digitsOnly || code < 1 || code > 99)
            return refuse(QStringLiteral("Błędny kod kasy: %1 (oczekiwano numeru 1-99).").arg(value));
        if (registers.contains(code))
            return refuse(QStringLiteral("Kasa podana więcej niż raz: %1 i %2.").arg(registers.value(code), value));
        registers.insert(code, value);
    }
    return true;
}

} // namespace cli

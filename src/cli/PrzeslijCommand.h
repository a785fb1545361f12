#pragma once
#include "cli/Command.h"

namespace cli
{

// "przeslij PLIK...": hands stored readout files over to Wolnar, one line per file. "--zalegle [--kasa KOD]...":
// every recorded file not handed over yet. "--nowy-okres PLIK": the way out after a reset at the register.
class PrzeslijCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("przeslij"); }
    QString usage() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    int maximumPositional() const override { return -1; }
    int execute(const QStringList& arguments) override;
};

} // namespace cli

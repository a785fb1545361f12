#pragma once
#include "cli/Command.h"

namespace cli
{

// "odczyt [--kasa KOD]... [--data RRRR-MM-DD] [--przeslij] [--zeruj]": reads out the named registers (all of
// COM_DEF without --kasa) and stores each readout as the window does; optionally hands each stored readout over to
// Wolnar and resets the counters of each register whose readout was stored (and handed over, with --przeslij).
class OdczytCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("odczyt"); }
    QString usage() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QStringList repeatableOptions() const override { return {QStringLiteral("kasa")}; }
    int execute(const QStringList& arguments) override;
};

} // namespace cli

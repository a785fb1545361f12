#pragma once
#include "cli/Command.h"

namespace cli
{

// "przeslij PLIK...": hands stored readout files over to Wolnar, one line per file.
class PrzeslijCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("przeslij"); }
    QString usage() const override { return QStringLiteral("PLIK..."); }
    QString description() const override;
    int maximumPositional() const override { return -1; }
    int execute(const QStringList& arguments) override;
};

} // namespace cli

#pragma once
#include "cli/Command.h"

namespace cli
{

// "kasy": the registers of COM_DEF with their settings, one line each.
class KasyCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("kasy"); }
    QString usage() const override { return {}; }
    QString description() const override;
    int execute(const QStringList& arguments) override;
};

} // namespace cli

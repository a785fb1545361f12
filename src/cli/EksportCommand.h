#pragma once
#include "cli/Command.h"

namespace cli
{

// "eksport --kasa KOD --zmienione|--sprawdz [--pelne|--tylko-ceny]": finds the goods that changed since the last
// export to the register (as "zmienione od ostatniego eksportu" on the export page does, without touching the
// page's marks) and sends them, one call per good, each as its change needs (price-only or full data), without
// stopping at a refused good. --sprawdz compares the register with the catalogue first. Exit code 1 when any good
// was not sent.
class EksportCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("eksport"); }
    QString usage() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QStringList& arguments) override;
};

} // namespace cli

#include "cli/KasyCommand.h"

#include "catalogue/Registers.h"
#include "cli/Arguments.h"
#include "cli/Session.h"
#include "db/dbDDM.h"

namespace cli
{

namespace
{
// A column of the row as text; empty when the table lacks the column.
std::string Field(const DataSet& rows, int row, const char* name)
{
    return rows.Fields.IndexOf(name) < 0 ? std::string() : rows.At(row, name).AsString();
}
} // namespace

QString KasyCommand::description() const
{
    return QStringLiteral("Wypisuje kasy z ich ustawieniami.");
}

int KasyCommand::execute(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (!ParseArguments(*this, arguments, parser, 0))
        return Failure;
    Session session;
    if (!session.Open())
        return Failure;
    DataSet registers;
    try {
        dm->OpenSds(registers, "select * from com_def order by id");
    } catch (const DbError& e) {
        PrintError(QStringLiteral("Nie można odczytać listy kas: ") + FromCore(e.OperatorText()));
        return Failure;
    }
    if (registers.RecordCount() == 0)
        PrintLine(QStringLiteral("Brak kas w tabeli COM_DEF."));
    for (int row = 0; row < registers.RecordCount(); ++row) {
        const QString code = FromCore(TwoDigitRegisterCode(Field(registers, row, "KOD_KASA")));
        PrintLine(QStringLiteral("Kasa %1  %2  port COM%3  %4 b/s  nr w systemie kas %5  timeout %6 s  pole ceny %7")
                      .arg(code, FromCore(PadRight(Field(registers, row, "NAZWA"), 20, " ")),
                           FromCore(Field(registers, row, "PORT")), FromCore(Field(registers, row, "SZYBKOSC")),
                           FromCore(Field(registers, row, "NRKASYSYSTEM")), FromCore(Field(registers, row, "TIMEOUT")),
                           FromCore(Field(registers, row, "CENA"))));
    }
    return Success;
}

} // namespace cli

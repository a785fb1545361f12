#pragma once
// Builds the part of a shop database that the trade system owns, for demonstrations, tests and benchmarks:
//
// - PARAMETRY, the shared parameter table (primary key LOKALIZACJA, SEKCJA, NAZWA), with the VAT and ELZB_JM
//   mappings at GLOBAL/TARLA;
// - the goods catalogues "Kartas" + year for the given year and the year before;
// - GrupyAs, the goods groups;
// - COM_DEF, created from the application's own catalogue script, with three registers.
//
// The application's own tables (BLOK_CEN, HIST_PAR, ODCZYT, PARAGONY) are left out: its schema test creates them.
// Texts are stored as Windows-1250 bytes. Goods are loaded in one transaction through a prepared statement.
#include "util/Decimal.h"

#include <string>
#include <vector>

class FbConnection;

namespace demodb
{

struct Good {
    std::string asort; // symbol
    std::string nazwa; // name, Windows-1250
    std::string jm;    // unit
    Decimal stawkaVat;
    std::string grupa;
    int nieaktywny = 0;
    Decimal cena1, cena2, cena3, oldCena1;
};

struct Group {
    std::string grupa;
    std::string nazwa; // Windows-1250
};

enum class Content {
    Schema, // tables, parameters and registers, no goods
    Demo,   // plus the demo grocery catalogue in both years
    Large,  // plus a generated catalogue of `largeCount` goods in the current year
};

// Creates a new database file through the embedded engine (user SYSDBA, dialect 3, default character set
// WIN1250) and leaves `connection` attached to it. Throws DbError, also when the file exists.
void CreateDatabaseFile(FbConnection& connection, const std::string& path, bool forcedWrites);

// Opens an existing database file through the embedded engine as SYSDBA with the WIN1250 connection set.
void OpenDatabaseFile(FbConnection& connection, const std::string& path);

// Creates the trade system's tables, parameters and registers for `year` (and year - 1) and loads the content.
void BuildTradeDatabase(FbConnection& connection, Content content, int year, int largeCount = 100000);

std::string GoodsTableName(int year); // "Kartas" + year

std::vector<Group> DemoGroups();
// A few hundred goods of a Polish grocery: Polish letters in names, numeric symbols, a few inactive goods, a few
// names sharing their first 19 characters and one symbol with an apostrophe. priceFactorPercent scales prices
// (the previous year's catalogue is a little cheaper).
std::vector<Good> DemoGoods(int priceFactorPercent = 100);
std::vector<Good> LargeGoods(int count);

void InsertGoods(FbConnection& connection, const std::string& table, const std::vector<Good>& goods);

} // namespace demodb

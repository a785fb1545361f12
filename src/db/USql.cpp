#include "db/USql.h"

// The DDL scripts of the application's own tables, their indexes, generators and triggers, line by line.
//
// Conventions the schema test relies on: "C_" + table is the script that creates the table (one column a line,
// from the second line on, each beginning with the column name; the column lines end at the first line holding
// "PRIMARY KEY" or ";"); "C_" + table + "_IDX" holds the table's extra indexes, one complete statement a line;
// "G_" + generator creates the generator and "TRI_" + table the trigger of that name on that table. Empty lines are
// skipped by whoever runs a script.
//
// WYSLANE remembers, per register (COM_DEF.ID) and register code (the symbol's last five digits, 1..99999), the
// goods record line the register last accepted or was found to hold, which good it came from and when; it lets
// the export send only what changed and is brought up to date by the comparison with the register.
//
// COM_DEF also carries NRKASYSYSTEM, the register's number in the register system, which the register settings
// read and write; an older database gets it from the schema test.

namespace
{

struct Script {
    const char* name;
    std::vector<std::string> lines;
};

const std::vector<Script>& Catalogue()
{
    static const std::vector<Script> scripts = {
        {"C_BLOK_CEN",
         {
             "CREATE TABLE BLOK_CEN(",
             "ASORT         VARCHAR(20) NOT NULL,",
             "BLOK          INTEGER,",
             "WYBOR         INTEGER,",
             "CONSTRAINT BLOK_CEN PRIMARY KEY(ASORT)",
             ");",
         }},
        {"C_COM_DEF",
         {
             "CREATE TABLE COM_DEF(",
             "NR_KOMP      INTEGER DEFAULT 0,",
             "PORT         INTEGER DEFAULT 0,",
             "SZYBKOSC     INTEGER DEFAULT 0,",
             "BITY_DANYCH  INTEGER DEFAULT 0,",
             "BITY_STOPU   NUMERIC(15,4) DEFAULT 0,",
             "PARZYSTOSC   VARCHAR(10) DEFAULT '',",
             "PROTOKOL     VARCHAR(10) DEFAULT '',",
             "TYP          VARCHAR(30) DEFAULT '',",
             "TIMEOUT      INTEGER DEFAULT 0,",
             "METODADF     INTEGER DEFAULT 0,",
             "ID           INTEGER,",
             "KOD_KASA     VARCHAR(5),",
             "NAZWA        VARCHAR(20),",
             "CENA         VARCHAR(10),",
             "REJ          INTEGER,",
             "KIERUNEK     VARCHAR(3),",
             "MAGAZYN      VARCHAR(3),",
             "KOD          INTEGER,",
             "NEONRSZT     INTEGER,",
             "NEONRKG      INTEGER,",
             "NEONRPOCZ    INTEGER,",
             "NEOMAXKOD    INTEGER,",
             "AKT_TOWARY   TIMESTAMP,",
             "AKT_CENY     TIMESTAMP,",
             "TIMEOUT2     INTEGER DEFAULT 0,",
             "NRKASYSYSTEM INTEGER",
             ");",
             "",
         }},
        {"C_HIST_PAR",
         {
             "CREATE TABLE HIST_PAR (",
             "ID         INTEGER NOT NULL,",
             "DATA_WPISU TIMESTAMP,",
             "OPIS       VARCHAR(100),",
             "CONSTRAINT HIST_PAR0 PRIMARY KEY(ID)",
             ");",
         }},
        {"C_ODCZYT",
         {
             "CREATE TABLE ODCZYT(",
             "ID            INTEGER NOT NULL,",
             "PLIK          VARCHAR(20),",
             "LINIA         VARCHAR(150),",
             "DATA          TIMESTAMP,",
             "CONSTRAINT ODCZYT PRIMARY KEY(ID)",
             ");",
         }},
        {"C_ODCZYT_IDX",
         {
             "CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA);",
             "",
         }},
        {"C_PARAGONY",
         {
             "CREATE TABLE PARAGONY(",
             "ID            INTEGER NOT NULL,",
             "ODCZYT        VARCHAR(12),",
             "DATASPRZ      TIMESTAMP,",
             "DATA          DATE,",
             "NUMER         INTEGER,",
             "STORNO        INTEGER,",
             "PLU           INTEGER,",
             "ASORT         VARCHAR(20),",
             "BARCODE       VARCHAR(14),",
             "NAZWA         VARCHAR(24),",
             "NR_VAT        INTEGER,",
             "STAWKA_VAT    NUMERIC(5,2),",
             "ILOSC         NUMERIC(15,4),",
             "WARTOSC       NUMERIC(15,4),",
             "CENA          NUMERIC(15,4),",
             "UPUST         NUMERIC(15,4),",
             "KASA          INTEGER,",
             "KASJER        VARCHAR(24) COLLATE PXW_PLK,",
             "JP1           VARCHAR(24) COLLATE PXW_PLK,",
             "KWOTA1        NUMERIC(15,4),",
             "JP2           VARCHAR(24) COLLATE PXW_PLK,",
             "KWOTA2        NUMERIC(15,4),",
             "KOMPLET       SMALLINT,",
             "CONSTRAINT PARAGONY PRIMARY KEY(ID)",
             ");",
         }},
        {"C_PARAGONY_IDX",
         {
             "CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO);",
             "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET);",
             "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);",
             "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT);",
             "",
         }},
        {"C_WYSLANE",
         {
             "CREATE TABLE WYSLANE(",
             "ID_KASY       INTEGER NOT NULL,",
             "KOD           INTEGER NOT NULL,",
             "ASORT         VARCHAR(20),",
             "REKORD        VARCHAR(120),",
             "DATA          TIMESTAMP,",
             "CONSTRAINT WYSLANE PRIMARY KEY(ID_KASY,KOD)",
             ");",
         }},
        // One row per readout file handed over to the trade system; the key keeps a file from going twice.
        {"C_PRZESLANE_ODCZYTY",
         {
             "CREATE TABLE PRZESLANE_ODCZYTY(",
             "PLIK          VARCHAR(20) NOT NULL,",
             "KASA          INTEGER NOT NULL,",
             "ODCZYT        VARCHAR(12),",
             "DATASPRZ      DATE,",
             "CZAS_ODCZYTU  TIMESTAMP,",
             "DATA          TIMESTAMP,",
             "LINIE         INTEGER,",
             "WARTOSC       NUMERIC(15,4),",
             "CONSTRAINT PRZESLANE_ODCZYTY PRIMARY KEY(PLIK,KASA)",
             ");",
         }},
        // The ledger of stored readouts and reset reports (exchange/ReadoutLedger.h): one row per stored file, in
        // the order of the generator G_NR_ODCZYTY_KAS.
        {"C_ODCZYTY_KAS",
         {
             "CREATE TABLE ODCZYTY_KAS(",
             "NR            INTEGER NOT NULL,",
             "KASA          INTEGER NOT NULL,",
             "ID_KASY       INTEGER,",
             "PLIK          VARCHAR(20) NOT NULL,",
             "SCIEZKA       VARCHAR(250),",
             "RODZAJ        CHAR(1) NOT NULL,",
             "KONIEC_OKRESU SMALLINT NOT NULL,",
             "OKRES         INTEGER NOT NULL,",
             "DATASPRZ      DATE,",
             "ZAPISANO      TIMESTAMP,",
             "ROZMIAR       BIGINT,",
             "SUMA_KONTROLNA VARCHAR(16),",
             "CONSTRAINT ODCZYTY_KAS PRIMARY KEY(NR),",
             "CONSTRAINT ODCZYTY_KAS_PLIK UNIQUE(PLIK,KASA)",
             ");",
         }},
        {"C_ODCZYTY_KAS_IDX",
         {
             "CREATE INDEX ODCZYTY_KAS02 ON ODCZYTY_KAS(KASA,OKRES,NR);",
             "",
         }},
        // Per stored file and code: the totals, the register's name and the good the memory of sent goods named.
        {"C_ODCZYTY_KAS_SUMY",
         {
             "CREATE TABLE ODCZYTY_KAS_SUMY(",
             "NR            INTEGER NOT NULL,",
             "KOD           VARCHAR(40) NOT NULL,",
             "ILOSC         NUMERIC(18,4),",
             "WARTOSC       NUMERIC(18,4),",
             "ASORT         VARCHAR(20),",
             "NAZWA         VARCHAR(40),",
             "CONSTRAINT ODCZYTY_KAS_SUMY PRIMARY KEY(NR,KOD)",
             ");",
         }},
        // One row per register: its current counting period; locked by every writer of the register's ledger.
        {"C_KASY_OKRESY",
         {
             "CREATE TABLE KASY_OKRESY(",
             "KASA          INTEGER NOT NULL,",
             "OKRES         INTEGER NOT NULL,",
             "ZAMKNIETY     SMALLINT NOT NULL,",
             "CONSTRAINT KASY_OKRESY PRIMARY KEY(KASA)",
             ");",
         }},
        // Per register, period and code: the largest totals handed over to Wolnar.
        {"C_PRZEKAZANE_SUMY",
         {
             "CREATE TABLE PRZEKAZANE_SUMY(",
             "KASA          INTEGER NOT NULL,",
             "OKRES         INTEGER NOT NULL,",
             "KOD           VARCHAR(40) NOT NULL,",
             "ILOSC         NUMERIC(18,4),",
             "WARTOSC       NUMERIC(18,4),",
             "CONSTRAINT PRZEKAZANE_SUMY PRIMARY KEY(KASA,OKRES,KOD)",
             ");",
         }},
        {"G_NR_ODCZYTY_KAS",
         {
             "CREATE GENERATOR G_NR_ODCZYTY_KAS;",
             "SET GENERATOR G_NR_ODCZYTY_KAS TO 0;",
         }},
        {"G_ID_COM_DEF",
         {
             "CREATE GENERATOR G_ID_COM_DEF;",
             "SET GENERATOR G_ID_COM_DEF TO -1;",
         }},
        {"G_ID_ODCZYT",
         {
             "CREATE GENERATOR G_ID_ODCZYT;",
             "SET GENERATOR G_ID_ODCZYT TO -1;",
         }},
        {"G_ID_PARAGONY",
         {
             "CREATE GENERATOR G_ID_PARAGONY;",
             "SET GENERATOR G_ID_PARAGONY TO -1;",
         }},
        {"TRI_COM_DEF",
         {
             "CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF",
             "ACTIVE BEFORE INSERT POSITION 0",
             "AS",
             "BEGIN NEW.ID = GEN_ID(G_ID_COM_DEF, 1); END",
             "",
         }},
        {"TRI_HIST_PAR",
         {
             "CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR",
             "ACTIVE BEFORE INSERT",
             "POSITION 0",
             "AS",
             "BEGIN",
             "  NEW.ID = GEN_ID(G_ID_PARAGONY, 1);",
             "  NEW.DATA_WPISU = current_timestamp;\t",
             "END;",
         }},
        {"TRI_ODCZYT",
         {
             "CREATE TRIGGER TRI_ODCZYT FOR ODCZYT",
             "ACTIVE BEFORE INSERT",
             "POSITION 0",
             "AS",
             "BEGIN",
             "  NEW.ID = GEN_ID(G_ID_ODCZYT, 1);",
             "  NEW.DATA = current_timestamp;\t",
             "END;",
         }},
        {"TRI_PARAGONY",
         {
             "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY",
             "ACTIVE BEFORE INSERT POSITION 0",
             "AS",
             "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END",
             "",
         }},
    };
    return scripts;
}

} // namespace

std::vector<std::string> GetSqlScript(const std::string& name)
{
    for (const Script& script : Catalogue())
        if (name == script.name)
            return script.lines;
    return {};
}

std::vector<std::string> SqlScriptNames()
{
    std::vector<std::string> names;
    for (const Script& script : Catalogue())
        names.emplace_back(script.name);
    return names;
}

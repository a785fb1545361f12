// Schema verification and upgrade (TestStru and its parts) and the two script runners.
#include "DbTestFixture.h"
#include "db/USql.h"
#include "util/Cp1250Literal.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

class DbSchema : public DbFixture
{
protected:
    bool IndexExists(const std::string& index) { return dm->JestIndeks("", index); }
};

TEST_F(DbSchema, EmptyDatabaseGetsEveryTableInOrder)
{
    dm->TestStru(false);
    EXPECT_THAT(
        log.Lines(),
        ElementsAre(
            "Pusta listaScr  ", "Dopisana tabela BLOK_CEN", "Pusta listaScr  ", "Dopisana tabela COM_DEF",
            "Pusta listaScr  ", "Dopisana tabela HIST_PAR", "Dopisana tabela ODCZYT", "Dopisana tabela PARAGONY",
            "Pusta listaScr  ", "Dopisana tabela WYSLANE", "Pusta listaScr  ", "Dopisana tabela PRZESLANE_ODCZYTY",
            "Dopisana tabela ODCZYTY_KAS", "Pusta listaScr  ", "Dopisana tabela ODCZYTY_KAS_SUMY", "Pusta listaScr  ",
            "Dopisana tabela KASY_OKRESY", "Pusta listaScr  ", "Dopisana tabela PRZEKAZANE_SUMY",
            "Dopisany generator G_NR_ODCZYTY_KAS", "Dopisany generator G_ID_COM_DEF", "Dopisany generator G_ID_ODCZYT",
            "Dopisany generator G_ID_PARAGONY", "Dopisany wyzwalacz TRI_COM_DEF", "Dopisany wyzwalacz TRI_HIST_PAR",
            "Dopisany wyzwalacz TRI_ODCZYT", "Dopisany wyzwalacz TRI_PARAGONY"));
    std::vector<std::string> created;
    for (const std::string& command : Commands())
        created.push_back(command.substr(0, command.find_first_of("(\r")));
    EXPECT_THAT(
        created,
        ElementsAre("CREATE TABLE BLOK_CEN", "CREATE TABLE COM_DEF", "CREATE TABLE HIST_PAR ", "CREATE TABLE ODCZYT",
                    "CREATE INDEX ODCZYT0 ON ODCZYT", "CREATE TABLE PARAGONY", "CREATE INDEX PARAGONY00 ON PARAGONY",
                    "CREATE INDEX PARAGONY01 ON PARAGONY", "CREATE INDEX PARAGONY03 ON PARAGONY",
                    "CREATE INDEX PARAGONY04 ON PARAGONY", "CREATE TABLE WYSLANE", "CREATE TABLE PRZESLANE_ODCZYTY",
                    "CREATE TABLE ODCZYTY_KAS", "CREATE INDEX ODCZYTY_KAS02 ON ODCZYTY_KAS",
                    "CREATE TABLE ODCZYTY_KAS_SUMY", "CREATE TABLE KASY_OKRESY", "CREATE TABLE PRZEKAZANE_SUMY",
                    "CREATE GENERATOR G_NR_ODCZYTY_KAS", "SET GENERATOR G_NR_ODCZYTY_KAS TO 0",
                    "CREATE GENERATOR G_ID_COM_DEF", "SET GENERATOR G_ID_COM_DEF TO -1", "CREATE GENERATOR G_ID_ODCZYT",
                    "SET GENERATOR G_ID_ODCZYT TO -1", "CREATE GENERATOR G_ID_PARAGONY",
                    "SET GENERATOR G_ID_PARAGONY TO -1", "CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF",
                    "CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR", "CREATE TRIGGER TRI_ODCZYT FOR ODCZYT",
                    "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY"));
    // A table script goes as one statement: its non-empty lines, each ended by CR LF, ";" included.
    EXPECT_EQ(Commands()[0], "CREATE TABLE BLOK_CEN(\r\nASORT         VARCHAR(20) NOT NULL,\r\nBLOK          INTEGER,"
                             "\r\nWYBOR         INTEGER,\r\nCONSTRAINT BLOK_CEN PRIMARY KEY(ASORT)\r\n);\r\n");
    // The line runner sends index lines without their ";".
    EXPECT_EQ(Commands()[4], "CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA)");
    for (const char* table : {"BLOK_CEN", "COM_DEF", "HIST_PAR", "ODCZYT", "PARAGONY", "WYSLANE", "PRZESLANE_ODCZYTY"})
        EXPECT_TRUE(dm->JestTabela(table)) << table;
    for (const char* index : {"ODCZYT0", "PARAGONY00", "PARAGONY01", "PARAGONY03", "PARAGONY04"})
        EXPECT_TRUE(IndexExists(index)) << index;
    EXPECT_THAT(dm->ListaPol("com_def", false, false).back(), "NRKASYSYSTEM");
    EXPECT_EQ(screen.busyOn, 1);
    EXPECT_EQ(screen.busyOff, 1);
    EXPECT_TRUE(screen.prompts.empty());
}

TEST_F(DbSchema, SecondRunSendsOnlyQueries)
{
    dm->TestStru(false);
    log.Clear();
    sent.clear();
    dm->TestStru(false);
    EXPECT_FALSE(sent.empty());
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbSchema, MissingColumnsAreAddedAndOthersKept)
{
    struct Case {
        std::string table;
        std::string existing; // DDL of the older table
        std::string alter;    // the one statement expected
    };
    const Case cases[] = {
        {"BLOK_CEN", "create table BLOK_CEN (ASORT varchar(20) not null primary key, BLOK integer, EXTRA integer)",
         "ALTER TABLE BLOK_CEN\r\nADD WYBOR         INTEGER\r\n;\r\n"},
        {"ODCZYT", "create table ODCZYT (PLIK varchar(40))",
         "ALTER TABLE ODCZYT\r\nADD ID            INTEGER NOT NULL,\r\nADD LINIA         VARCHAR(150),\r\n"
         "ADD DATA          TIMESTAMP\r\n;\r\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(dm->RunSQL(c.existing));
        sent.clear();
        dm->DopiszPola("C_" + c.table, c.table);
        EXPECT_THAT(Commands(), ElementsAre(c.alter));
    }
    EXPECT_THAT(dm->ListaPol("BLOK_CEN", false, true), ElementsAre("ASORT", "BLOK", "EXTRA", "WYBOR"));
    // The older column keeps its type: PLIK stays VARCHAR(40).
    EXPECT_THAT(dm->ListaPol("ODCZYT", true, false)[0], HasSubstr("Varchar(40)"));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbSchema, OlderComDefGetsTheRegisterSystemNumber)
{
    std::vector<std::string> older;
    for (const std::string& line : GetSqlScript("C_COM_DEF"))
        if (line.rfind("NRKASYSYSTEM", 0) != 0)
            older.push_back(line == "TIMEOUT2     INTEGER DEFAULT 0," ? "TIMEOUT2     INTEGER DEFAULT 0" : line);
    ASSERT_TRUE(dm->RunScript(older, "", false));
    sent.clear();
    dm->TestStru(false);
    EXPECT_THAT(Commands(), ::testing::Contains("ALTER TABLE COM_DEF\r\nADD NRKASYSYSTEM INTEGER\r\n;\r\n"));
    EXPECT_THAT(log.Text(), ::testing::Not(HasSubstr("Dopisana tabela COM_DEF")));
}

TEST_F(DbSchema, DroppedIndexIsCreatedAgain)
{
    dm->TestStru(false);
    ASSERT_TRUE(dm->RunSQL("drop index PARAGONY03"));
    sent.clear();
    dm->TestStru(false);
    EXPECT_THAT(Commands(), ElementsAre("CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);"));
    EXPECT_TRUE(IndexExists("PARAGONY03"));
    EXPECT_TRUE(dm->JestIndeks("paragony", "paragony03"));
    EXPECT_FALSE(dm->JestIndeks("ODCZYT", "PARAGONY03"));
}

TEST_F(DbSchema, RecreateFlagRebuildsEveryIndex)
{
    dm->TestStru(false);
    log.Clear();
    sent.clear();
    dm->TestStru(true);
    EXPECT_THAT(Commands(), ElementsAre("drop index ODCZYT0", "CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA);",
                                        "drop index PARAGONY00", GetSqlScript("C_PARAGONY_IDX")[0],
                                        "drop index PARAGONY01", GetSqlScript("C_PARAGONY_IDX")[1],
                                        "drop index PARAGONY03", GetSqlScript("C_PARAGONY_IDX")[2],
                                        "drop index PARAGONY04", GetSqlScript("C_PARAGONY_IDX")[3],
                                        "drop index ODCZYTY_KAS02", GetSqlScript("C_ODCZYTY_KAS_IDX")[0]));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbSchema, TableWithoutScriptIsNotReportedCreated)
{
    EXPECT_EQ(dm->DopiszTabele("KARTAS2024"), -1);
    EXPECT_EQ(log.Text(), "Pusta listaScr  \r\n");
    EXPECT_TRUE(Commands().empty());
}

TEST_F(DbSchema, FieldListWithDefinitions)
{
    dm->TestStru(false);
    auto fields = dm->ListaPol("paragony", true, false);
    ASSERT_EQ(fields.size(), 23u);
    // Names padded to the longest (STAWKA_VAT) + 2, then the definition, which begins with a blank.
    EXPECT_EQ(fields[0], "ID           Integer NOT NULL");
    EXPECT_EQ(fields[1], "ODCZYT       Varchar(12)");
    EXPECT_EQ(fields[2], "DATASPRZ     TimeStamp");
    EXPECT_EQ(fields[3], "DATA         Date");
    EXPECT_EQ(fields[11], "STAWKA_VAT   Numeric(5,2)");
    EXPECT_EQ(fields[12], "ILOSC        Numeric(15,4)");
    EXPECT_EQ(fields[22], "KOMPLET      Smallint");
    EXPECT_THAT(dm->ListaPol("BLOK_CEN", false, false), ElementsAre("ASORT", "BLOK", "WYBOR"));
    EXPECT_TRUE(dm->ListaPol("NO_SUCH_TABLE", false, true).empty());
    dm->CloseConnection();
    EXPECT_TRUE(dm->ListaPol("PARAGONY", false, true).empty());
}

TEST_F(DbSchema, FailuresAreReportedAndTheTestGoesOn)
{
    // HIST_PAR cannot be created (a procedure holds the name); ODCZYT0 cannot index a blob column.
    ASSERT_TRUE(dm->RunSQL("create procedure HIST_PAR as begin end"));
    ASSERT_TRUE(dm->RunSQL("create table ODCZYT (ID integer not null, PLIK blob, LINIA varchar(150), DATA timestamp)"));
    dm->TestStru(false);

    ASSERT_EQ(screen.prompts.size(), 1u); // the table script prompts, the index command only logs
    const std::string& prompt = screen.prompts[0].text;
    EXPECT_EQ(prompt.rfind("CREATE TABLE HIST_PAR (\r\nID         INTEGER NOT NULL,\r\n", 0), 0u) << prompt;
    const std::string text = log.Text();
    EXPECT_THAT(text, HasSubstr(prompt + "\r\n"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("Dopisana tabela HIST_PAR")));
    EXPECT_THAT(text, HasSubstr(" :: CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA);\r\n"));
    EXPECT_THAT(text, HasSubstr("Dopisana tabela PARAGONY"));
    EXPECT_TRUE(IndexExists("PARAGONY04"));
}

TEST_F(DbSchema, ErrorOfTheExistenceQueryEndsTheTest)
{
    dm->CloseConnection();
    EXPECT_THROW(dm->TestStru(false), DbError);
    EXPECT_EQ(screen.busyOn, screen.busyOff);
}

class DbRunners : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->RunSQL("create table r (a integer)"));
        sent.clear();
    }
};

TEST_F(DbRunners, LineRunnerTrimsAndDropsItsMarks)
{
    EXPECT_TRUE(dm->RunScr({"  insert into r values (1);#", "insert into r values (2)# ", "", "  ",
                            "-- nothing to commit here", "insert into r values (3);"},
                           "tytul", false));
    EXPECT_THAT(Commands(),
                ElementsAre("insert into r values (1)", "insert into r values (2)", "insert into r values (3)"));
    EXPECT_EQ(Count("from r"), 3);
}

TEST_F(DbRunners, LineRunnerUndoesTheWholeScriptOnError)
{
    EXPECT_FALSE(dm->RunScr({"insert into r values (1)", "insert into NO_SUCH values (2);", "insert into r values (3)"},
                            "skrypt", false));
    EXPECT_EQ(Commands().size(), 2u);
    EXPECT_EQ(Count("from r"), 0);
    const std::string text = log.Text();
    EXPECT_EQ(text.rfind("insert into NO_SUCH values (2)\r\nskrypt\r\nDynamic SQL Error\r\n-", 0), 0u) << text;
    ASSERT_EQ(screen.prompts.size(), 1u);
    EXPECT_EQ(screen.prompts[0].text + "\r\n", text);
}

TEST_F(DbRunners, StatementRunnerGoesOnAfterAFailure)
{
    // A "#" followed by a blank is not a statement's end: the next line joins the statement, which then fails.
    EXPECT_FALSE(
        dm->RunScript({"insert into r values (1)#", "insert into NO_SUCH", "values (2)#", "", "insert into r",
                       "values (3)#", "insert into r values (4)# ", "insert into r values (5)#", "", "COMMIT;"},
                      "skrypt", true));
    EXPECT_THAT(Commands(), ElementsAre("insert into r values (1)\r\n", "insert into NO_SUCH\r\nvalues (2)\r\n",
                                        "insert into r\r\nvalues (3)\r\n",
                                        "insert into r values (4)# \r\ninsert into r values (5)\r\n"));
    EXPECT_EQ(Count("from r"), 2);
    const std::string text = log.Text();
    EXPECT_EQ(text.rfind("insert into NO_SUCH\r\nvalues (2)\r\n\r\nskrypt\r\nDynamic SQL Error\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("insert into r values (4)# \r\ninsert into r values (5)\r\n\r\nskrypt\r\nDynamic SQL Error"),
              std::string::npos)
        << text;
    EXPECT_TRUE(screen.prompts.empty()); // silent
}

TEST_F(DbRunners, EmptyScriptsAreLoggedAsEmpty)
{
    EXPECT_TRUE(dm->RunScr({}, "A", false));
    EXPECT_TRUE(dm->RunScript({}, "B", false));
    EXPECT_EQ(log.Text(), "Pusta listaScr  A\r\nPusta listaScr  B\r\n");
    EXPECT_TRUE(sent.empty());
}

TEST_F(DbRunners, CatalogueGeneratorsAndTriggersNumberTheRows)
{
    // The structure test creates the generators and triggers with the tables.
    dm->TestStru(false);
    ASSERT_TRUE(
        dm->RunSQLBatch({"insert into PARAGONY (ID, NUMER) values (100, 1)", "insert into PARAGONY (NUMER) values (2)",
                         "insert into PARAGONY (NUMER) values (3)", "insert into HIST_PAR (OPIS) values ('opis')",
                         "insert into PARAGONY (NUMER) values (4)"}));
    EXPECT_EQ(dm->ReadInteger("id", "select id from HIST_PAR", -1), 3);
    EXPECT_EQ(dm->ReadInteger("id", "select id from PARAGONY where NUMER = 4", -1), 4);
    EXPECT_EQ(dm->ReadInteger("id", "select id from PARAGONY where NUMER = 1", -1), 0);
    EXPECT_EQ(Count("from HIST_PAR where DATA_WPISU is not null"), 1);
}

class DbDemoDatabase : public DbFixture
{
protected:
    DbDemoDatabase() : DbFixture(demodb::Content::Demo) {}
};

TEST_F(DbDemoDatabase, SchemaTestCompletesTheDemoDatabase)
{
    dm->TestStru(false);
    EXPECT_THAT(
        log.Lines(),
        ElementsAre(
            "Pusta listaScr  ", "Dopisana tabela BLOK_CEN", "Pusta listaScr  ", "Dopisana tabela HIST_PAR",
            "Dopisana tabela ODCZYT", "Dopisana tabela PARAGONY", "Pusta listaScr  ", "Dopisana tabela WYSLANE",
            "Pusta listaScr  ", "Dopisana tabela PRZESLANE_ODCZYTY", "Dopisana tabela ODCZYTY_KAS", "Pusta listaScr  ",
            "Dopisana tabela ODCZYTY_KAS_SUMY", "Pusta listaScr  ", "Dopisana tabela KASY_OKRESY", "Pusta listaScr  ",
            "Dopisana tabela PRZEKAZANE_SUMY", "Dopisany generator G_NR_ODCZYTY_KAS", "Dopisany generator G_ID_COM_DEF",
            "Dopisany generator G_ID_ODCZYT", "Dopisany generator G_ID_PARAGONY", "Dopisany wyzwalacz TRI_COM_DEF",
            "Dopisany wyzwalacz TRI_HIST_PAR", "Dopisany wyzwalacz TRI_ODCZYT", "Dopisany wyzwalacz TRI_PARAGONY"));
    EXPECT_EQ(Count("from COM_DEF where NRKASYSYSTEM is not null"), 3);
    const std::string goods = demodb::GoodsTableName(Today().year);
    EXPECT_GT(Count("from " + goods), 200);
    EXPECT_EQ(Count("from " + goods + " where asort = '123'"), 1);
    EXPECT_EQ(Count("from " + goods + " where asort = 'D''ARBO1'"), 1);
    EXPECT_GT(Count("from " + demodb::GoodsTableName(Today().year - 1)), 200);
    DataSet ds;
    dm->OpenSds(ds, "select nazwa, cena_1 from " + goods + " where asort = '101'");
    EXPECT_EQ(ds.FieldByName("nazwa").AsString(), "Chleb żytni na zakwasie 500g"_cp); // Windows-1250 bytes
    EXPECT_EQ(ds.FieldByName("cena_1").AsString(), "6.9900");
}

// ---- the DDL catalogue, compared whole: a changed column size, default or generator start fails here.

// The whole DDL catalogue, script by script: the lines of each joined with "\n".
const std::pair<const char*, const char*> ExpectedCatalogue[] = {
    {"C_BLOK_CEN", "CREATE TABLE BLOK_CEN(\n"
                   "ASORT         VARCHAR(20) NOT NULL,\n"
                   "BLOK          INTEGER,\n"
                   "WYBOR         INTEGER,\n"
                   "CONSTRAINT BLOK_CEN PRIMARY KEY(ASORT)\n"
                   ");"},
    {"C_COM_DEF", "CREATE TABLE COM_DEF(\n"
                  "NR_KOMP      INTEGER DEFAULT 0,\n"
                  "PORT         INTEGER DEFAULT 0,\n"
                  "SZYBKOSC     INTEGER DEFAULT 0,\n"
                  "BITY_DANYCH  INTEGER DEFAULT 0,\n"
                  "BITY_STOPU   NUMERIC(15,4) DEFAULT 0,\n"
                  "PARZYSTOSC   VARCHAR(10) DEFAULT '',\n"
                  "PROTOKOL     VARCHAR(10) DEFAULT '',\n"
                  "TYP          VARCHAR(30) DEFAULT '',\n"
                  "TIMEOUT      INTEGER DEFAULT 0,\n"
                  "METODADF     INTEGER DEFAULT 0,\n"
                  "ID           INTEGER,\n"
                  "KOD_KASA     VARCHAR(5),\n"
                  "NAZWA        VARCHAR(20),\n"
                  "CENA         VARCHAR(10),\n"
                  "REJ          INTEGER,\n"
                  "KIERUNEK     VARCHAR(3),\n"
                  "MAGAZYN      VARCHAR(3),\n"
                  "KOD          INTEGER,\n"
                  "NEONRSZT     INTEGER,\n"
                  "NEONRKG      INTEGER,\n"
                  "NEONRPOCZ    INTEGER,\n"
                  "NEOMAXKOD    INTEGER,\n"
                  "AKT_TOWARY   TIMESTAMP,\n"
                  "AKT_CENY     TIMESTAMP,\n"
                  "TIMEOUT2     INTEGER DEFAULT 0,\n"
                  "NRKASYSYSTEM INTEGER\n"
                  ");\n"
                  ""},
    {"C_HIST_PAR", "CREATE TABLE HIST_PAR (\n"
                   "ID         INTEGER NOT NULL,\n"
                   "DATA_WPISU TIMESTAMP,\n"
                   "OPIS       VARCHAR(100),\n"
                   "CONSTRAINT HIST_PAR0 PRIMARY KEY(ID)\n"
                   ");"},
    {"C_ODCZYT", "CREATE TABLE ODCZYT(\n"
                 "ID            INTEGER NOT NULL,\n"
                 "PLIK          VARCHAR(20),\n"
                 "LINIA         VARCHAR(150),\n"
                 "DATA          TIMESTAMP,\n"
                 "CONSTRAINT ODCZYT PRIMARY KEY(ID)\n"
                 ");"},
    {"C_ODCZYT_IDX", "CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA);\n"
                     ""},
    {"C_PARAGONY", "CREATE TABLE PARAGONY(\n"
                   "ID            INTEGER NOT NULL,\n"
                   "ODCZYT        VARCHAR(12),\n"
                   "DATASPRZ      TIMESTAMP,\n"
                   "DATA          DATE,\n"
                   "NUMER         INTEGER,\n"
                   "STORNO        INTEGER,\n"
                   "PLU           INTEGER,\n"
                   "ASORT         VARCHAR(20),\n"
                   "BARCODE       VARCHAR(14),\n"
                   "NAZWA         VARCHAR(24),\n"
                   "NR_VAT        INTEGER,\n"
                   "STAWKA_VAT    NUMERIC(5,2),\n"
                   "ILOSC         NUMERIC(15,4),\n"
                   "WARTOSC       NUMERIC(15,4),\n"
                   "CENA          NUMERIC(15,4),\n"
                   "UPUST         NUMERIC(15,4),\n"
                   "KASA          INTEGER,\n"
                   "KASJER        VARCHAR(24) COLLATE PXW_PLK,\n"
                   "JP1           VARCHAR(24) COLLATE PXW_PLK,\n"
                   "KWOTA1        NUMERIC(15,4),\n"
                   "JP2           VARCHAR(24) COLLATE PXW_PLK,\n"
                   "KWOTA2        NUMERIC(15,4),\n"
                   "KOMPLET       SMALLINT,\n"
                   "CONSTRAINT PARAGONY PRIMARY KEY(ID)\n"
                   ");"},
    {"C_PARAGONY_IDX", "CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO);\n"
                       "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET);\n"
                       "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);\n"
                       "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT);\n"
                       ""},
    {"C_WYSLANE", "CREATE TABLE WYSLANE(\n"
                  "ID_KASY       INTEGER NOT NULL,\n"
                  "KOD           INTEGER NOT NULL,\n"
                  "ASORT         VARCHAR(20),\n"
                  "REKORD        VARCHAR(120),\n"
                  "DATA          TIMESTAMP,\n"
                  "CONSTRAINT WYSLANE PRIMARY KEY(ID_KASY,KOD)\n"
                  ");"},
    {"C_PRZESLANE_ODCZYTY", "CREATE TABLE PRZESLANE_ODCZYTY(\n"
                            "PLIK          VARCHAR(20) NOT NULL,\n"
                            "KASA          INTEGER NOT NULL,\n"
                            "ODCZYT        VARCHAR(12),\n"
                            "DATASPRZ      DATE,\n"
                            "CZAS_ODCZYTU  TIMESTAMP,\n"
                            "DATA          TIMESTAMP,\n"
                            "LINIE         INTEGER,\n"
                            "WARTOSC       NUMERIC(15,4),\n"
                            "CONSTRAINT PRZESLANE_ODCZYTY PRIMARY KEY(PLIK,KASA)\n"
                            ");"},
    {"C_ODCZYTY_KAS", "CREATE TABLE ODCZYTY_KAS(\n"
                      "NR            INTEGER NOT NULL,\n"
                      "KASA          INTEGER NOT NULL,\n"
                      "ID_KASY       INTEGER,\n"
                      "PLIK          VARCHAR(20) NOT NULL,\n"
                      "SCIEZKA       VARCHAR(250),\n"
                      "RODZAJ        CHAR(1) NOT NULL,\n"
                      "KONIEC_OKRESU SMALLINT NOT NULL,\n"
                      "OKRES         INTEGER NOT NULL,\n"
                      "DATASPRZ      DATE,\n"
                      "ZAPISANO      TIMESTAMP,\n"
                      "ROZMIAR       BIGINT,\n"
                      "SUMA_KONTROLNA VARCHAR(16),\n"
                      "CONSTRAINT ODCZYTY_KAS PRIMARY KEY(NR),\n"
                      "CONSTRAINT ODCZYTY_KAS_PLIK UNIQUE(PLIK,KASA)\n"
                      ");"},
    {"C_ODCZYTY_KAS_IDX", "CREATE INDEX ODCZYTY_KAS02 ON ODCZYTY_KAS(KASA,OKRES,NR);\n"
                          ""},
    {"C_ODCZYTY_KAS_SUMY", "CREATE TABLE ODCZYTY_KAS_SUMY(\n"
                           "NR            INTEGER NOT NULL,\n"
                           "KOD           VARCHAR(40) NOT NULL,\n"
                           "ILOSC         NUMERIC(18,4),\n"
                           "WARTOSC       NUMERIC(18,4),\n"
                           "ASORT         VARCHAR(20),\n"
                           "NAZWA         VARCHAR(40),\n"
                           "CONSTRAINT ODCZYTY_KAS_SUMY PRIMARY KEY(NR,KOD)\n"
                           ");"},
    {"C_KASY_OKRESY", "CREATE TABLE KASY_OKRESY(\n"
                      "KASA          INTEGER NOT NULL,\n"
                      "OKRES         INTEGER NOT NULL,\n"
                      "ZAMKNIETY     SMALLINT NOT NULL,\n"
                      "CONSTRAINT KASY_OKRESY PRIMARY KEY(KASA)\n"
                      ");"},
    {"C_PRZEKAZANE_SUMY", "CREATE TABLE PRZEKAZANE_SUMY(\n"
                          "KASA          INTEGER NOT NULL,\n"
                          "OKRES         INTEGER NOT NULL,\n"
                          "KOD           VARCHAR(40) NOT NULL,\n"
                          "ILOSC         NUMERIC(18,4),\n"
                          "WARTOSC       NUMERIC(18,4),\n"
                          "CONSTRAINT PRZEKAZANE_SUMY PRIMARY KEY(KASA,OKRES,KOD)\n"
                          ");"},
    {"G_NR_ODCZYTY_KAS", "CREATE GENERATOR G_NR_ODCZYTY_KAS;\n"
                         "SET GENERATOR G_NR_ODCZYTY_KAS TO 0;"},
    {"G_ID_COM_DEF", "CREATE GENERATOR G_ID_COM_DEF;\n"
                     "SET GENERATOR G_ID_COM_DEF TO -1;"},
    {"G_ID_ODCZYT", "CREATE GENERATOR G_ID_ODCZYT;\n"
                    "SET GENERATOR G_ID_ODCZYT TO -1;"},
    {"G_ID_PARAGONY", "CREATE GENERATOR G_ID_PARAGONY;\n"
                      "SET GENERATOR G_ID_PARAGONY TO -1;"},
    {"TRI_COM_DEF", "CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF\n"
                    "ACTIVE BEFORE INSERT POSITION 0\n"
                    "AS\n"
                    "BEGIN NEW.ID = GEN_ID(G_ID_COM_DEF, 1); END\n"
                    ""},
    {"TRI_HIST_PAR", "CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR\n"
                     "ACTIVE BEFORE INSERT\n"
                     "POSITION 0\n"
                     "AS\n"
                     "BEGIN\n"
                     "  NEW.ID = GEN_ID(G_ID_PARAGONY, 1);\n"
                     "  NEW.DATA_WPISU = current_timestamp;\t\n"
                     "END;"},
    {"TRI_ODCZYT", "CREATE TRIGGER TRI_ODCZYT FOR ODCZYT\n"
                   "ACTIVE BEFORE INSERT\n"
                   "POSITION 0\n"
                   "AS\n"
                   "BEGIN\n"
                   "  NEW.ID = GEN_ID(G_ID_ODCZYT, 1);\n"
                   "  NEW.DATA = current_timestamp;\t\n"
                   "END;"},
    {"TRI_PARAGONY", "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY\n"
                     "ACTIVE BEFORE INSERT POSITION 0\n"
                     "AS\n"
                     "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END\n"
                     ""},
};

TEST(DdlCatalogue, EveryScriptReadsExactlyAsExpected)
{
    std::vector<std::string> names;
    for (const auto& [name, text] : ExpectedCatalogue) {
        names.emplace_back(name);
        const std::vector<std::string> lines = GetSqlScript(name);
        std::string joined;
        for (size_t i = 0; i < lines.size(); ++i)
            joined += (i ? "\n" : "") + lines[i];
        EXPECT_EQ(joined, text) << name;
    }
    EXPECT_EQ(SqlScriptNames(), names);
}

} // namespace

// The query and command helpers of the database module on a real (embedded) Firebird database.
#include "DbTestFixture.h"
#include "db/Firebird.h"
#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using ::testing::HasSubstr;

namespace
{

const std::string PolishText = "Zażółć gęślą jaźń"_cp;

class DbHelpers : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->RunSQL("create table t (i integer, v varchar(20), n numeric(15,4))"));
        ASSERT_TRUE(dm->RunSQLBatch({"insert into t values (1, 'a', 12.349)", "insert into t values (2, 'b', null)",
                                     "insert into t values (3, null, -0.5)"}));
        sent.clear();
    }
};

TEST_F(DbHelpers, ValuesComeTyped)
{
    ASSERT_TRUE(dm->RunSQL("create table v (n numeric(15,3), small numeric(5,2), d date, ts timestamp, tm time, "
                           "b blob sub_type text, c char(5), vc varchar(10), i integer, big bigint, f double "
                           "precision, s smallint)"));
    ASSERT_TRUE(dm->RunSQL("insert into v values (12.349, 5.00, '2024-03-26', '2024-03-26 14:05:09.123', "
                           "'23:59:58', '" +
                           PolishText + "', 'ab', '" + PolishText.substr(0, 6) + "  ', 7, 9007199254740993, 1.5, -3)"));
    ASSERT_TRUE(dm->RunSQL("insert into v (i) values (null)"));
    dm->OpenSQT("select * from v order by i nulls last");
    const Query& q = dm->SQT;
    EXPECT_EQ(std::get<Decimal>(q.FieldByName("n").Data()), (Decimal{12349, 3}));
    EXPECT_EQ(q.FieldByName("N").AsString(), "12.349");
    EXPECT_EQ(q.FieldByName("small").AsString(), "5.00");
    EXPECT_EQ(std::get<Date>(q.FieldByName("d").Data()), (Date{2024, 3, 26}));
    EXPECT_EQ(std::get<DateTime>(q.FieldByName("ts").Data()), (DateTime{{2024, 3, 26}, {14, 5, 9, 123}}));
    EXPECT_EQ(std::get<TimeOfDay>(q.FieldByName("tm").Data()), (TimeOfDay{23, 59, 58, 0}));
    EXPECT_EQ(q.FieldByName("b").AsString(), PolishText);
    EXPECT_EQ(q.FieldByName("c").AsString(), "ab   "); // CHAR as the server gives it
    EXPECT_EQ(q.FieldByName("vc").AsString(), PolishText.substr(0, 6) + "  ");
    EXPECT_EQ(std::get<int64_t>(q.FieldByName("i").Data()), 7);
    EXPECT_EQ(q.FieldByName("big").AsInteger(), 9007199254740993);
    EXPECT_EQ(std::get<double>(q.FieldByName("f").Data()), 1.5);
    EXPECT_EQ(q.FieldByName("s").AsInteger(), -3);
    dm->SQT.Next();
    ASSERT_FALSE(dm->SQT.Eof());
    for (const std::string& field : q.Fields().names)
        EXPECT_TRUE(q.FieldByName(field).IsNull()) << field;
    EXPECT_EQ(q.FieldByName("n").AsString(), "");
    EXPECT_EQ(q.FieldByName("i").AsInteger(), 0);
    EXPECT_THROW(q.FieldByName("nope"), FieldError);
    dm->SQT.Next();
    EXPECT_TRUE(dm->SQT.Eof());
}

TEST_F(DbHelpers, PreparedCommandRefusesNumbersTheColumnCannotHold)
{
    ASSERT_TRUE(dm->RunSQL("create table w (s smallint, i integer, n numeric(4,2), b bigint, x numeric(18,4))"));
    FbConnection connection;
    fb::ConnectParams params;
    params.database = db.Path();
    params.user = "SYSDBA";
    connection.Open(params);
    const struct {
        const char* column;
        Value value;
        bool fits;
    } cases[] = {
        {"s", Value(int64_t{32767}), true},
        {"s", Value(int64_t{-32768}), true},
        {"s", Value(int64_t{40000}), false},
        {"i", Value(int64_t{3000000000LL}), false},
        {"n", Value(Decimal{-32768, 2}), true},
        {"n", Value(Decimal{40000, 2}), false}, // 400.00 is 40000 hundredths: more than a SMALLINT holds
        {"b", Value(int64_t{INT64_MIN}), true},
        {"x", Value(Decimal{1000000000000000LL, 0}), false}, // 10^15 with four decimals needs 10^19
    };
    for (const auto& c : cases) {
        auto transaction = connection.StartTransaction();
        fb::PreparedCommand insert;
        insert.Prepare(connection, transaction.get(), std::string("insert into w (") + c.column + ") values (?)");
        if (c.fits) {
            insert.Execute(transaction.get(), {c.value});
            fb::Commit(transaction);
            const std::string sql = std::string("select ") + c.column + " from w where " + c.column + " is not null";
            dm->OpenSQT(sql);
            EXPECT_EQ(dm->SQT.FieldByName(c.column).AsString(), c.value.AsString()) << sql;
            dm->SQT.Close();
            ASSERT_TRUE(dm->RunSQL("delete from w"));
        } else {
            EXPECT_THROW(insert.Execute(transaction.get(), {c.value}), DbError)
                << c.column << " " << c.value.AsString();
        }
    }
}

TEST_F(DbHelpers, ForwardQueriesWalkTheirRows)
{
    dm->OpenSQT("select i from t order by i");
    dm->OpenSQTmp("select v from t where i = 2");
    std::vector<int64_t> seen;
    for (; !dm->SQT.Eof(); dm->SQT.Next())
        seen.push_back(dm->SQT.FieldByName("I").AsInteger());
    EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(dm->SQT.FieldByName("i").AsInteger(), 3); // past the end the last row stays
    EXPECT_EQ(dm->SQTmp.FieldByName("v").AsString(), "b");
    dm->OpenSQT("select i from t where i > 100");
    EXPECT_TRUE(dm->SQT.Eof());
    EXPECT_TRUE(dm->SQT.FieldByName("i").IsNull());
    dm->SQT.Close();
    EXPECT_FALSE(dm->SQT.Active());
    EXPECT_THROW(dm->SQT.FieldByName("i"), FieldError);
}

TEST_F(DbHelpers, CachedDataSetReadsLocatesAndRereads)
{
    DataSet ds;
    dm->OpenSds(ds, "select i, v, n from t order by i");
    ASSERT_EQ(ds.RecordCount(), 3);
    EXPECT_TRUE(ds.Locate("V", Value(std::string("b"))));
    EXPECT_EQ(ds.FieldByName("i").AsInteger(), 2);
    EXPECT_EQ(ds.Find("n", Value(Decimal{12349, 3})), 0);

    ds.SetValue(1, "v", Value(std::string("edited")));
    EXPECT_EQ(ds.At(1, "v").AsString(), "edited");

    ASSERT_TRUE(dm->RunSQL("update t set v = 'zz' where i = 3"));
    dm->OpenSds(ds, ds.CommandText);
    EXPECT_EQ(ds.At(1, "v").AsString(), "b");
    EXPECT_EQ(ds.At(2, "V").AsString(), "zz");
    EXPECT_EQ(ds.CommandText, "select i, v, n from t order by i");
}

TEST_F(DbHelpers, FailingQueriesRaiseTheServerMessage)
{
    DataSet ds;
    const std::vector<std::function<void()>> calls = {
        [] { dm->OpenSQT("select * from NO_SUCH_TABLE"); },
        [] { dm->OpenSQTmp("select * from NO_SUCH_TABLE"); },
        [&ds] { dm->OpenSds(ds, "select * from NO_SUCH_TABLE"); },
        [] { dm->Jest("select * from NO_SUCH_TABLE"); },
        [] { dm->ReadInteger("", "select * from NO_SUCH_TABLE", 0); },
    };
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const DbError& e) {
            EXPECT_THAT(e.what(), HasSubstr("Table unknown\n-NO_SUCH_TABLE"));
        }
    }
    EXPECT_FALSE(dm->SQT.Active());
    EXPECT_FALSE(dm->SQTmp.Active());
    EXPECT_FALSE(dm->dbQ.Active());
    EXPECT_FALSE(ds.Active());
    EXPECT_TRUE(screen.prompts.empty());
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbHelpers, OperatorTextExplainsKnownErrorsInPolish)
{
    // What the operator reads first, and, for a known situation, what it means.
    const std::string lead = "Błąd bazy danych."_cp;
    const struct {
        std::string sql;
        std::string advice; // start of the Polish explanation, empty for none
    } cases[] = {
        {"select * from NO_SUCH_TABLE", "W bazie danych brakuje tabeli."},
        {"select no_such_column from rdb$database", "W tabeli bazy danych brakuje pola."},
        {"select 1/0 from rdb$database", ""},
    };
    for (const auto& c : cases) {
        try {
            dm->OpenSQT(c.sql);
            ADD_FAILURE() << c.sql;
        } catch (const DbError& e) {
            const std::string text = e.OperatorText();
            EXPECT_EQ(text.rfind(c.advice.empty() ? lead + "\n" : lead + " " + c.advice, 0), 0u) << text;
            EXPECT_THAT(text, HasSubstr(std::string("\n") + e.what())) << "the server's message follows";
        }
    }
    EXPECT_EQ(DbError("Brak").OperatorText(), lead + "\nBrak");
}

TEST_F(DbHelpers, RunSqlCommitsEachCommand)
{
    EXPECT_TRUE(dm->RunSQL("insert into t (i) values (4)"));
    EXPECT_EQ(Count("from t"), 4);
    EXPECT_TRUE(dm->RunSQL("commit")); // a command that ends its own transaction
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbHelpers, RunSqlWithEmptyTextLeavesNoTrace)
{
    EXPECT_FALSE(dm->RunSQL(""));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(log.Text(), "");
}

TEST_F(DbHelpers, RunSqlLogsAFailureOnOneLine)
{
    const std::string command = "insert into NO_SUCH_TABLE values (1)";
    std::string message; // the server's message for this command, as a query would raise it
    try {
        dm->OpenSQT(command);
    } catch (const DbError& e) {
        message = e.what();
    }
    ASSERT_GE(std::count(message.begin(), message.end(), '\n'), 2) << "a multi-line server message";

    EXPECT_FALSE(dm->RunSQL(command));
    std::string expected = message;
    std::replace(expected.begin(), expected.end(), '\n', ' ');
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{expected + " :: " + command}));
    EXPECT_TRUE(screen.prompts.empty());
}

TEST_F(DbHelpers, BatchIsAllOrNothing)
{
    EXPECT_FALSE(dm->RunSQLBatch({"insert into t (i) values (10)", "insert into NO_SUCH_TABLE values (1)"}));
    EXPECT_EQ(Count("from t"), 3);
    EXPECT_THAT(log.Text(), HasSubstr(" :: insert into NO_SUCH_TABLE values (1)"));
    EXPECT_TRUE(dm->RunSQLBatch({"insert into t (i) values (10)", "", "update t set v = 'x' where i = 10"}));
    EXPECT_EQ(Count("from t where v = 'x'"), 1);
}

TEST_F(DbHelpers, JestAppendsItsRowLimit)
{
    EXPECT_TRUE(dm->Jest("select i from t where i = 2"));
    EXPECT_FALSE(dm->Jest("select i from t where i = 99"));
    EXPECT_EQ(sent.back().sql, "select i from t where i = 99 rows 1");
    EXPECT_THROW(dm->Jest("select i from t rows 1"), DbError); // a second limit is a syntax error
    EXPECT_FALSE(dm->dbQ.Active());
}

TEST_F(DbHelpers, ReadIntegerReadsTheFirstRow)
{
    struct Case {
        std::string field;
        std::string sql;
        int64_t expected;
        std::string sent;
    };
    const Case cases[] = {
        {"il", "select count(*) as il from t", 3, "select count(*) as il from t ROWS 1"},
        {"", "select i from t where i = 2", 2, "select i from t where i = 2 ROWS 1"}, // field: second word
        {"", "select i from t rows 10", 1, "select i from t rows 10"},                // "ROWS 1" already there
        {"i", "select first 1 i from t order by i desc", 3, "select first 1 i from t order by i desc"},
        {"i", "select i from t where i > 100", -7, "select i from t where i > 100 ROWS 1"}, // no row: default
        {"v", "select v from t where i = 3", 0, "select v from t where i = 3 ROWS 1"},      // NULL reads 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dm->ReadInteger(c.field, c.sql, -7), c.expected) << c.sql;
        EXPECT_EQ(dm->dbQ.SQL, c.sent);
        EXPECT_FALSE(dm->dbQ.Active());
    }
}

TEST_F(DbHelpers, AskAbortEndsTheProgramOnYes)
{
    for (bool answer : {false, true}) {
        LoginAborted = false;
        screen.terminateRequests = 0;
        screen.answers = {answer};
        dm->AskAbort("tekst");
        EXPECT_EQ(screen.prompts.back().caption, "Przerwać program?"_cp);
        EXPECT_EQ(screen.prompts.back().text, "tekst");
        EXPECT_EQ(LoginAborted, answer);
        EXPECT_EQ(screen.terminateRequests, answer ? 1 : 0);
    }
    EXPECT_EQ(log.Text(), ""); // the prompt writes nothing itself
}

TEST_F(DbHelpers, UnreachableServerIsReportedByDbConnect)
{
    DbPath = "127.0.0.1/1:/nowhere/baza.fdb"; // nothing listens on port 1
    EXPECT_FALSE(dm->dbConnect());
    EXPECT_EQ(ConnectStatus, -1);
    EXPECT_FALSE(dm->Connected());
    const std::string text = log.Text();
    EXPECT_EQ(text.rfind("dbConnect\r\n", 0), 0u) << text;
    EXPECT_THAT(text, HasSubstr("127.0.0.1"));
    ASSERT_EQ(screen.prompts.size(), 1u);
    EXPECT_EQ(screen.prompts[0].text + "\r\n", text);
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        EXPECT_EQ(text[i - 1], '\r') << "line feeds become CR LF";
    // A query without a connection raises instead of crashing.
    EXPECT_THROW(dm->OpenSQT("select 1 from rdb$database"), DbError);
}

TEST(HasServerName, TellsAServerFromAPathOnThisMachine)
{
    const std::pair<const char*, bool> cases[] = {
        {"/srv/sklep/SKLEP.FDB", false},
        {"SKLEP", false}, // an alias
        {"dbhost:/srv/sklep/SKLEP.FDB", true},
        {"localhost:/srv/sklep/SKLEP.FDB", true},
        {"127.0.0.1/3051:/srv/sklep/SKLEP.FDB", true},
        {"dbhost:D:\\Firma\\FIRMA.FDB", true},
        {"dbhost:", true},
        {"inet://dbhost/srv/SKLEP.FDB", true},
        {"INET6://[::1]/srv/SKLEP.FDB", true},
        {"\\\\dbhost\\sklep\\SKLEP.FDB", true},
        {"D:\\Firma\\FIRMA.FDB", false}, // a drive letter
        {"C:/Firma/FIRMA.FDB", false},
        {"/srv/a:b/SKLEP.FDB", false},
        {"./dane:1/SKLEP.FDB", false},
        {":/srv/x.fdb", false},
        {"", false},
    };
    for (const auto& [path, server] : cases)
        EXPECT_EQ(HasServerName(path), server) << path;
}

} // namespace

// The configuration gives the path in Windows-1250; the file on the disk has its name in UTF-8. The embedded engine
// opens it, and the connection's data stay in WIN1250.
TEST(PolishPath, EmbeddedEngineOpensADatabaseWhosePathHasPolishLetters)
{
    fb::UseUtf8FileNames(); // as the programs do before their first connection
    testsupport::TempDatabase db;
    testsupport::FakeScreen screen;
    testsupport::WorkLogCapture log;
    const std::string folder = db.Path().substr(0, db.Path().rfind('/') + 1) + "Łódź żółć"_cp;
    const std::string polish = folder + "/baza ąę.fdb"_cp;
    std::filesystem::create_directory(Win1250ToUtf8(folder));
    std::filesystem::rename(db.Path(), Win1250ToUtf8(polish));

    LoginAborted = false;
    const bool connected = testsupport::ConnectDm(polish);
    EXPECT_TRUE(connected) << log.Text();
    if (connected) {
        EXPECT_EQ(dm->ReadInteger("n", "select octet_length('żółć') as n from rdb$database"_cp, 0), 4);
    }
    dm.reset();
    std::filesystem::rename(Win1250ToUtf8(polish), db.Path());
}

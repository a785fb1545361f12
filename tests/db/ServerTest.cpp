// The connection through a Firebird server: the private server started by the CTest fixture (fbserver.sh) listens
// on 127.0.0.1 on the port written to $TARLO_FBSERVER_DIR/port; SYSDBA's password there is "masterkey".
#include "FaultFixture.h"
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

struct SentStatement {
    std::string sql;
    bool query;
    bool operator==(const SentStatement&) const = default;
};

class DbServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fb::UseUtf8FileNames(); // as the programs do before their first connection
        const char* dir = std::getenv("TARLO_FBSERVER_DIR");
        ASSERT_TRUE(dir) << "TARLO_FBSERVER_DIR is not set: run these tests through ctest";
        ASSERT_TRUE(ReadWholeFile(std::string(dir) + "/port", port)) << "the test server is not running";
        port = Trim(port);
        dataDir = std::string(dir) + "/data/";
        NewDatabase(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override
    {
        dm.reset();
        std::remove(file.c_str());
    }

    // A fresh database named `name`, created by the server itself, with `dm` ready to log in to it as SYSDBA.
    void NewDatabase(const std::string& name)
    {
        dm.reset();
        if (!file.empty())
            std::remove(file.c_str());
        file = dataDir + name + ".fdb";
        remotePath = "127.0.0.1/" + port + ":" + file;
        std::remove(file.c_str());
        FbConnection connection;
        fb::ConnectParams params;
        params.database = remotePath;
        params.user = "SYSDBA";
        params.password = "masterkey";
        connection.Create(params, fb::CreateParams{});

        LoginAborted = false;
        dm = std::make_unique<Tdm>();
        dm->OnStatement = [this](const std::string& sql, bool query) { sent.push_back({sql, query}); };
        DbPath = remotePath;
        DbUser = "SYSDBA";
        DbPassword = "masterkey";
    }

    std::string port;
    std::string dataDir;
    std::string file;
    std::string remotePath;
    testsupport::FakeScreen screen;
    testsupport::WorkLogCapture log;
    std::vector<SentStatement> sent;
};

const char* const RoleQuery = "select rdb$role_name from rdb$roles where rdb$role_name='ADMINISTRATOR' rows 1";

TEST_F(DbServer, RemotePathConnectsAndCarriesWindows1250)
{
    dm->BazaConnect();
    ASSERT_EQ(ConnectStatus, 0) << log.Text();
    const std::string name = "Masło żółte"_cp;
    ASSERT_TRUE(dm->RunSQL("create table k (asort varchar(20), nazwa varchar(60), cena numeric(15,4))"));
    ASSERT_TRUE(dm->RunSQL("insert into k values ('123', '" + name + "', 12.349)"));
    DataSet ds;
    dm->OpenSds(ds, "select * from k");
    ASSERT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("NAZWA").AsString(), name);
    EXPECT_EQ(ds.FieldByName("cena").AsString(), "12.3490");
    EXPECT_EQ(dm->ReadInteger("n", "select octet_length(nazwa) as n from k", 0), 11); // one byte a letter
}

TEST_F(DbServer, PathWithPolishLettersOpensAndDataStayInWindows1250)
{
    // Created by the server through the same attach as the log-in's; the path is given in Windows-1250.
    NewDatabase("Baza żółć ąę"_cp);
    dm->BazaConnect();
    ASSERT_EQ(ConnectStatus, 0) << log.Text();
    EXPECT_TRUE(FileExists(Win1250ToUtf8(file))) << "the file's name on the disk is in UTF-8";
    EXPECT_EQ(dm->ReadInteger("n", "select octet_length('żółć') as n from rdb$database"_cp, 0), 4);
    dm.reset();
    std::remove(Win1250ToUtf8(file).c_str());
}

TEST_F(DbServer, RoleIsCreatedForSysdbaOnly)
{
    struct Case {
        std::string user;
        std::vector<SentStatement> first;  // statements of the first log-in
        std::vector<SentStatement> second; // and of the next one
        int roles;
    };
    const Case cases[] = {
        {"sysdba", {}, {}, 0},
        {"SYSDBA", {{RoleQuery, true}, {"create role ADMINISTRATOR", false}}, {{RoleQuery, true}}, 1},
    };
    for (const Case& c : cases) {
        DbUser = c.user;
        sent.clear();
        dm->BazaConnect();
        EXPECT_EQ(ConnectStatus, 0) << c.user;
        EXPECT_EQ(sent, c.first) << c.user;
        sent.clear();
        dm->BazaConnect(); // closes and connects again
        EXPECT_EQ(ConnectStatus, 0) << c.user;
        EXPECT_EQ(sent, c.second) << c.user;
        sent.clear();
        EXPECT_EQ(dm->ReadInteger("n", "select count(*) as n from rdb$roles where rdb$role_name='ADMINISTRATOR'", -1),
                  c.roles)
            << c.user;
    }
    EXPECT_EQ(log.Text(), "");
    EXPECT_TRUE(screen.prompts.empty());
}

TEST_F(DbServer, RoleCheckFailures)
{
    // Triggers of the database make one step of the role check fail after the connection itself succeeded.
    struct Case {
        const char* name;
        std::vector<std::string> setup;
        int status;           // ConnectStatus afterwards
        const char* logStart; // the work history begins with it
        bool prompt;          // the error prompt is shown with the work history's text
    };
    const Case cases[] = {
        // "create role" refused: RunSQL logs it, and the log-in goes on.
        {"create role fails",
         {"drop role ADMINISTRATOR", "create trigger REFUSE_ROLES before create role as begin exception REFUSED; end"},
         0,
         "",
         false},
        // The role query itself fails: the check fails and the log-in with it.
        {"role query fails",
         {"create trigger REFUSE_TRANSACTIONS on transaction start as begin exception REFUSED; end"},
         -1,
         "TestRolaName\r\n",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDatabase(std::string("RoleCheckFailures") + (c.status ? "1" : "0"));
        dm->BazaConnect();
        ASSERT_EQ(ConnectStatus, 0) << log.Text();
        ASSERT_TRUE(dm->RunSQL("create exception REFUSED 'refused'"));
        for (const std::string& sql : c.setup)
            ASSERT_TRUE(dm->RunSQL(sql)) << log.Text();
        log.Clear();
        screen.prompts.clear();

        dm->BazaConnect();

        EXPECT_EQ(ConnectStatus, c.status);
        const std::string text = log.Text();
        EXPECT_EQ(text.rfind(c.logStart, 0), 0u) << text;
        EXPECT_THAT(text, HasSubstr("refused"));
        if (c.prompt) {
            ASSERT_EQ(screen.prompts.size(), 1u);
            EXPECT_EQ(screen.prompts[0].caption, "Przerwać program?"_cp);
            EXPECT_EQ(screen.prompts[0].text + "\r\n", text);
        } else {
            EXPECT_TRUE(text.ends_with(":: create role ADMINISTRATOR\r\n")) << text; // RunSQL's one line
            EXPECT_TRUE(screen.prompts.empty());
        }
    }
}

TEST_F(DbServer, WrongPasswordIsReportedOnce)
{
    DbPassword = "wrong";
    dm->BazaConnect();
    EXPECT_EQ(ConnectStatus, -1);
    EXPECT_FALSE(dm->Connected());
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "dbConnect");
    // What the server's English text means comes first.
    EXPECT_EQ(lines[1], "Błąd bazy danych. Serwer odrzucił nazwę użytkownika lub hasło."_cp);
    EXPECT_THAT(lines[2], HasSubstr("Your user name and password are not defined"));
    ASSERT_EQ(screen.prompts.size(), 1u);
    EXPECT_EQ(screen.prompts[0].caption, "Przerwać program?"_cp);
    EXPECT_EQ(screen.prompts[0].text, lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2]);
    EXPECT_TRUE(sent.empty()); // no role check
}

TEST_F(DbServer, MultiLineServerMessageUsesCrLf)
{
    DbPath = remotePath.substr(0, remotePath.find(':') + 1) + "/no/such/dir/baza.fdb";
    screen.answers = {true};
    dm->BazaConnect();
    EXPECT_EQ(ConnectStatus, -1);
    const std::string expected =
        "dbConnect\r\nBłąd bazy danych. Serwer nie ma dostępu do pliku bazy danych. Sprawdź ścieżkę do bazy i czy plik istnieje na serwerze.\r\nI/O error during \"open\" operation for file \"/no/such/dir/baza.fdb\"\r\n-Error while trying to open file\r\n-No such file or directory"_cp;
    EXPECT_EQ(log.Text(), expected + "\r\n");
    ASSERT_EQ(screen.prompts.size(), 1u);
    EXPECT_EQ(screen.prompts[0].text, expected);
    EXPECT_TRUE(LoginAborted); // answered Yes
    EXPECT_EQ(screen.terminateRequests, 1);
}

TEST_F(DbServer, LostConnectionIsExplainedInPolish)
{
    dm->BazaConnect();
    ASSERT_EQ(ConnectStatus, 0);
    // The server drops every other attachment, as when it is shut down or the network fails.
    const std::string kill = "echo 'delete from mon$attachments where mon$attachment_id <> current_connection;' | "
                             "isql-fb -q -user SYSDBA -password masterkey '" +
                             remotePath + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(kill.c_str()), 0);
    try {
        dm->OpenSQT("select 1 from rdb$database");
        FAIL() << "the query went through a dropped connection";
    } catch (const DbError& e) {
        EXPECT_THAT(e.OperatorText(), HasSubstr("Utracono połączenie z serwerem bazy danych."_cp));
    }
}

// ---- a server that dies: killed, not asked to stop, while the program is connected

class KilledServer : public testsupport::FaultFixture
{
};

TEST_F(KilledServer, QueriesAndCommandsAreExplainedInPolish)
{
    testsupport::FakeScreen screen;
    testsupport::WorkLogCapture log;
    ServerDatabase();
    ASSERT_TRUE(dm->Jest("select 1 from rdb$database"));

    KillServer();

    try {
        dm->OpenSQT("select count(*) from blok_cen");
        FAIL() << "a query went through a killed server";
    } catch (const DbError& e) {
        EXPECT_THAT(e.OperatorText(), HasSubstr("Utracono połączenie z serwerem bazy danych."_cp));
    }
    EXPECT_FALSE(dm->RunSQL("update blok_cen set blok=0")); // logged, not thrown
    EXPECT_THAT(log.Text(), HasSubstr("update blok_cen set blok=0"));
}

} // namespace

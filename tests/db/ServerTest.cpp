// The connection through a Firebird server: the private server started by the CTest fixture (fbserver.sh) listens
// on 127.0.0.1 on the port written to $TARLO_FBSERVER_DIR/port; SYSDBA's password there is "masterkey".
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
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
        const char* dir = std::getenv("TARLO_FBSERVER_DIR");
        ASSERT_TRUE(dir) << "TARLO_FBSERVER_DIR is not set: run these tests through ctest";
        std::string port;
        ASSERT_TRUE(ReadWholeFile(std::string(dir) + "/port", port)) << "the test server is not running";
        port = Trim(port);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        file = std::string(dir) + "/data/" + info->name() + ".fdb";
        remotePath = "127.0.0.1/" + port + ":" + file;
        std::remove(file.c_str());
        // A fresh database, created by the server itself.
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
    void TearDown() override
    {
        dm.reset();
        std::remove(file.c_str());
    }

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
    const std::string name = "Mas\xB3o \xBF\xF3\xB3te"; // "Masło żółte"
    ASSERT_TRUE(dm->RunSQL("create table k (asort varchar(20), nazwa varchar(60), cena numeric(15,4))"));
    ASSERT_TRUE(dm->RunSQL("insert into k values ('123', '" + name + "', 12.349)"));
    DataSet ds;
    dm->OpenSds(ds, "select * from k");
    ASSERT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("NAZWA").AsString(), name);
    EXPECT_EQ(ds.FieldByName("cena").AsString(), "12.3490");
    EXPECT_EQ(dm->ReadInteger("n", "select octet_length(nazwa) as n from k", 0), 11); // one byte a letter
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
    EXPECT_EQ(lines[1], "B\xB3\xB9"
                        "d bazy danych. Serwer odrzuci\xB3 nazw\xEA u\xBFytkownika lub has\xB3o.");
    EXPECT_THAT(lines[2], HasSubstr("Your user name and password are not defined"));
    ASSERT_EQ(screen.prompts.size(), 1u);
    EXPECT_EQ(screen.prompts[0].caption, "Przerwa\xE6 program?");
    EXPECT_EQ(screen.prompts[0].text, lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2]);
    EXPECT_TRUE(sent.empty()); // no role check
}

TEST_F(DbServer, MultiLineServerMessageUsesCrLf)
{
    DbPath = remotePath.substr(0, remotePath.find(':') + 1) + "/no/such/dir/baza.fdb";
    screen.answers = {true};
    dm->BazaConnect();
    EXPECT_EQ(ConnectStatus, -1);
    const std::string expected = "dbConnect\r\nB\xB3\xB9"
                                 "d bazy danych. Serwer nie ma dost\xEApu do pliku bazy danych. Sprawd\x9F \x9C"
                                 "cie\xBFk\xEA do bazy i czy plik istnieje na serwerze.\r\nI/O error during \"open\" "
                                 "operation for file \"/no/such/dir/baza.fdb\""
                                 "\r\n-Error while trying to open file\r\n-No such file or directory";
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
        EXPECT_THAT(e.OperatorText(), HasSubstr("Utracono po\xB3\xB9"
                                                "czenie z serwerem bazy danych."));
    }
}

} // namespace

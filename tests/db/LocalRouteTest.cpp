// A database path without a server name: through the Firebird server on this machine when one listens (passwords
// checked), through the embedded engine only when none does, and straight through the embedded engine when the
// INI file asks for it.
//
// "This machine's server" is the one the client's configuration names: each test points FIREBIRD at a Firebird
// root made by fbserver.sh, whose firebird.conf carries the port, either of the running private server
// ($TARLO_FBSERVER_DIR/root) or of a port where nobody listens ($TARLO_FBSERVER_DIR/idle/root). The client reads
// FIREBIRD once per process, so ctest runs each test in a process of its own.
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <netdb.h>

using ::testing::HasSubstr;
using ::testing::Not;

namespace
{

const char* const ThroughServer = "Połączenie z bazą: serwer Firebird na tym komputerze"_cp;
const char* const FallenBack =
    "Połączenie z bazą: wbudowany silnik Firebird (serwer Firebird na tym komputerze nie odpowiada)"_cp;
const char* const Chosen = "Połączenie z bazą: wbudowany silnik Firebird (Silnik=wbudowany)"_cp;

enum class Server { Running, None };

// The test's set-up; returns from the test when it failed or the test was skipped.
#define USE(server)                                                                                                    \
    do {                                                                                                               \
        Use(server);                                                                                                   \
        if (HasFatalFailure() || IsSkipped())                                                                          \
            return;                                                                                                    \
    } while (false)

class LocalRoute : public ::testing::Test
{
protected:
    // Points the client at the Firebird root naming the running server's port or an idle one, then makes a fresh
    // database file that no server holds.
    void Use(Server server)
    {
        // The client reaches "the server on this machine" as "localhost"; where that name does not resolve (no
        // /etc/hosts) it reaches none, and the connection is refused rather than made by the embedded engine.
        addrinfo* found = nullptr;
        if (getaddrinfo("localhost", nullptr, nullptr, &found) != 0)
            GTEST_SKIP() << "\"localhost\" does not resolve here";
        freeaddrinfo(found);
        const char* dir = std::getenv("TARLO_FBSERVER_DIR");
        ASSERT_TRUE(dir) << "TARLO_FBSERVER_DIR is not set: run these tests through ctest";
        const std::string root = std::string(dir) + (server == Server::Running ? "/root" : "/idle/root");
        static std::string chosenRoot;
        if (!chosenRoot.empty() && chosenRoot != root)
            GTEST_SKIP() << "the Firebird client is set up for another root in this process: run through ctest";
        chosenRoot = root;
        setenv("FIREBIRD", root.c_str(), 1);

        db = std::make_unique<testsupport::TempDatabase>(std::nullopt);
        LoginAborted = false;
        dm = std::make_unique<Tdm>();
        DbPath = db->Path();
        DbUser = "SYSDBA";
        DbPassword = "masterkey";
        EmbeddedEngine = false;
    }
    void TearDown() override { dm.reset(); }

    // "TCPv4"/"TCPv6" through a server; empty through the embedded engine.
    std::string Protocol()
    {
        DataSet ds;
        dm->OpenSds(ds, "select mon$remote_protocol as p from mon$attachments "
                        "where mon$attachment_id = current_connection");
        return Trim(ds.FieldByName("P").AsString());
    }

    std::unique_ptr<testsupport::TempDatabase> db;
    testsupport::FakeScreen screen;
    testsupport::WorkLogCapture log;
};

TEST_F(LocalRoute, RunningServerOpensTheFileAndChecksThePassword)
{
    USE(Server::Running);
    ASSERT_TRUE(dm->dbConnect()) << log.Text();
    EXPECT_THAT(Protocol(), HasSubstr("TCP"));
    EXPECT_THAT(log.Text(), HasSubstr(ThroughServer));
}

TEST_F(LocalRoute, RunningServerRefusesAWrongPasswordWithoutFallingBack)
{
    USE(Server::Running);
    DbPassword = "zle";
    screen.answers = {false};
    EXPECT_FALSE(dm->dbConnect());
    EXPECT_FALSE(dm->Connected());
    const std::string text = log.Text();
    EXPECT_EQ(text.rfind("dbConnect\r\n", 0), 0u) << text;
    EXPECT_THAT(text, HasSubstr("Your user name and password are not defined"));
    EXPECT_THAT(text, Not(HasSubstr("wbudowany")));
}

TEST_F(LocalRoute, EmbeddedEngineChosenInTheIniSkipsTheRunningServer)
{
    USE(Server::Running);
    EmbeddedEngine = true;
    DbPassword = "dowolne"; // the embedded engine checks no password
    ASSERT_TRUE(dm->dbConnect()) << log.Text();
    EXPECT_EQ(Protocol(), "");
    EXPECT_THAT(log.Text(), HasSubstr(Chosen));
}

TEST_F(LocalRoute, NoServerListeningFallsBackToTheEmbeddedEngine)
{
    USE(Server::None);
    ASSERT_TRUE(dm->dbConnect()) << log.Text();
    EXPECT_EQ(Protocol(), "");
    EXPECT_THAT(log.Text(), HasSubstr(FallenBack));
    EXPECT_TRUE(screen.prompts.empty());
}

} // namespace

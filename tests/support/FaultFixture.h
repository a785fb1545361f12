#pragma once
// One fixture for trying any operation against each fault the program must survive, in a few lines:
//
//   class MyFaults : public testsupport::FaultFixture {};
//   TEST_F(MyFaults, QueryOnAKilledServer)
//   {
//       ServerDatabase(demodb::Content::Schema); // `dm` is connected to a fresh database on a private server
//       KillServer();
//       EXPECT_THROW(dm->OpenSQT("select 1 from rdb$database"), DbError);
//   }
//
// - ServerDatabase(content): a private Firebird server of this test (tests/db/fbserver.sh, 127.0.0.1, a free port),
//   a fresh database on it filled with the trade system's tables, and `dm` connected to it as SYSDBA.
// - KillServer(): kills that server at once (SIGKILL), as a crash or a pulled cable would.
#include "PrivateServer.h"
#include "TestSupport.h"
#include "db/dbDDM.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace testsupport
{

class FaultFixture : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (dm)
            dm->CloseConnection();
        server_.reset();
    }

    void ServerDatabase(std::optional<demodb::Content> content = demodb::Content::Schema)
    {
        if (!server_)
            server_ = std::make_unique<PrivateServer>();
        server_->CreateDatabase("faults", content);
        ASSERT_TRUE(ConnectDm(server_->DatabasePath("faults"))) << "cannot connect to the private server";
    }

    void KillServer()
    {
        ASSERT_TRUE(server_) << "ServerDatabase() first";
        server_->Kill();
    }

private:
    std::unique_ptr<PrivateServer> server_;
};

} // namespace testsupport

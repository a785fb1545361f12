#pragma once
// A throw-away database (embedded engine), a fake screen and a captured work history, with `dm` connected to the
// database and every statement it sends recorded.
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "db/dbDDM.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct SentStatement {
    std::string sql;
    bool query;
};

class DbFixture : public ::testing::Test
{
protected:
    explicit DbFixture(std::optional<demodb::Content> content = std::nullopt) : db(content) {}

    void SetUp() override
    {
        LoginAborted = false;
        ASSERT_TRUE(testsupport::ConnectDm(db.Path())) << log.Text();
        log.Clear(); // the connection's line about the engine; the tests look at what follows
        dm->OnStatement = [this](const std::string& sql, bool query) { sent.push_back({sql, query}); };
    }
    void TearDown() override { dm.reset(); }

    std::vector<std::string> Commands() const
    {
        std::vector<std::string> commands;
        for (const SentStatement& s : sent)
            if (!s.query)
                commands.push_back(s.sql);
        return commands;
    }

    int64_t Count(const std::string& fromWhere)
    {
        return dm->ReadInteger("n", "select count(*) as n " + fromWhere, -1);
    }

    testsupport::TempDatabase db;
    testsupport::FakeScreen screen;
    testsupport::WorkLogCapture log;
    std::vector<SentStatement> sent;
};

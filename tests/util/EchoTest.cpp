// The work history line format, with the clock pinned.
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/TestTempDir.h"

#include <gtest/gtest.h>

namespace
{

class EchoTest : public ::testing::Test
{
protected:
    void SetUp() override { Pin({{2024, 3, 26}, {14, 5, 9, 500}}); }
    void TearDown() override { SetClock({}); }
    static void Pin(const DateTime& moment)
    {
        SetClock([moment] { return moment; });
    }
    std::string Content(const std::string& path) const
    {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    TestTempDir tmp;
};

} // namespace

TEST_F(EchoTest, LinesCarryTagDateAndTime)
{
    TMyEcho log;
    log.Init(tmp.Path(), "H_202403.txt", "3.0 [24.086]", false, false);
    EXPECT_EQ(log.FileName, tmp / "H_202403.txt");
    log.Echo("Start");
    log.Echo("");
    Pin({{2024, 3, 27}, {0, 0, 0, 0}});
    log.Echo("O północy"_cp);
    EXPECT_EQ(
        Content(log.FileName),
        "[3.0 [24.086]] 26.03.2024 14:05:09: Start\r\n[3.0 [24.086]] 26.03.2024 14:05:09: \r\n[3.0 [24.086]] 27.03.2024: O północy\r\n"_cp);
}

TEST_F(EchoTest, MultiLineMessagesContinueWithoutPrefix)
{
    TMyEcho log;
    log.Init(tmp.Path(), "H_202403.txt", "T", false, false);
    log.Echo("FORM :   \r\n!!!!!!!!!!! boom");
    EXPECT_EQ(Content(log.FileName), "[T] 26.03.2024 14:05:09: FORM :   \r\n!!!!!!!!!!! boom\r\n");
}

TEST_F(EchoTest, StampAndTagSettings)
{
    struct Case {
        const char* tag;
        bool withoutTime;
        bool withoutDate;
        const char* expected;
    } cases[] = {
        {"", false, false, "26.03.2024 14:05:09: m\r\n"},
        {"T", false, true, "[T] 14:05:09: m\r\n"},
        {"T", true, false, "[T] m\r\n"},
        {"", true, true, "m\r\n"},
    };
    int n = 0;
    for (const Case& c : cases) {
        TMyEcho log;
        log.Init(tmp.Path(), "log" + std::to_string(++n) + ".txt", c.tag, c.withoutTime, c.withoutDate);
        log.Echo("m");
        EXPECT_EQ(Content(log.FileName), c.expected) << n;
    }
}

TEST_F(EchoTest, InitNamesTheFile)
{
    TMyEcho log;
    log.Init(tmp.Path() + "/", "historia", "", false, false);
    EXPECT_EQ(log.FileName, tmp / "historia.txt");
    log.Init("", "H_202403.txt", "", false, false);
    EXPECT_EQ(log.FileName, "H_202403.txt");
    EXPECT_FALSE(FileExists(log.FileName)); // Init does not touch the disk
}

TEST_F(EchoTest, UnwritableFileIsSilent)
{
    TMyEcho log;
    log.Init(tmp / "missing", "H.txt", "", false, false);
    EXPECT_NO_THROW(log.Echo("lost"));
    EXPECT_FALSE(FileExists(log.FileName));
}

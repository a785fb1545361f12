#include "TestSupport.h"

#include "app/ConstUnit.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
#include "util/MyUtil.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace testsupport
{

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarlo-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory from " + pattern);
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

TempDatabase::TempDatabase(std::optional<demodb::Content> content) : path_(dir_.Path() + "/test.fdb")
{
    {
        FbConnection connection;
        demodb::CreateDatabaseFile(connection, path_, false); // no synchronous writes: the file is thrown away
    }
    if (content)
        FillTradeDatabase(path_, *content);
}

TempDatabase::~TempDatabase() = default;

void FillTradeDatabase(const std::string& path, demodb::Content content, int year)
{
    FbConnection connection;
    demodb::OpenDatabaseFile(connection, path);
    demodb::BuildTradeDatabase(connection, content, year, 1000);
}

FakeScreen::FakeScreen() : previous_(GetScreen())
{
    SetScreen(this);
}

FakeScreen::~FakeScreen()
{
    SetScreen(previous_);
}

void FakeScreen::SetBusyCursor(bool busy)
{
    ++(busy ? busyOn : busyOff);
}

bool FakeScreen::AskYesNo(const std::string& caption, const std::string& text)
{
    prompts.push_back(Prompt{caption, text});
    if (answers.empty())
        return defaultAnswer;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeScreen::ShowMessage(const std::string& text)
{
    messages.push_back(text);
}

void FakeScreen::RequestTerminate()
{
    ++terminateRequests;
}

WorkLogCapture::WorkLogCapture() : previous_(std::move(WorkLog))
{
    WorkLog = std::make_unique<TMyEcho>();
    WorkLog->Init(dir_.Path(), "H_test.txt", "", true, true);
}

WorkLogCapture::~WorkLogCapture()
{
    WorkLog = std::move(previous_);
}

std::string WorkLogCapture::Text() const
{
    std::string text;
    ReadWholeFile(WorkLog->FileName, text);
    return text;
}

std::vector<std::string> WorkLogCapture::Lines() const
{
    std::vector<std::string> lines;
    std::string text = Text();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void WorkLogCapture::Clear()
{
    std::error_code ignored;
    std::filesystem::remove(WorkLog->FileName, ignored);
}

bool ConnectDm(const std::string& path, const std::string& user, const std::string& password)
{
    DbPath = path;
    DbUser = user;
    DbPassword = password;
    EmbeddedEngine = true; // a throw-away file: never through a Firebird server that may run on this machine
    if (!dm)
        dm = std::make_unique<Tdm>();
    return dm->dbConnect();
}

} // namespace testsupport

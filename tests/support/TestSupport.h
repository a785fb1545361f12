#pragma once
// Shared support for tests that need a real Firebird database or a stand-in for the window system.
//
// Link the library tarlo_testsupport (tests/support/CMakeLists.txt). It gives:
//
// - TempDatabase: a fresh database file in a new temporary directory, created through the embedded engine (no
//   server needed) with default character set WIN1250 and owner SYSDBA; the directory is deleted afterwards.
//   Pass demodb::Content::Schema or ::Demo to fill it with the trade system's tables at once (see FillTradeDatabase).
// - FillTradeDatabase: the trade system's part of a database, as the mkdemodb tool builds it: PARAMETRY with the
//   VAT and ELZB_JM parameters at GLOBAL/TARLA, "Kartas" + year for `year` and the year before, GrupyAs and COM_DEF
//   with three registers (IDs 1..3, codes "1".."3", CENA_1). Demo adds a grocery catalogue of a few hundred goods
//   (numeric symbols from "100", Polish letters in Windows-1250, four inactive goods, three pairs of active names
//   sharing their first 19 characters, the symbol "D'ARBO1"); Large adds 1,000 generated goods (symbols "1".."1000").
//   The application's own tables are not created: run dm->TestStru(false) for them.
// - FakeScreen: an IScreen that installs itself while it lives, records every prompt and message, answers the
//   Yes/No prompts from a queue (then `defaultAnswer`), and counts busy-cursor switches and termination requests.
// - WorkLogCapture: points the work history (WorkLog) at a temporary file without tag, date or time, so each
//   LogLine is the bare message followed by CR LF; Text() gives the whole file. The previous logger comes back
//   afterwards.
// - ConnectDm: sets DbPath, DbUser and DbPassword, chooses the embedded engine (EmbeddedEngine), creates `dm` when
//   needed and connects it (dbConnect, without the role check). True when connected.
//
// Example:
//     TempDatabase db(demodb::Content::Demo);
//     FakeScreen screen;
//     WorkLogCapture log;
//     ASSERT_TRUE(ConnectDm(db.Path()));
//     dm->TestStru(false);
#include "DemoDb.h"
#include "util/DateTime.h"
#include "util/Screen.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TMyEcho;

namespace testsupport
{

// A new, empty temporary directory, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; } // without a trailing "/"

private:
    std::string path_;
};

class TempDatabase
{
public:
    // Content::Schema and Content::Demo fill the file through FillTradeDatabase for the current year.
    explicit TempDatabase(std::optional<demodb::Content> content = std::nullopt);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& Dir() const { return dir_.Path(); }

private:
    TempDir dir_;
    std::string path_;
};

// Throws DbError when the database cannot be opened or filled.
void FillTradeDatabase(const std::string& path, demodb::Content content = demodb::Content::Demo,
                       int year = Today().year);

class FakeScreen : public IScreen
{
public:
    FakeScreen();  // installs itself (SetScreen)
    ~FakeScreen(); // puts back the screen installed before

    struct Prompt {
        std::string caption;
        std::string text;
    };
    std::vector<Prompt> prompts;
    std::vector<std::string> messages;
    std::deque<bool> answers; // taken one by one by AskYesNo
    bool defaultAnswer = false;
    int busyOn = 0;
    int busyOff = 0;
    int terminateRequests = 0;

    void SetBusyCursor(bool busy) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void RequestTerminate() override;

private:
    IScreen* previous_;
};

class WorkLogCapture
{
public:
    WorkLogCapture();
    ~WorkLogCapture();
    WorkLogCapture(const WorkLogCapture&) = delete;
    WorkLogCapture& operator=(const WorkLogCapture&) = delete;

    std::string Text() const;               // everything logged so far
    std::vector<std::string> Lines() const; // physical lines, without CR LF
    void Clear();                           // forget what was logged

private:
    TempDir dir_;
    std::unique_ptr<TMyEcho> previous_;
};

bool ConnectDm(const std::string& path, const std::string& user = "SYSDBA", const std::string& password = "masterkey");

} // namespace testsupport

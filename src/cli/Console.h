#pragma once
// What the tool prints, and the core's windows replaced by the terminal: messages on standard output, errors on
// standard error, both UTF-8 and one line each.
#include "app/ConstUnit.h"
#include "util/Screen.h"

#include <QString>

#include <string>

namespace cli
{

void PrintLine(const QString& text);       // standard output
void PrintError(const QString& text);      // standard error
QString FromCore(const std::string& text); // Windows-1250 -> QString

// Every write is checked. A closed pipe (SIGPIPE is ignored) or a file-size limit (SIGXFSZ is ignored) makes a write
// fail like any other: the first failure of standard output is remembered here, and the tool ends with a message on
// standard error and exit code 1 (Partial) instead of being killed.
struct OutputState {
    bool failed = false;
    int error = 0; // errno of the first failed write
};
OutputState& StandardOutput();
// The message about a failed standard output, in Polish.
QString OutputFailureText();
// The command line as the work history's start and end lines name it ("odczyt --kasa 01").
QString& CommandLineText();

// The status line of the core (Komunikat): green texts (a hand-over's outcome, waiting for busy registers) are
// printed as they come; the last red one is kept for the command, which prints it on standard error together with
// the register or file it concerns.
class ConsoleStatusLine : public IStatusLine
{
public:
    void ShowStatus(const std::string& text, bool error) override;
    // A work history or error report that cannot be written: said at once on standard error.
    void ShowRecordFailure(const std::string& text) override;
    bool ReplacesItsText() const override { return false; }
    std::string lastError; // Windows-1250
};

// No windows: questions (such as "Przerwać program?" after a failed connection) are printed and answered "No",
// so the tool never waits for an answer nobody can give; message boxes are printed.
class ConsoleScreen : public IScreen
{
public:
    void SetBusyCursor(bool) override {}
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void RequestTerminate() override {}
};

} // namespace cli

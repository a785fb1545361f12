#pragma once
// The few things code below the user interface asks of the window system. The Qt application installs an
// implementation; without one (tests, tools) every call does nothing and questions are answered "No".
#include <string>

class IScreen
{
public:
    virtual ~IScreen() = default;
    // The application-wide database-wait cursor on or off.
    virtual void SetBusyCursor(bool busy) = 0;
    // A modal warning box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // A plain modal message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Ask the application to end once control returns to the event loop.
    virtual void RequestTerminate() = 0;
};

void SetScreen(IScreen* screen);
IScreen* GetScreen();

// Helpers that go through the installed screen, or do nothing without one.
void WaitCursorOn();
void WaitCursorOff();
bool AskYesNo(const std::string& caption, const std::string& text);
void ShowMessage(const std::string& text);
void RequestTerminate();

// Restores the normal cursor when it leaves scope, whatever happens in between. It runs no events: the window's
// only event pump during an operation is its operation runner (ui/OperationRunner.h).
class WaitCursor
{
public:
    WaitCursor() { WaitCursorOn(); }
    ~WaitCursor() { WaitCursorOff(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

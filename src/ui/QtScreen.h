#pragma once
// What the core asks of the window system, done with Qt: the busy cursor, the Yes/No prompt, the
// plain message box and the request to end the program.
#include "util/Screen.h"

class QtScreen : public IScreen
{
public:
    void SetBusyCursor(bool busy) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void RequestTerminate() override;
};

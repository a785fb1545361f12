#include "util/Screen.h"

namespace
{
IScreen* installedScreen = nullptr;
}

void SetScreen(IScreen* screen)
{
    installedScreen = screen;
}

IScreen* GetScreen()
{
    return installedScreen;
}

void WaitCursorOn()
{
    if (installedScreen)
        installedScreen->SetBusyCursor(true);
}

void WaitCursorOff()
{
    if (installedScreen)
        installedScreen->SetBusyCursor(false);
}

bool AskYesNo(const std::string& caption, const std::string& text)
{
    return installedScreen ? installedScreen->AskYesNo(caption, text) : false;
}

void ShowMessage(const std::string& text)
{
    if (installedScreen)
        installedScreen->ShowMessage(text);
}

void RequestTerminate()
{
    if (installedScreen)
        installedScreen->RequestTerminate();
}

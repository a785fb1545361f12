// The window-system interface: calls reach an installed screen and do nothing without one.
#include "util/Screen.h"
#include "util/Cp1250Literal.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace
{

class FakeScreen : public IScreen
{
public:
    void SetBusyCursor(bool busy) override { calls += busy ? "busy;" : "normal;"; }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    void ShowMessage(const std::string& text) override { calls += "message " + text + ";"; }
    void RequestTerminate() override { calls += "terminate;"; }
    std::string calls;
};

} // namespace

TEST(Screen, WaitCursorRestoresTheCursorEvenOnErrors)
{
    FakeScreen screen;
    SetScreen(&screen);
    try {
        WaitCursor busy;
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(screen.calls, "busy;normal;");
    EXPECT_TRUE(AskYesNo("Uwaga", "Przerwać program?"_cp));
    SetScreen(nullptr);
}

TEST(Screen, WithoutAWindowNothingHappensAndTheAnswerIsNo)
{
    SetScreen(nullptr);
    WaitCursorOn();
    ShowMessage("x");
    RequestTerminate();
    WaitCursorOff();
    EXPECT_FALSE(AskYesNo("Uwaga", "Przerwać program?"_cp));
}

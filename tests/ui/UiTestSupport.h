#pragma once
// What the window tests share: a program directory with its environment, a throw-away database, the fake
// window system and the captured work history, and a log-in that is confirmed or abandoned without anyone at
// the keyboard.
#include "TestSupport.h"
#include "app/ConstUnit.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class UiSession
{
public:
    // The program directory becomes ExeDir (InitEnvironment) and the process's current directory; the
    // connection values point at a new database with the given content (none: no database file at all).
    explicit UiSession(std::optional<demodb::Content> content);
    ~UiSession();

    testsupport::TempDir exeDir;
    std::unique_ptr<testsupport::TempDatabase> db;
    testsupport::FakeScreen screen;
    std::unique_ptr<testsupport::WorkLogCapture> log;

    // The next log-in window that opens is handled by `action` as soon as it shows; one still open 20 seconds
    // later is abandoned, so that a test never waits for ever.
    void OnNextLogin(std::function<void()> action);

private:
    std::string previousDir_;
    QTimer watchdog_;
};

// Windows-1250 bytes of a Polish text written in this source file.
std::string Cp(const QString& text);

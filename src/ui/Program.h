#pragma once
// The program body, in its start-up order.
#include <string>

// The whole program: working directory, environment, application object, modules and windows, event loop.
// Returns the process's exit code. The caller has blocked the ending signals (BlockEndSignals, before any
// thread exists); they are read in the event loop and end the program as its exit does. `exePath` stands for
// the executable's own path (/proc/self/exe) when given: the program's directory is then the one it names.
int RunApplication(int argc, char** argv, const std::string& exePath = {});

// Makes the work folder the process's current directory, so that "KONFIG.txt" is written where the register library
// reads it: the executable's directory, or the folder "Foldery.ini" names (ProgramFolders). `exePath` as for
// RunApplication.
void EnterExecutableDirectory(const std::string& exePath = {});

// With the application object in place: creates dm, dmu and the main window (whose creation shows the log-in
// window), then the hidden auxiliary windows. False when the log-in was abandoned; the program must then end
// without running its event loop.
bool CreateModulesAndWindows();

// Destroys what CreateModulesAndWindows and the event loop created, windows first, the modules last.
void DestroyModulesAndWindows();

#pragma once
// The application object and its hook for errors that no operation handles itself.
#include <QApplication>

#include <string>

// The one application-wide error handler: writes the error to the work history and shows it in the standard
// error box; the event in which it arose is abandoned and the program goes on. `message` is Windows-1250.
void ApplicationEventsException(QObject* sender, const std::string& message);

// Whether ApplicationEventsException shows its error box (tests turn it off; the entry is written anyway).
void SetErrorBoxShown(bool shown);

// Every exception that escapes an event handler, a slot or an event filter ends here instead of ending the
// program.
class TarloApplication : public QApplication
{
public:
    TarloApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

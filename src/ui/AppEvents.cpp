#include "ui/AppEvents.h"

#include "app/ConstUnit.h"
#include "db/DataSet.h"
#include "ui/UiText.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

namespace
{
bool errorBoxShown = true;
} // namespace

void SetErrorBoxShown(bool shown)
{
    errorBoxShown = shown;
}

void ApplicationEventsException(QObject* /*sender*/, const std::string& message)
{
    LogLine("FORM :   \r\n!!!!!!!!!!! " + message);
    if (errorBoxShown)
        QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Błąd"), FromCp1250(message));
}

TarloApplication::TarloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tarlo_db"));
    // Qt's own texts (the context menus of edit fields, standard buttons) in Polish, from the system's Qt
    // translations (Debian package qt6-translations-l10n); without them they stay English.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool TarloApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        // The server's own message is English and technical; the operator reads first what it means.
        ApplicationEventsException(receiver, OperatorText(e));
    } catch (...) {
        ApplicationEventsException(receiver, ToCp1250(QStringLiteral("Nieznany błąd")));
    }
    return false;
}

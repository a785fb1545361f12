#include "ui/QtScreen.h"

#include "ui/UiText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

void QtScreen::SetBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

bool QtScreen::AskYesNo(const std::string& caption, const std::string& text)
{
    // The prompt must be readable even under the database-wait cursor.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::Warning, FromCp1250(caption), FromCp1250(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    // The answers in Polish, whatever translations the system has.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    const int answer = box.exec();
    QApplication::restoreOverrideCursor();
    return answer == QMessageBox::Yes;
}

void QtScreen::ShowMessage(const std::string& text)
{
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), FromCp1250(text));
    QApplication::restoreOverrideCursor();
}

void QtScreen::RequestTerminate()
{
    // Queued, so that the operation that asked finishes first and the event loop then ends.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

#pragma once
// The page "Raport o błędach" (tbsErrLog): the error report of the register operations, the duplicate goods names
// test and the work history.
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QUrl;

class ErrorReportPage : public QWidget
{
public:
    explicit ErrorReportPage(QWidget* parent = nullptr);

    // Memo2 := the content of ErrorReportFile, or the single line "Brak raportu" when there is no such file.
    void ShowErrorReport();

    QPushButton* btn;
    QPlainTextEdit* Memo2 = nullptr;
    QMenu* pmErrLog;
    QAction* estowaniekartotekiasortymentowej2;
    QAction* Dziesiejszahistoriapracy1;
    QAction* Zerowanieraportu1;
    QAction* Wydrukraportu1;

    void btnClick();
    void estowaniekartotekiasortymentowej2Click();
    void Dziesiejszahistoriapracy1Click();
    void Zerowanieraportu1Click();
    void Wydrukraportu1Click();

    // Opens a file in the desktop's program for it; replaced by tests.
    std::function<void(const QUrl&)> openFile;

private:
    // Memo2 := the content of the file, or the single line `missing` when it does not exist.
    void ShowFile(const std::string& path, const QString& missing);
};

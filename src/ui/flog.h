#pragma once
// The log-in window: confirms or changes the database user, password and path, connects, and for SYSDBA
// verifies the application schema and records the program version. It exists only while it is shown.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class TfmLog : public QDialog
{
public:
    explicit TfmLog(QWidget* parent = nullptr);
    ~TfmLog() override;

    QGroupBox* gbInfoProg;
    QLineEdit* edwerprg;
    QLabel* lbUser;
    QLineEdit* lbeUser;
    QLabel* lbPass;
    QLineEdit* lbePass;
    QCheckBox* cbTest;
    QPushButton* btnPOtw;
    QPushButton* btnAnuluj;
    QLabel* lbInfo;
    QLabel* lbPth;
    QLineEdit* edPth;

    void FormShow();
    // The confirmation ("&Wejście", Enter in the password field).
    void btnPotwClick();
    // Abandons the log-in ("&Zamknij", Escape).
    void btnAnulujClick();

    // Any way of closing the window other than a successful log-in abandons it.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Keys act on release; true when the key was used.
    bool FormKeyUp(QWidget* target, int key);
    bool lbeUserKeyUp(int key);
    bool lbePassKeyUp(int key);
    void ShowStatus(const QString& text, const QColor& background);
    void ShowRetry();
};

extern TfmLog* fmLog;

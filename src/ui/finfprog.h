#pragma once
// The about window: program title, version, executable, build date and database. The main window shows a
// second instance embedded in its page "O programie".
#include <QWidget>

class QLabel;

class TfmInfProg : public QWidget
{
public:
    // Without a parent: a window of its own, created hidden. With a parent: a borderless panel inside it.
    explicit TfmInfProg(QWidget* parent = nullptr);
    ~TfmInfProg() override;

    // Fills the labels from ProgramTitle, ProgramVersion, the executable and DbPath.
    void FormShow();

    QLabel* Label1;
    QLabel* lwer;
    QLabel* lbExe;
    QLabel* lbData;
    QLabel* lbBaza;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FormKeyUp(int key);
};

extern TfmInfProg* fmInfProg;

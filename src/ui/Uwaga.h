#pragma once
// The message window: a notice with the answers Enter (confirm) and Escape (decline). Closing it only hides
// it, so its answer can be read afterwards; a caller that shows it again clears KeyAnswered and Confirmed first.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfmUwaga : public QDialog
{
public:
    explicit TfmUwaga(QWidget* parent = nullptr);

    QPlainTextEdit* mErr;
    QPushButton* pnlEscape;
    QPushButton* pnlEnter;
    QPushButton* pnlOK;

    int LineHeight = 0;
    int AnswerKey = 0; // the key an answer button passes on
    bool KeyAnswered = false;
    bool Confirmed = false;

    // Enter or Escape: records the answer and closes.
    void FormKeyDown(int key);

protected:
    void showEvent(QShowEvent* event) override;
};

extern TfmUwaga* fmUwaga;

#pragma once
// The sub-page "Wykaz towarów w kasie" (tbsWykazTow): the list of goods held by the register.
#include <QWidget>

#include <string>
#include <vector>

class DeletionPage;
class QPlainTextEdit;
class QPushButton;

class RegisterGoodsPage : public QWidget
{
public:
    explicit RegisterGoodsPage(QWidget* parent = nullptr);

    // The deletion sub-page, whose "Odśwież wykaz" runs the same reading.
    void SetDeletionPage(DeletionPage* page) { deletionPage_ = page; }

    QPushButton* btnRefrWykaz;
    QPlainTextEdit* Memo1;

    // "Wczytaj wykaz", also bound to the deletion sub-page's "Odśwież wykaz".
    void btnRefeshDelClick();
    void RefreshRegisterGoods();

    // Replaces the text area's content by the lines (Windows-1250).
    void SetRegisterGoods(const std::vector<std::string>& lines);

private:
    void SetReadButtonsEnabled(bool enabled);
    DeletionPage* deletionPage_ = nullptr;
};

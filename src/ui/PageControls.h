#pragma once
// Small pieces shared by the working pages: a radio group whose items are read by position, a validator that
// keeps what is typed in upper case.
#include "util/ScopeExit.h" // the scope guard of the pages, OnScopeExit

#include <QGroupBox>
#include <QLabel>
#include <QValidator>

#include <functional>

class QButtonGroup;
class QRadioButton;

// A group of radio buttons read and set by position (ItemIndex); -1 means no item chosen.
class RadioGroup : public QGroupBox
{
public:
    // `columns` lays the items out in that many columns, row by row.
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr, int columns = 1);

    int ItemIndex() const;
    // -1 leaves no item chosen.
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;
    int Count() const;

    // Called when the operator chooses an item (mouse or keyboard), with its position.
    void OnClick(std::function<void(int)> handler);

private:
    QButtonGroup* buttons_;
};

// Turns what is typed into upper case, as goods symbols and warehouse numbers are written.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A one-line label that takes the room its row leaves it: a text longer than that room ends in "…", and the
// tooltip holds the whole text.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void SetWholeText(const QString& text);
    const QString& WholeText() const { return whole_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void Elide();
    QString whole_;
};

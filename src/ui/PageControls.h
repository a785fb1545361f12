#pragma once
// Small pieces shared by the working pages: a radio group whose items are read by position, a validator that
// keeps what is typed in upper case, and scope guards for the steps that must run also after an error.
#include <QGroupBox>
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

// Returns the group to no chosen item when it leaves scope, also when the action raised an error.
class ItemIndexReset
{
public:
    explicit ItemIndexReset(RadioGroup* group) : group_(group) {}
    ~ItemIndexReset() { group_->SetItemIndex(-1); }
    ItemIndexReset(const ItemIndexReset&) = delete;
    ItemIndexReset& operator=(const ItemIndexReset&) = delete;

private:
    RadioGroup* group_;
};

// Runs `action` when it leaves scope, whatever happens in between.
class OnScopeExit
{
public:
    explicit OnScopeExit(std::function<void()> action) : action_(std::move(action)) {}
    ~OnScopeExit() { action_(); }
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;

private:
    std::function<void()> action_;
};

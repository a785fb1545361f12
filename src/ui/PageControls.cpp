#include "ui/PageControls.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent, int columns)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
}

int RadioGroup::ItemIndex() const
{
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) {
        buttons_->button(index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; it lets go only while it is not exclusive.
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

QRadioButton* RadioGroup::Item(int index) const
{
    return static_cast<QRadioButton*>(buttons_->button(index));
}

int RadioGroup::Count() const
{
    return static_cast<int>(buttons_->buttons().size());
}

void RadioGroup::OnClick(std::function<void(int)> handler)
{
    connect(buttons_, &QButtonGroup::idClicked, this, [handler = std::move(handler)](int id) { handler(id); });
}

QValidator::State UpperCaseValidator::validate(QString& input, int& /*pos*/) const
{
    input = input.toUpper();
    return Acceptable;
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {}

void ElidedLabel::SetWholeText(const QString& text)
{
    whole_ = text;
    setToolTip(text);
    Elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

// As wide as the whole text when the row has room, down to a few letters when it has not.
QSize ElidedLabel::sizeHint() const
{
    const QSize shown = QLabel::sizeHint();
    return {shown.width() - fontMetrics().horizontalAdvance(text()) + fontMetrics().horizontalAdvance(whole_) + 2,
            shown.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::Elide()
{
    const int room = contentsRect().width() - 2 * margin() - 2;
    setText(fontMetrics().elidedText(whole_, Qt::ElideRight, std::max(room, 0)));
}

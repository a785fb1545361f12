#include "ui/Uwaga.h"

#include "ui/KeyPreview.h"
#include "util/MyUtil.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextOption>

TfmUwaga* fmUwaga = nullptr;

namespace
{
constexpr int ClientWidth = 698;
constexpr int ClientHeight = 99;
constexpr int BandHeight = 68;

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QPushButton* AnswerButton(const QString& text, const QString& name, int points, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    QFont font(QStringLiteral("Arial"), points);
    font.setBold(true);
    button->setFont(font);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TfmUwaga::TfmUwaga(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmUwaga"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Uwaga"));
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    QPalette teal = palette();
    teal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    setPalette(teal);

    mErr = new QPlainTextEdit(this);
    mErr->setObjectName(QStringLiteral("mErr"));
    mErr->setReadOnly(true);
    QFont memoFont(QStringLiteral("Arial"), 14);
    memoFont.setBold(true);
    mErr->setFont(memoFont);
    QTextOption centred = mErr->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    mErr->document()->setDefaultTextOption(centred);
    LineHeight = LineHeightForFontSize(14);
    // The memo fills the area above the button band.
    mErr->setGeometry(0, 0, ClientWidth, ClientHeight - BandHeight);

    const int buttonTop = ClientHeight - BandHeight + (BandHeight - 45) / 2;
    pnlEscape = AnswerButton(QStringLiteral("Escape - Rezygnacja"), QStringLiteral("pnlEscape"), 12, this);
    pnlEscape->setGeometry(88, buttonTop, 169, 45);
    pnlEnter = AnswerButton(QStringLiteral("Enter - Zatwierdzenie"), QStringLiteral("pnlEnter"), 12, this);
    pnlEnter->setGeometry(88 + 169 + 51, buttonTop, 169, 45);
    pnlOK = AnswerButton(QStringLiteral("OK"), QStringLiteral("pnlOK"), 10, this);
    pnlOK->setGeometry(516, buttonTop, 45, 45);

    connect(pnlEnter, &QPushButton::clicked, this, [this] {
        AnswerKey = Qt::Key_Return;
        FormKeyDown(AnswerKey);
    });
    connect(pnlEscape, &QPushButton::clicked, this, [this] {
        AnswerKey = Qt::Key_Escape;
        FormKeyDown(AnswerKey);
    });
    connect(pnlOK, &QPushButton::clicked, this, [this] { hide(); });

    new KeyPreview(this, [this](QWidget*, QKeyEvent* event) {
        const int key = event->key();
        if (!IsEnter(key) && key != Qt::Key_Escape)
            return false;
        if (event->type() == QEvent::KeyPress)
            FormKeyDown(key);
        return true; // no control sees Enter or Escape, neither pressed nor released
    });
}

void TfmUwaga::FormKeyDown(int key)
{
    if (!IsEnter(key) && key != Qt::Key_Escape)
        return;
    Confirmed = IsEnter(key);
    KeyAnswered = true;
    done(Confirmed ? Accepted : Rejected);
}

void TfmUwaga::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

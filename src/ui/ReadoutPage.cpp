#include "ui/ReadoutPage.h"

#include "app/ConstUnit.h"
#include "exchange/FmElzab.h"
#include "exchange/OperationStatus.h"
#include "exchange/TradeHandOver.h"
#include "ui/OperationRunner.h"
#include "ui/UiText.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <map>

ReadoutPage::ReadoutPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbsOdczyt"));

    btnRead = new QPushButton(QStringLiteral("Odczyt"), this);
    btnRead->setObjectName(QStringLiteral("btnRead"));
    btnOdczyty = new QPushButton(QStringLiteral("Pokaż odczyty"), this);
    btnOdczyty->setObjectName(QStringLiteral("btnOdczyty"));
    btnNumReset = new QPushButton(QStringLiteral("Zerowanie liczników sprzedaży"), this);
    btnNumReset->setObjectName(QStringLiteral("btnNumReset"));
    btnSendData = new QPushButton(QStringLiteral("Prześlij dane do Wolnar"), this);
    btnSendData->setObjectName(QStringLiteral("btnSendData"));
    for (QPushButton* button : {btnRead, btnOdczyty, btnNumReset, btnSendData})
        button->setAutoDefault(false);
    connect(btnRead, &QPushButton::clicked, this, &ReadoutPage::btnReadClick);
    connect(btnOdczyty, &QPushButton::clicked, this, &ReadoutPage::btnOdczytyClick);
    connect(btnNumReset, &QPushButton::clicked, this, &ReadoutPage::btnNumResetClick);
    connect(btnSendData, &QPushButton::clicked, this, &ReadoutPage::btnSendDataClick);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    pnlWkz = new QFrame(this);
    pnlWkz->setObjectName(QStringLiteral("pnlWkz"));
    pnlWkz->setFrameShape(QFrame::StyledPanel);
    pnlWkz->setMinimumWidth(230);
    BtnCloseWKZ = new QPushButton(QStringLiteral("Zamknij wykaz"), pnlWkz);
    BtnCloseWKZ->setObjectName(QStringLiteral("BtnCloseWKZ"));
    BtnCloseWKZ->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BtnCloseWKZ->setAutoDefault(false);
    connect(BtnCloseWKZ, &QPushButton::clicked, this, &ReadoutPage::BtnCloseWKZClick);
    lbOdczyty = new QListWidget(pnlWkz);
    lbOdczyty->setObjectName(QStringLiteral("lbOdczyty"));
    lbOdczyty->setContextMenuPolicy(Qt::CustomContextMenu);
    lbOdczyty->setTextElideMode(Qt::ElideRight);
    connect(lbOdczyty, &QListWidget::itemClicked, this, &ReadoutPage::lbOdczytyClick);
    connect(lbOdczyty, &QListWidget::itemActivated, this, &ReadoutPage::lbOdczytyClick);
    auto* listLayout = new QVBoxLayout(pnlWkz);
    listLayout->setContentsMargins(4, 4, 4, 4);
    listLayout->addWidget(BtnCloseWKZ);
    listLayout->addWidget(lbOdczyty, 1);
    lbOdczyty->hide();
    pnlWkz->hide();

    pmOdczyty = new QMenu(lbOdczyty);
    pmOdczyty->setObjectName(QStringLiteral("pmOdczyty"));
    // The entry under the mouse pointer is handed over, as the button hands over the chosen one.
    pmOdczyty->addAction(QStringLiteral("Prześlij dane do Wolnar"), this, [this] {
        if (menuItem_ != nullptr)
            SendReading(DayDir + ToCp1250(menuItem_->data(Qt::UserRole).toString()));
    });
    pmOdczyty->addAction(QStringLiteral("Zamknij wykaz"), this, &ReadoutPage::BtnCloseWKZClick);
    connect(lbOdczyty, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        menuItem_ = lbOdczyty->itemAt(pos);
        if (menuItem_ == nullptr)
            menuItem_ = lbOdczyty->currentItem();
        pmOdczyty->popup(lbOdczyty->viewport()->mapToGlobal(pos));
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRead);
    buttons->addWidget(btnOdczyty);
    buttons->addWidget(btnNumReset);
    buttons->addWidget(btnSendData);
    buttons->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(pnlWkz);
    body->addWidget(Memo, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addLayout(body, 1);
}

// ---- readout

void ReadoutPage::btnReadClick()
{
    const RegisterOperation operation(this);
    UpdateWorkPaths();
    MemoClear();
    Komunikat("", false);
    fmE->ElzabSprz();
    // The readout ends saying what was stored; a failure has left its own red line.
    if (ExchangeResult == 0 && FileExists(ReadingFile))
        ShowReadOutcome(ReadoutStoredText(RegisterCode, ReadingFile));
}

// ---- stored readouts

void ReadoutPage::btnOdczytyClick()
{
    // The paths follow the date picker, which may have changed since they were last computed.
    UpdateWorkPaths();
    MemoClear();
    ShowReadouts();
}

void ReadoutPage::ShowReadouts()
{
    lbOdczyty->clear();
    std::vector<std::string> files;
    ListFiles(files, DayDir, "*.txt");
    if (files.empty()) {
        MemoInsertFirst("Brak odczytów z kasy "_cp + RegisterCode + " z dnia " + ShortDateText(SalesDate));
        return;
    }
    pnlWkz->show();
    btnOdczyty->hide();
    // A readout already handed over to Wolnar says so beside its name; the item keeps the bare name.
    const std::map<std::string, DateTime> handedOver = HandedOverReadouts(static_cast<int>(LeadingInt(RegisterCode)));
    for (const std::string& path : files) {
        const std::string name = std::filesystem::path(path).filename().string();
        QString text = FromCp1250(name);
        if (const auto it = handedOver.find(name); it != handedOver.end())
            text += QStringLiteral("   przesłany ") + FromCp1250(DateTimeText(it->second));
        auto* item = new QListWidgetItem(text, lbOdczyty);
        item->setData(Qt::UserRole, FromCp1250(name));
    }
    FitReadoutList();
    lbOdczyty->setCurrentRow(0);
    lbOdczyty->show();
    // The keyboard follows to the list; it must not pass on to the counter reset beside the hidden button.
    lbOdczyty->setFocus(Qt::OtherFocusReason);
    btnSendData->setEnabled(false);
}

void ReadoutPage::FitReadoutList()
{
    // The list is as wide as its longest entry, up to two thirds of the page; an entry still too long loses its end,
    // not its beginning, and its tooltip holds the whole text.
    int widest = 0;
    for (int row = 0; row < lbOdczyty->count(); ++row) {
        QListWidgetItem* item = lbOdczyty->item(row);
        item->setToolTip(item->text());
        widest = std::max(widest, lbOdczyty->fontMetrics().horizontalAdvance(item->text()));
    }
    const int frame = 2 * lbOdczyty->frameWidth() + lbOdczyty->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
    const QMargins margins = pnlWkz->layout()->contentsMargins();
    const int wanted = widest + frame + margins.left() + margins.right() + 2 * pnlWkz->frameWidth();
    pnlWkz->setFixedWidth(std::clamp(wanted, 230, std::max(230, width() * 2 / 3)));
}

void ReadoutPage::lbOdczytyClick(QListWidgetItem* item)
{
    if (item == nullptr)
        return;
    ReadingFile = DayDir + ToCp1250(item->data(Qt::UserRole).toString());
    fmE->WCzytaj(ReadingFile);
    btnSendData->setEnabled(true);
    BtnCloseWKZClick();
}

void ReadoutPage::BtnCloseWKZClick()
{
    // The keyboard returns from the closing list to "Pokaż odczyty" instead of passing on to the next control
    // of the window ("Wyjście z programu ").
    const bool listHadFocus = pnlWkz->isAncestorOf(QApplication::focusWidget());
    pnlWkz->hide();
    btnOdczyty->show();
    if (listHadFocus)
        btnOdczyty->setFocus(Qt::OtherFocusReason);
}

// ---- counters and hand-over

void ReadoutPage::btnNumResetClick()
{
    ResetSalesCounters();
}

void ReadoutPage::ResetSalesCounters()
{
    const RegisterOperation operation(this);
    Komunikat("", false);
    fmE->aZerujLicznikiExecute();
    if (ExchangeResult == 0) {
        const std::string text = ResetStoredText(RegisterCode, LatestResetReport());
        MemoInsertFirst(text);
        Komunikat(text, false);
    }
}

void ReadoutPage::btnSendDataClick()
{
    SendReading(ReadingFile);
}

void ReadoutPage::SendReading(const std::string& path)
{
    // One operation: a second click given meanwhile never hands the same file over again.
    const RegisterOperation operation(this);
    SendReadingToTrade(path);
    MemoClear();
}

// ---- the text area

void ReadoutPage::MemoClear()
{
    Memo->clear();
}

void ReadoutPage::MemoInsertFirst(const std::string& line)
{
    if (Memo->document()->isEmpty()) {
        Memo->setPlainText(FromCp1250(line));
        return;
    }
    QTextCursor cursor(Memo->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(FromCp1250(line) + QLatin1Char('\n'));
}

void ReadoutPage::MemoAppend(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        text << FromCp1250(line);
    Memo->appendPlainText(text.join(QLatin1Char('\n')));
}

void ReadoutPage::ClearReadoutText()
{
    MemoClear();
}

void ReadoutPage::CloseReadoutList()
{
    BtnCloseWKZClick();
}

#include "ui/ReadoutPage.h"

#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "exchange/OperationStatus.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/TradeHandOver.h"
#include "ui/OperationRunner.h"
#include "ui/UiText.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

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
    btnSendPending = new QPushButton(QStringLiteral("Prześlij zaległe"), this);
    btnSendPending->setObjectName(QStringLiteral("btnSendPending"));
    btnSendPending->setToolTip(
        QStringLiteral("Przesyła do Wolnar wszystkie zapisane odczyty i raporty zerowania tej kasy, których jeszcze "
                       "nie przesłano, w kolejności ich zapisania"));
    // Nothing to hand over until a readout is taken or chosen.
    btnSendData->setEnabled(false);
    for (QPushButton* button : {btnRead, btnOdczyty, btnNumReset, btnSendData, btnSendPending})
        button->setAutoDefault(false);
    connect(btnRead, &QPushButton::clicked, this, &ReadoutPage::btnReadClick);
    connect(btnOdczyty, &QPushButton::clicked, this, &ReadoutPage::btnOdczytyClick);
    connect(btnNumReset, &QPushButton::clicked, this, &ReadoutPage::btnNumResetClick);
    connect(btnSendData, &QPushButton::clicked, this, &ReadoutPage::btnSendDataClick);
    connect(btnSendPending, &QPushButton::clicked, this, &ReadoutPage::btnSendPendingClick);

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
    buttons->addWidget(btnSendPending);
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
    btnSendData->setEnabled(false);
    const ReadoutResult result = fmE->ElzabSprz();
    // Only a readout stored and recorded can be handed over; a replayed test response never. The readout ends
    // saying what was stored; a failure has left its own red line.
    if (result.recorded) {
        ReadingFile = result.storedFile;
        btnSendData->setEnabled(true);
        ShowReadOutcome(ReadoutStoredText(RegisterCode, result.storedFile));
    }
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
    // Each readout says beside its name whether it waits for the hand-over to Wolnar or when it was handed over; a
    // file the program did not record (a copy, a test file) cannot be handed over. The item keeps the bare name.
    std::map<std::string, std::optional<DateTime>> recorded;
    try {
        for (const LedgerEntry& entry : RegisterEntries(static_cast<int>(LeadingInt(RegisterCode))))
            if (entry.kind == LedgerKind::Readout)
                recorded[entry.fileName] = entry.handedOverAt;
    } catch (const std::exception& e) {
        LogLine(e.what());
    }
    for (const std::string& path : files) {
        const std::string name = std::filesystem::path(path).filename().string();
        QString text = FromCp1250(name);
        if (const auto it = recorded.find(name); it == recorded.end())
            text += QStringLiteral("   test / niezarejestrowany");
        else if (it->second)
            text += QStringLiteral("   przesłany ") + FromCp1250(DateTimeText(*it->second));
        else
            text += QStringLiteral("   oczekuje na przesłanie");
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
    // Only a reset the register made says so: a refusal before any call (a test replay, missing tables) leaves the
    // last call's result untouched, and has said why in red.
    const ResetResult result = fmE->aZerujLicznikiExecute();
    if (!result.ok)
        return;
    const std::string text = ResetStoredText(RegisterCode, result.reportFile);
    MemoInsertFirst(text);
    // Zeroed, but the end of the period was not recorded: the red line about it stays last.
    if (result.failure.empty())
        Komunikat(text, false);
    else
        Komunikat(result.failure, true);
}

void ReadoutPage::btnSendDataClick()
{
    SendReading(ReadingFile);
}

void ReadoutPage::SendReading(const std::string& path)
{
    // One operation: a second click given meanwhile never hands the same file over again.
    const RegisterOperation operation(this);
    const HandOverResult result = SendReadingToTrade(path);
    MemoClear();
    if (!result.resetAtRegister)
        return;
    // The counters were zeroed at the register: once the operator has entered the sales up to that reset in Wolnar
    // by hand, this readout starts a new period and goes over whole.
    MemoInsertFirst(result.message);
    const std::string question =
        "Liczniki kasy wyzerowano w samej kasie. Czy sprzedaż sprzed tego zerowania (z wydruku kasy) jest już "
        "wprowadzona do Wolnar ręcznie?\r\n\r\nTak: odczyt "_cp +
        std::filesystem::path(path).filename().string() +
        " rozpocznie nowy okres i zostanie przesłany w całości.\r\nNie: nic nie zostanie przesłane."_cp;
    if (AskYesNo("Zerowanie liczników w kasie"_cp, question)) {
        HandOverOptions options;
        options.newPeriod = true;
        SendReadingToTrade(path, options);
        MemoClear();
    }
}

void ReadoutPage::btnSendPendingClick()
{
    const RegisterOperation operation(this);
    MemoClear();
    std::vector<LedgerEntry> pending;
    try {
        if (const std::vector<std::string> missing = MissingLedgerObjects(); !missing.empty()) {
            Komunikat(MissingObjectsText(missing), true);
            return;
        }
        pending = PendingEntries({static_cast<int>(LeadingInt(RegisterCode))});
    } catch (const DbError& e) {
        Komunikat(e.OperatorText(), true);
        return;
    }
    if (pending.empty()) {
        Komunikat("Brak odczytów kasy "_cp + RegisterCode + " oczekujących na przesłanie do Wolnar"_cp, false);
        return;
    }
    std::vector<std::string> lines;
    int refused = 0;
    for (const LedgerEntry& entry : pending) {
        const HandOverResult result = SendReadingToTrade(entry.path);
        lines.push_back(result.message);
        if (!result.ok)
            ++refused;
    }
    MemoAppend(lines);
    if (refused > 0)
        Komunikat("Nie przesłano "_cp + std::to_string(refused) + " z " + std::to_string(pending.size()) +
                      " zaległych odczytów kasy "_cp + RegisterCode + " - powody powyżej"_cp,
                  true);
    else
        Komunikat("Przesłano "_cp + std::to_string(pending.size()) + " zaległych odczytów kasy "_cp + RegisterCode +
                      " do Wolnar"_cp,
                  false);
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

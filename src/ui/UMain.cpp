#include "ui/UMain.h"

#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "ui/DeletionPage.h"
#include "ui/ErrorReportPage.h"
#include "ui/ExportPage.h"
#include "ui/HelpWindow.h"
#include "ui/KeyPreview.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/PageViews.h"
#include "ui/ParamsPage.h"
#include "ui/ProgramIcon.h"
#include "ui/ReadoutPage.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/RegisterListModel.h"
#include "ui/UiText.h"
#include "ui/finfprog.h"
#include "ui/flog.h"
#include "util/Screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>
#include <functional>

TFrm* Frm = nullptr;

namespace
{
// The light "money" green of the window's background.
const QColor MoneyGreen(0xC0, 0xDC, 0xC0);

QDate ToQDate(const Date& d)
{
    return QDate(d.year, d.month, d.day);
}
} // namespace

TFrm::TFrm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Frm"));
    setWindowIcon(QIcon(ProgramPixmap(64, 64)));
    resize(1024, 700);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    central->setAutoFillBackground(true);
    QPalette green = central->palette();
    green.setColor(QPalette::Window, MoneyGreen);
    central->setPalette(green);

    dbgWK = new QTableView(central);
    dbgWK->setObjectName(QStringLiteral("dbgWK"));
    dbgWK->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgWK->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgWK->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgWK->verticalHeader()->hide();
    dbgWK->horizontalHeader()->setStretchLastSection(true);
    // Wide enough for "Kasa 99"; the pages keep the rest of a 1024-pixel screen.
    dbgWK->setFixedWidth(100);
    registerModel_ = new RegisterListModel(
        dmu->sdsWK, [](const Value& code) { return dmu->RegisterCodeGetText(code); }, this);
    dbgWK->setModel(registerModel_);

    BuildPages();
    auto* middle = new QHBoxLayout;
    middle->addWidget(dbgWK);
    middle->addWidget(PCtrlMain, 1);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(BuildTopBar());
    layout->addLayout(middle, 1);
    layout->addWidget(BuildBottomBar());
    setCentralWidget(central);
    operations = new OperationRunner(*this, lbBusy, {edErr});
    new PageViews(*this); // the pages reach the modules and the modules the pages

    connect(PCtrlMain, &QTabWidget::currentChanged, this, &TFrm::PCtrlMainChange);
    connect(PCtrlPraca, &QTabWidget::currentChanged, this, &TFrm::PCtrlPracaChange);
    connect(dbgWK->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { RegisterRowChanged(current.row()); });
    connect(btnExit, &QPushButton::clicked, this, &TFrm::btnExitClick);
    connect(btnHelp, &QPushButton::clicked, this, &TFrm::btnHelpClick);
    connect(btnHlp, &QPushButton::clicked, this, &TFrm::btnHlpClick);
    dtpSprz->installEventFilter(this);
    new KeyPreview(this, [this](QWidget*, QKeyEvent* event) {
        return event->type() == QEvent::KeyRelease && FormKeyUp(event->key());
    });

    Frm = this;
    SetStatusLine(this);
    SetDatePicker(this);
    FormCreate();
}

TFrm::~TFrm()
{
    SetStatusLine(nullptr);
    SetDatePicker(nullptr);
    if (Frm == this)
        Frm = nullptr;
}

QWidget* TFrm::BuildTopBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlTop"));
    btnExit = new QPushButton(QStringLiteral("Wyjście z programu "), bar);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnExit->setAutoDefault(false);

    dtpSprz = new QDateEdit(bar);
    dtpSprz->setObjectName(QStringLiteral("dtpSprz"));
    dtpSprz->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtpSprz->setCalendarPopup(true);
    // Month and day names of the calendar in Polish, whatever the system's language.
    dtpSprz->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    QFont bold = dtpSprz->font();
    bold.setBold(true);
    dtpSprz->setFont(bold);

    auto* lbDate = new QLabel(QStringLiteral("Data sprzedaży"), bar);
    lbDate->setObjectName(QStringLiteral("lbDataSprz"));
    lbDate->setFont(bold);
    lbDate->setBuddy(dtpSprz);

    btnHlp = new QPushButton(bar);
    btnHlp->setObjectName(QStringLiteral("btnHlp"));
    btnHlp->setIcon(QIcon(HelpPixmap(HelpPicture::Contents, 32)));
    btnHlp->setIconSize(QSize(24, 24));
    btnHlp->setToolTip(QStringLiteral("Spis treści pomocy"));
    btnHlp->setAutoDefault(false);

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(btnExit);
    row->addSpacing(16);
    row->addWidget(dtpSprz);
    row->addWidget(lbDate);
    row->addStretch(1);
    row->addWidget(btnHlp);
    return bar;
}

QWidget* TFrm::BuildBottomBar()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlErr"));
    edErr = new QLineEdit(panel);
    edErr->setObjectName(QStringLiteral("edErr"));
    edErr->setReadOnly(true);
    edErr->setFocusPolicy(Qt::NoFocus);
    QFont bold = edErr->font();
    bold.setBold(true);
    edErr->setFont(bold);

    btnHelp = new QPushButton(panel);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setIcon(QIcon(HelpPixmap(HelpPicture::Topic, 32)));
    btnHelp->setIconSize(QSize(20, 20));
    btnHelp->setToolTip(QStringLiteral("Pomoc do bieżącej strony"));
    btnHelp->setAutoDefault(false);

    lbBusy = new QLabel(panel);
    lbBusy->setObjectName(QStringLiteral("lbBusy"));
    lbBusy->setFont(bold);
    QPalette busyColours = lbBusy->palette();
    busyColours.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xA0));
    lbBusy->setPalette(busyColours);

    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(lbBusy);
    helpRow->addStretch(1);
    helpRow->addWidget(btnHelp);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(edErr);
    column->addLayout(helpRow);
    return panel;
}

void TFrm::BuildPages()
{
    PCtrlMain = new QTabWidget(this);
    PCtrlMain->setObjectName(QStringLiteral("PCtrlMain"));

    tbsPraca = new QWidget(PCtrlMain);
    tbsPraca->setObjectName(QStringLiteral("tbsPraca"));
    PCtrlPraca = new QTabWidget(tbsPraca);
    PCtrlPraca->setObjectName(QStringLiteral("PCtrlPraca"));
    PCtrlPraca->setElideMode(Qt::ElideNone);
    auto* pracaLayout = new QVBoxLayout(tbsPraca);
    pracaLayout->setContentsMargins(2, 2, 2, 2);
    pracaLayout->addWidget(PCtrlPraca);

    tbsOdczyt = new ReadoutPage(PCtrlPraca);
    tbsTowary = new ExportPage(PCtrlPraca);
    tbsDel = new DeletionPage(PCtrlPraca);
    tbsWykazTow = new RegisterGoodsPage(PCtrlPraca);
    PCtrlPraca->addTab(tbsOdczyt, QStringLiteral("Odczyt sprzedaży i eksport do Wolnar"));
    PCtrlPraca->addTab(tbsTowary, QStringLiteral("Eksport towarów do kasy"));
    PCtrlPraca->addTab(tbsDel, QStringLiteral("Kasowanie towarów w kasie"));
    PCtrlPraca->addTab(tbsWykazTow, QStringLiteral("Wykaz towarów w kasie"));

    tbsParam = new ParamsPage(PCtrlMain);
    tbsErrLog = new ErrorReportPage(PCtrlMain);
    tbsOpis = new QWidget(PCtrlMain);
    tbsOpis->setObjectName(QStringLiteral("tbsOpis"));
    auto* opisLayout = new QVBoxLayout(tbsOpis);
    opisLayout->setContentsMargins(0, 0, 0, 0);

    PCtrlMain->addTab(tbsPraca, QStringLiteral("Praca z kasami"));
    PCtrlMain->addTab(tbsParam, QStringLiteral("Parametry"));
    PCtrlMain->addTab(tbsErrLog, QStringLiteral("Raport o błędach"));
    PCtrlMain->addTab(tbsOpis, QStringLiteral("O programie"));
}

// ---- creation and first show

void TFrm::FormCreate()
{
    LoginAborted = false;
    CurrentRegisterId = -1;
    ConnectStatus = -1;
    if (fmLog == nullptr) {
        TfmLog login;
        fmLog = &login;
        login.exec();
    }
    if (LoginAborted) {
        if (dm->Connected())
            dm->CloseConnection();
        LogLine("***********  Koniec pracy - rezygnacja z wejscia");
    }
}

void TFrm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFrm::FormShow()
{
    PriceColumn = 2;
    dtpSprz->setDate(ToQDate(Today()));
    UpdateWorkPaths();
    tbsTowary->BindGoods();
    // A step that fails (a lost server, a register naming a price field the catalogue lacks) does not stop the
    // window from being set up in full: the operator can still pick another register, and the deletion
    // sub-page stays out of reach. The first error is reported once all steps have run.
    std::exception_ptr failure;
    const auto attempt = [&failure](const std::function<void()>& step) {
        try {
            step();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };
    attempt([] {
        dmu->PreparePriceLocks();
        dmu->LoadParameters();
    });
    attempt([this] { OpenRegisterList(); });

    setWindowState(windowState() | Qt::WindowMaximized);
    setWindowTitle(FromCp1250(AppTitle + " v." + ProgramVersion));
    {
        const QSignalBlocker quiet(PCtrlMain);
        PCtrlMain->setCurrentWidget(tbsPraca);
    }
    {
        const QSignalBlocker quiet(PCtrlPraca);
        // Out of reach for good: a hidden tab that is enabled still comes up with Ctrl+Tab and the mouse wheel.
        PCtrlPraca->setTabVisible(PCtrlPraca->indexOf(tbsDel), false);
        PCtrlPraca->setTabEnabled(PCtrlPraca->indexOf(tbsDel), false);
    }
    attempt([this] { PCtrlMainChange(); });
    attempt([] { dmu->LoadGroups(); });
    // The help file is looked for beside the executable whenever help is asked for (HelpFilePath).

    // Every page has its topic, the sub-pages of "Praca z kasami" and the other main pages alike.
    helpTopics_ = {{tbsOdczyt, 10}, {tbsTowary, 15}, {tbsDel, 12}, {tbsWykazTow, 20},
                   {tbsParam, 30},  {tbsErrLog, 40}, {tbsOpis, 50}};
    HelpContextId = 10;

    auto* about = new TfmInfProg(tbsOpis);
    tbsOpis->layout()->addWidget(about);
    fmInfProg = about;
    ProgramTitle = "Wymiana danych z kasami ELZAB";
    about->show();
    about->FormShow();

    {
        const QSignalBlocker quiet(PCtrlPraca);
        PCtrlPraca->setCurrentWidget(tbsTowary);
    }
    // The keyboard starts in the goods grid of the sub-page in front, not in the register list.
    tbsTowary->FocusGoodsGrid();
    dm->ClearListaScr();
    // A work folder that could not be made or written to at start is named now, where the operator sees it.
    if (!StartupProblems.empty()) {
        std::string text;
        for (const std::string& problem : StartupProblems)
            text += (text.empty() ? "" : "; ") + problem;
        Komunikat(text, true);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TFrm::OpenRegisterList()
{
    // Opening the list makes its first register current; the grid follows without a second register change.
    const QScopedValueRollback filling(fillingRegisterList_, true);
    // The grid shows the list also when making the first register current failed.
    const OnScopeExit follow([this] {
        registerModel_->Reload();
        if (dmu->sdsWK.RecordCount() > 0)
            dbgWK->setCurrentIndex(registerModel_->index(0, 0));
    });
    dmu->OpenRegisters();
}

void TFrm::RegisterRowChanged(int row)
{
    if (fillingRegisterList_ || row < 0 || row == dmu->sdsWK.RecNo())
        return;
    dmu->MoveToRegister(row);
}

// ---- pages

int TFrm::HelpTopicOf(QWidget* subPage) const
{
    return helpTopics_.value(subPage, 0);
}

void TFrm::PCtrlMainChange()
{
    QWidget* page = PCtrlMain->currentWidget();
    HelpContextId = HelpTopicOf(page);
    if (page == tbsErrLog)
        tbsErrLog->ShowErrorReport();
    else if (page == tbsParam)
        dmu->LoadRegisterSettings(CurrentRegisterId);
    else if (page == tbsPraca)
        PCtrlPracaChange();
}

void TFrm::PCtrlPracaChange()
{
    QWidget* page = PCtrlPraca->currentWidget();
    HelpContextId = HelpTopicOf(page);
    if (page == tbsTowary) {
        Komunikat("", false);
        if (tbsTowary->GroupListEmpty())
            dmu->LoadGroups();
        dmu->OpenGoods();
        tbsTowary->FocusGoodsGrid();
    } else if (page == tbsDel) {
        Komunikat("", false);
        tbsDel->FocusGrid();
    }
}

int TFrm::CurrentHelpTopic() const
{
    QWidget* page = PCtrlMain->currentWidget();
    return HelpTopicOf(page == tbsPraca ? PCtrlPraca->currentWidget() : page);
}

bool TFrm::FormKeyUp(int key)
{
    if (key == Qt::Key_F1) {
        // The topic of the page in front; the contents when a page has none.
        OpenHelp(CurrentHelpTopic());
        return true;
    }
    if (key != Qt::Key_F2)
        return false;
    // The search field is on the export sub-page: that page comes to the front first.
    PCtrlMain->setCurrentWidget(tbsPraca);
    PCtrlPraca->setCurrentWidget(tbsTowary);
    tbsTowary->FocusSearch();
    return true;
}

// ---- sales date

void TFrm::dtpSprzExit()
{
    UpdateWorkPaths();
}

Date TFrm::PickedDate() const
{
    const QDate d = dtpSprz->date();
    return Date{d.year(), d.month(), d.day()};
}

bool TFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dtpSprz && event->type() == QEvent::FocusOut) {
        // Leaving the picker for another control, not a popup or another window taking the keyboard.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            dtpSprzExit();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- status line

void TFrm::ShowStatus(const std::string& text, bool error)
{
    QPalette palette = edErr->palette();
    palette.setColor(QPalette::Text, error ? QColor(0xD0, 0x00, 0x00) : QColor(0x00, 0x80, 0x00));
    edErr->setPalette(palette);
    const QString whole = FromCp1250(text);
    edErr->setText(whole);
    // A text longer than the line shows its beginning, where it says what happened; the tooltip holds all of it.
    edErr->setCursorPosition(0);
    edErr->setToolTip(whole);
    // Visible at once, also while a long register operation is still running: this one widget is painted now,
    // and no other event runs.
    edErr->repaint();
}

// ---- help

std::string TFrm::HelpFilePath() const
{
    std::string dir = ExeDir;
    if (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    return FindCaseless(dir, "Tarlo.hlp");
}

void TFrm::OpenHelp(int topic)
{
    const std::string path = HelpFilePath();
    if (!FileExists(path)) {
        ShowMessage(ToCp1250(QStringLiteral("Brak pliku z pomocą")));
        return;
    }
    if (helpWindow_ == nullptr)
        helpWindow_ = new HelpWindow(this);
    if (!helpWindow_->ShowTopic(QString::fromStdString(path), topic))
        ShowMessage(ToCp1250(QStringLiteral("Brak pliku z pomocą")));
}

void TFrm::btnHelpClick()
{
    if (HelpContextId != 0)
        OpenHelp(HelpContextId);
}

void TFrm::btnHlpClick()
{
    OpenHelp(0);
}

// ---- closing

void TFrm::btnExitClick()
{
    LogLine("***********  Koniec pracy - Exit");
    close();
}

void TFrm::FormClose()
{
    dm->RunSQL("update blok_cen set wybor=0");
    LogLine("***********  Koniec pracy - Close");
}

void TFrm::closeEvent(QCloseEvent* event)
{
    // During a register operation the window closes once the operation is over (an export stops first).
    if (operations->PostponeClose()) {
        event->ignore();
        return;
    }
    FormClose();
    if (helpWindow_ != nullptr)
        helpWindow_->hide();
    event->accept();
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

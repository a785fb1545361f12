#include "ui/ExportPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/DeletionPage.h"
#include "ui/GoodsModel.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/UiText.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// The magnifying glass of the search button.
QIcon SearchIcon()
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 2));
    painter.drawEllipse(QRectF(2, 2, 9, 9));
    painter.setPen(QPen(QColor(0x60, 0x40, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(11, 11), QPointF(16, 16));
    return QIcon(pixmap);
}

QToolButton* NavigatorButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setAutoRaise(false);
    return button;
}
} // namespace

// ---- construction

ExportPage::ExportPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbsTowary"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(BuildLeftColumn());
    layout->addWidget(BuildRightSide(), 1);
}

ExportPage::~ExportPage() = default;

QWidget* ExportPage::BuildLeftColumn()
{
    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("pnlLewy"));
    auto* lbGrupy = new QLabel(QStringLiteral("Grupy asortymentowe"), column);
    cbGrupy = new QListWidget(column);
    cbGrupy->setObjectName(QStringLiteral("cbGrupy"));
    lbGrupy->setBuddy(cbGrupy);
    connect(cbGrupy, &QListWidget::itemChanged, this, [this] { ApplyGroupFilter(); });
    // Created in the order the keyboard goes through them.
    QLayout* commands = BuildBulkCommands(column);

    BitBtn1 = new QPushButton(QStringLiteral("Odśwież wykaz"), column);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    connect(BitBtn1, &QPushButton::clicked, this, &ExportPage::BitBtn1Click);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(lbGrupy);
    layout->addWidget(cbGrupy, 1);
    layout->addLayout(commands);
    layout->addWidget(BitBtn1);
    return column;
}

QLayout* ExportPage::BuildBulkCommands(QWidget* column)
{
    rgBlok = new RadioGroup(
        QStringLiteral(" Blokowanie cen w wykazie"),
        {QStringLiteral("blokuj wszystkie "), QStringLiteral("odblokuj wszystkie"), QStringLiteral("odwróć blokadę")},
        column);
    rgBlok->setObjectName(QStringLiteral("rgBlok"));
    rgBlok->OnClick([this](int) { rgBlokClick(); });
    rgViewBlok = new RadioGroup(
        QStringLiteral(" Pokaż pozycje "),
        {QStringLiteral("z ceną zablokowaną"), QStringLiteral("z ceną wolną"), QStringLiteral("wszystkie")}, column);
    rgViewBlok->setObjectName(QStringLiteral("rgViewBlok"));
    rgViewBlok->OnClick([this](int) { rgViewBlokClick(); });
    rgWybor = new RadioGroup(QStringLiteral(" Wybór pozycji w wykazie "),
                             {QStringLiteral("zaznacz wszystkie "), QStringLiteral("odznacz wszystkie"),
                              QStringLiteral("odwróć zaznaczenie"), QStringLiteral("zmienione od ostatniego eksportu")},
                             column);
    rgWybor->setObjectName(QStringLiteral("rgWybor"));
    rgWybor->OnClick([this](int) { rgWyborClick(); });
    rgViewWybor =
        new RadioGroup(QStringLiteral(" Pokaż pozycje "),
                       {QStringLiteral("wybrane"), QStringLiteral("niewybrane"), QStringLiteral("wszystkie")}, column);
    rgViewWybor->setObjectName(QStringLiteral("rgViewWybor"));
    rgViewWybor->OnClick([this](int) { rgViewWyborClick(); });
    BuildExportChoices(column);

    auto* commands = new QGridLayout;
    commands->setSpacing(4);
    commands->addWidget(rgBlok, 0, 0);
    commands->addWidget(rgViewBlok, 0, 1);
    commands->addWidget(rgWybor, 1, 0);
    commands->addWidget(rgViewWybor, 1, 1);
    commands->addWidget(grpEksport, 2, 0, 1, 2);
    commands->addWidget(rgDane, 3, 0, 1, 2);
    return commands;
}

void ExportPage::BuildExportChoices(QWidget* column)
{
    grpEksport = new QGroupBox(QStringLiteral(" Eksport "), column);
    grpEksport->setObjectName(QStringLiteral("grpEksport"));
    rgKasa = new QRadioButton(QStringLiteral("Kasa"), grpEksport);
    rgKasa->setObjectName(QStringLiteral("rgKasa"));
    rgKasa->setChecked(true);
    rgEureka = new QRadioButton(QStringLiteral("Eureka"), grpEksport);
    rgEureka->setObjectName(QStringLiteral("rgEureka"));
    btnEksport = new QPushButton(QStringLiteral("Eksportuj"), grpEksport);
    btnEksport->setObjectName(QStringLiteral("btnEksport"));
    QFont bold = btnEksport->font();
    bold.setBold(true);
    btnEksport->setFont(bold);
    cbStopExpo = new QCheckBox(QStringLiteral("Zatrzymaj eksport po pierwszym błędzie"), grpEksport);
    cbStopExpo->setObjectName(QStringLiteral("cbStopExpo"));
    auto* exportLayout = new QGridLayout(grpEksport);
    exportLayout->setContentsMargins(6, 4, 6, 4);
    exportLayout->addWidget(rgKasa, 0, 0);
    exportLayout->addWidget(rgEureka, 1, 0);
    exportLayout->addWidget(btnEksport, 0, 1, 2, 1);
    exportLayout->addWidget(cbStopExpo, 2, 0, 1, 2);
    connect(rgKasa, &QRadioButton::clicked, this, &ExportPage::rgKasaClick);
    connect(rgEureka, &QRadioButton::clicked, this, &ExportPage::rgEurekaClick);
    connect(btnEksport, &QPushButton::clicked, this, &ExportPage::btnEksportClick);

    rgDane = new RadioGroup(QStringLiteral(" Dane o towarach "),
                            {QStringLiteral("częściowe (cena)"), QStringLiteral("pełne ")}, column, 2);
    rgDane->setObjectName(QStringLiteral("rgDane"));
    rgDane->SetItemIndex(0);
    // "Eureka" hides the register's options; they keep their room so that "Eksportuj" and the controls below
    // stay where the mouse expects them.
    for (QWidget* option : {static_cast<QWidget*>(cbStopExpo), static_cast<QWidget*>(rgDane)}) {
        QSizePolicy policy = option->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        option->setSizePolicy(policy);
    }
}

QWidget* ExportPage::BuildNavigator()
{
    auto* navigator = new QWidget(this);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    btnFirst = NavigatorButton(navigator, "btnFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Pierwsza pozycja"));
    btnPrior =
        NavigatorButton(navigator, "btnPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Poprzednia pozycja"));
    btnNext = NavigatorButton(navigator, "btnNext", QStyle::SP_MediaSeekForward, QStringLiteral("Następna pozycja"));
    btnLast = NavigatorButton(navigator, "btnLast", QStyle::SP_MediaSkipForward, QStringLiteral("Ostatnia pozycja"));
    connect(btnFirst, &QToolButton::clicked, this, [this] { SetCurrentRow(0); });
    connect(btnPrior, &QToolButton::clicked, this, [this] { SetCurrentRow(std::max(CurrentRow() - 1, 0)); });
    connect(btnNext, &QToolButton::clicked, this, [this] { SetCurrentRow(CurrentRow() + 1); });
    connect(btnLast, &QToolButton::clicked, this, [this] { SetCurrentRow(model_ ? model_->rowCount() - 1 : -1); });
    auto* row = new QHBoxLayout(navigator);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (QToolButton* button : {btnFirst, btnPrior, btnNext, btnLast})
        row->addWidget(button);
    row->addStretch(1);
    return navigator;
}

QWidget* ExportPage::BuildSearch()
{
    grpSeek = new QGroupBox(QStringLiteral("        Wyszukiwanie "), this);
    grpSeek->setObjectName(QStringLiteral("grpSeek"));
    rbSeekAsort = new QRadioButton(QStringLiteral("Symbol asortymentu"), grpSeek);
    rbSeekAsort->setObjectName(QStringLiteral("rbSeekAsort"));
    rbSeekAsort->setChecked(true);
    rbSeekNazwa = new QRadioButton(QStringLiteral("Nazwa"), grpSeek);
    rbSeekNazwa->setObjectName(QStringLiteral("rbSeekNazwa"));
    rbSeekKod = new QRadioButton(QStringLiteral("Kod w kasie"), grpSeek);
    rbSeekKod->setObjectName(QStringLiteral("rbSeekKod"));
    for (QRadioButton* option : {rbSeekAsort, rbSeekNazwa, rbSeekKod})
        connect(option, &QRadioButton::clicked, this, &ExportPage::rbSeekClick);

    edSeek = new QLineEdit(grpSeek);
    edSeek->setObjectName(QStringLiteral("edSeek"));
    edSeek->setValidator(new UpperCaseValidator(edSeek));
    edSeek->setToolTip(QStringLiteral("Enter - szukaj"));
    edSeek->setPlaceholderText(QStringLiteral("Enter - szukaj"));
    edSeek->installEventFilter(this);

    btnSeek = new QToolButton(grpSeek);
    btnSeek->setObjectName(QStringLiteral("btnSeek"));
    btnSeek->setIcon(SearchIcon());
    btnSeek->setToolTip(QStringLiteral("Szukaj"));
    connect(btnSeek, &QToolButton::clicked, this, [this] {
        Seek(edSeek->text());
        FocusGoodsGrid();
    });

    // The badge tells that F2 brings the operator here from anywhere in the window.
    auto* lbF2 = new QLabel(QStringLiteral("F2"), grpSeek);
    lbF2->setObjectName(QStringLiteral("lbF2"));
    lbF2->setStyleSheet(QStringLiteral("background: yellow; color: black; font-weight: bold; padding: 1px 4px;"));
    lbF2->setToolTip(QStringLiteral("F2 - przejście do pola wyszukiwania"));

    auto* options = new QHBoxLayout;
    options->addWidget(rbSeekAsort);
    options->addWidget(rbSeekNazwa);
    options->addWidget(rbSeekKod);
    options->addStretch(1);
    auto* field = new QHBoxLayout;
    field->addWidget(lbF2);
    field->addWidget(edSeek, 1);
    field->addWidget(btnSeek);
    auto* layout = new QVBoxLayout(grpSeek);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->addLayout(options);
    layout->addLayout(field);
    return grpSeek;
}

QWidget* ExportPage::BuildRightSide()
{
    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("pnlPrawy"));
    BuildGoodsGrid(side);

    auto* lbKeys = new QLabel(
        QStringLiteral(" Spacja - zaznaczanie pozycji                        Ctrl+Spacja - blokowanie ceny "), side);
    lbKeys->setObjectName(QStringLiteral("lbKlawisze"));
    lbKeys->setTextFormat(Qt::PlainText);
    lbKeys->setStyleSheet(QStringLiteral("background: #FFFF80; color: black; padding: 2px;"));
    // Created in the order the keyboard goes through them: the navigator and the search come last.
    QLayout* countRow = BuildCountRow(side);
    QWidget* eurekaPanel = BuildEurekaPanel(side);

    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(BuildNavigator());
    layout->addWidget(XDBG, 1);
    layout->addWidget(lbKeys);
    layout->addLayout(countRow);
    layout->addWidget(eurekaPanel);
    layout->addWidget(BuildSearch());
    return side;
}

void ExportPage::BuildGoodsGrid(QWidget* side)
{
    XDBG = new GoodsGrid(side);
    XDBG->setObjectName(QStringLiteral("XDBG"));
    XDBG->setSelectionBehavior(QAbstractItemView::SelectRows);
    XDBG->setSelectionMode(QAbstractItemView::ExtendedSelection);
    XDBG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    XDBG->setAlternatingRowColors(true);
    XDBG->setWordWrap(false);
    XDBG->verticalHeader()->hide();
    XDBG->verticalHeader()->setDefaultSectionSize(XDBG->fontMetrics().height() + 6);
    XDBG->horizontalHeader()->setStretchLastSection(true);
    XDBG->horizontalHeader()->setSortIndicatorClearable(true);
    XDBG->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    XDBG->setContextMenuPolicy(Qt::CustomContextMenu);
    XDBG->onKeyUp = [this](int key, Qt::KeyboardModifiers modifiers) { XDBGKeyUp(key, modifiers); };
    connect(XDBG, &QTableView::clicked, this, &ExportPage::XDBGCellClick);

    pm = new QMenu(XDBG);
    pm->setObjectName(QStringLiteral("pm"));
    aTestNazwa = new QAction(QStringLiteral("Testowanie nazw towarów"), this);
    aTestNazwa->setObjectName(QStringLiteral("aTestNazwa"));
    pm->addAction(aTestNazwa);
    connect(aTestNazwa, &QAction::triggered, this, &ExportPage::aTestNazwaExecute);
    connect(XDBG, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pm->popup(XDBG->viewport()->mapToGlobal(pos)); });
}

QLayout* ExportPage::BuildCountRow(QWidget* side)
{
    lbIlosc = new QLabel(side);
    lbIlosc->setObjectName(QStringLiteral("lbIlosc"));
    QFont bold = lbIlosc->font();
    bold.setBold(true);
    lbIlosc->setFont(bold);
    lbWidok = new ElidedLabel(side);
    lbWidok->setObjectName(QStringLiteral("lbWidok"));
    lbWidok->setFrameShape(QFrame::StyledPanel);
    lbWidok->setMargin(2);
    // The progress of an export and its stop button, the part of the page that stays alive during the export.
    pnlPostep = new QWidget(side);
    pnlPostep->setObjectName(QStringLiteral("pnlPostep"));
    pbEksport = new QProgressBar(pnlPostep);
    pbEksport->setObjectName(QStringLiteral("pbEksport"));
    pbEksport->setTextVisible(true);
    pbEksport->setMaximumWidth(260);
    pbEksport->hide();
    btnStop = new QPushButton(QStringLiteral("Zatrzymaj"), pnlPostep);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    btnStop->setToolTip(QStringLiteral("Zatrzymuje eksport po bieżącym towarze (Esc)"));
    btnStop->setAutoDefault(false);
    // Its room stays, so that the grid does not move when an export begins and ends.
    QSizePolicy stopPolicy = btnStop->sizePolicy();
    stopPolicy.setRetainSizeWhenHidden(true);
    btnStop->setSizePolicy(stopPolicy);
    btnStop->hide();
    connect(btnStop, &QPushButton::clicked, this, &ExportPage::btnStopClick);
    auto* progressRow = new QHBoxLayout(pnlPostep);
    progressRow->setContentsMargins(0, 0, 0, 0);
    progressRow->addWidget(pbEksport, 1);
    progressRow->addWidget(btnStop);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(lbIlosc);
    countRow->addSpacing(8);
    countRow->addWidget(lbWidok);
    countRow->addSpacing(12);
    countRow->addWidget(pnlPostep, 1);
    countRow->addStretch(1);
    return countRow;
}

QWidget* ExportPage::BuildEurekaPanel(QWidget* side)
{
    pnlEureka = new QFrame(side);
    pnlEureka->setObjectName(QStringLiteral("pnlEureka"));
    pnlEureka->setFrameShape(QFrame::StyledPanel);
    auto* lbPlik = new QLabel(QStringLiteral("Nazwa pliku "), pnlEureka);
    lbePlikE = new QLineEdit(pnlEureka);
    lbePlikE->setObjectName(QStringLiteral("lbePlikE"));
    lbPlik->setBuddy(lbePlikE);
    BtnExpoCnt = new QPushButton(QStringLiteral("Zapisz plik"), pnlEureka);
    BtnExpoCnt->setObjectName(QStringLiteral("BtnExpoCnt"));
    BtnExpoCnt->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    BtnExpoCan = new QPushButton(QStringLiteral("Rezygnacja"), pnlEureka);
    BtnExpoCan->setObjectName(QStringLiteral("BtnExpoCan"));
    BtnExpoCan->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    connect(BtnExpoCnt, &QPushButton::clicked, this, &ExportPage::BtnExpoCntClick);
    connect(BtnExpoCan, &QPushButton::clicked, this, &ExportPage::BtnExpoCanClick);
    auto* eurekaRow = new QHBoxLayout(pnlEureka);
    eurekaRow->setContentsMargins(6, 4, 6, 4);
    eurekaRow->addWidget(lbPlik);
    eurekaRow->addWidget(lbePlikE, 1);
    eurekaRow->addWidget(BtnExpoCnt);
    eurekaRow->addWidget(BtnExpoCan);
    pnlEureka->hide();
    return pnlEureka;
}

void ExportPage::BindGoods()
{
    if (model_ != nullptr)
        return;
    model_ = new GoodsModel(
        dmu->SDSTowary, [](const Value& price) { return dmu->PriceGetText(price); }, this);
    XDBG->setModel(model_);
    XDBG->setSortingEnabled(true);
    // Narrow enough that the name, which takes the rest, keeps a register name's 19 characters at 1024 pixels; a
    // wider window shows the whole headers.
    XDBG->SetColumnWidths({{GoodsModel::ColWybor, 28},
                           {GoodsModel::ColAsort, 64},
                           {GoodsModel::ColPrice, 64},
                           {GoodsModel::ColBlok, 50},
                           {GoodsModel::ColVat, 42},
                           {GoodsModel::ColGrupa, 56}},
                          19);

    QItemSelectionModel* selection = XDBG->selectionModel();
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        const int row = model_->DataRow(current.row());
        if (row < 0)
            return;
        dmu->SDSTowary.SetRecNo(row);
        currentGood_ = model_->Symbol(current.row());
    });
    connect(selection, &QItemSelectionModel::selectionChanged, this, &ExportPage::TrackMarks);
}

// ---- main window

bool ExportPage::GroupListEmpty() const
{
    return cbGrupy->count() == 0;
}

void ExportPage::FocusGoodsGrid()
{
    XDBG->setFocus(Qt::OtherFocusReason);
}

void ExportPage::FocusSearch()
{
    edSeek->setFocus(Qt::ShortcutFocusReason);
    edSeek->selectAll();
}

// ---- IGoodsPage

void ExportPage::SetPriceColumn(int column, const std::string& field)
{
    if (model_ != nullptr)
        model_->SetPriceColumn(column, field);
}

void ExportPage::RefreshCount()
{
    IIfno();
}

void ExportPage::GoodsViewReopened()
{
    if (model_ == nullptr)
        return;
    // The same query again is a re-read: the cursor and the marks stay with their goods. Another query is a new
    // list, which starts at its first row without marks.
    const bool reRead = dmu->SDSTowary.CommandText == shownQuery_;
    shownQuery_ = dmu->SDSTowary.CommandText;
    ShowActiveView();
    const int previousRow = CurrentRow();
    {
        const QScopedValueRollback quiet(restoringMarks_, true);
        model_->Reopened();
    }
    if (!reRead) {
        markedGoods_.clear();
        SetCurrentRow(0);
        return;
    }
    RestoreMarks();
    const int row = model_->ViewRow(dmu->GoodsRowOf(currentGood_));
    SetCurrentRow(row >= 0 ? row : previousRow);
}

void ExportPage::GoodsRowChanged(int row)
{
    if (model_ != nullptr)
        model_->RowChanged(row);
}

void ExportPage::GoodsRowRemoving(int row)
{
    if (model_ != nullptr)
        model_->RowRemoving(row);
}

void ExportPage::GoodsRowRemoved(int row)
{
    if (model_ != nullptr)
        model_->RowRemoved(row);
}

void ExportPage::GoodsCurrentRow(int row)
{
    if (model_ != nullptr)
        SetCurrentRow(model_->ViewRow(row));
}

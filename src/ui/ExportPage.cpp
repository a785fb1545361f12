#include "ui/ExportPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
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
#include <QKeyEvent>
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
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace
{
const std::string SelectedCountSql = "select count(*) as il from blok_cen where wybor=1";
// The progress bar appears for exports of at least this many goods; shorter ones are over at once.
constexpr int ProgressFromGoods = 5;
// The original bytes of a group list item, as the catalogue gave them.
constexpr int GroupTextRole = Qt::UserRole + 1;

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

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}
} // namespace

// ---- the grid

namespace
{
// Paints the row under the cursor in the cursor colour, unless it is marked.
class CursorRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* view = static_cast<const QAbstractItemView*>(parent());
        if (index.row() == view->currentIndex().row() && !(option.state & QStyle::State_Selected))
            painter->fillRect(option.rect, QColor(0xFF, 0xE8, 0x90));
        QStyledItemDelegate::paint(painter, option, index);
    }
};
} // namespace

GoodsGrid::GoodsGrid(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new CursorRowDelegate(this));
}

void GoodsGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // The whole rows, not only the cells, change their colour.
    for (const QModelIndex& index : {previous, current})
        if (index.isValid())
            viewport()->update(QRect(0, rowViewportPosition(index.row()), viewport()->width(), rowHeight(index.row())));
}

void GoodsGrid::keyPressEvent(QKeyEvent* event)
{
    // Space acts on release, as the page's command; the grid must not mark the row on the press.
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            spaceWithCtrl_ = event->modifiers().testFlag(Qt::ControlModifier);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GoodsGrid::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its presses and releases; the command runs once, on the real release. For Space, Ctrl
    // counts as it was when the key went down.
    if (!event->isAutoRepeat() && onKeyUp) {
        Qt::KeyboardModifiers modifiers = event->modifiers();
        if (event->key() == Qt::Key_Space)
            modifiers.setFlag(Qt::ControlModifier, spaceWithCtrl_);
        onKeyUp(event->key(), modifiers);
    }
    QTableView::keyReleaseEvent(event);
}

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

    BitBtn1 = new QPushButton(QStringLiteral("Odśwież wykaz"), column);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    connect(BitBtn1, &QPushButton::clicked, this, &ExportPage::BitBtn1Click);

    auto* commands = new QGridLayout;
    commands->setSpacing(4);
    commands->addWidget(rgBlok, 0, 0);
    commands->addWidget(rgViewBlok, 0, 1);
    commands->addWidget(rgWybor, 1, 0);
    commands->addWidget(rgViewWybor, 1, 1);
    commands->addWidget(grpEksport, 2, 0, 1, 2);
    commands->addWidget(rgDane, 3, 0, 1, 2);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(lbGrupy);
    layout->addWidget(cbGrupy, 1);
    layout->addLayout(commands);
    layout->addWidget(BitBtn1);
    return column;
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

    auto* lbKeys = new QLabel(
        QStringLiteral(" Spacja - zaznaczanie pozycji                        Ctrl+Spacja - blokowanie ceny "), side);
    lbKeys->setObjectName(QStringLiteral("lbKlawisze"));
    lbKeys->setTextFormat(Qt::PlainText);
    lbKeys->setStyleSheet(QStringLiteral("background: #FFFF80; color: black; padding: 2px;"));

    lbIlosc = new QLabel(side);
    lbIlosc->setObjectName(QStringLiteral("lbIlosc"));
    QFont bold = lbIlosc->font();
    bold.setBold(true);
    lbIlosc->setFont(bold);
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
    countRow->addSpacing(12);
    countRow->addWidget(pnlPostep, 1);
    countRow->addStretch(1);

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

    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(BuildNavigator());
    layout->addWidget(XDBG, 1);
    layout->addWidget(lbKeys);
    layout->addLayout(countRow);
    layout->addWidget(pnlEureka);
    layout->addWidget(BuildSearch());
    return side;
}

void ExportPage::BindGoods()
{
    if (model_ != nullptr)
        return;
    model_ = new GoodsModel(
        dmu->SDSTowary, [](const Value& price) { return dmu->PriceGetText(price); }, this);
    XDBG->setModel(model_);
    XDBG->setSortingEnabled(true);
    const struct {
        int column;
        int width;
    } widths[] = {{GoodsModel::ColWybor, 28}, {GoodsModel::ColAsort, 90}, {GoodsModel::ColPrice, 90},
                  {GoodsModel::ColBlok, 70},  {GoodsModel::ColVat, 55},   {GoodsModel::ColGrupa, 70}};
    for (const auto& w : widths)
        XDBG->setColumnWidth(w.column, w.width);

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

// ---- cursor and marks

int ExportPage::CurrentRow() const
{
    return XDBG->currentIndex().isValid() ? XDBG->currentIndex().row() : -1;
}

void ExportPage::SetCurrentRow(int row)
{
    if (model_ == nullptr || model_->rowCount() == 0)
        return;
    row = std::clamp(row, 0, model_->rowCount() - 1);
    const QModelIndex index = model_->index(row, std::max(XDBG->currentIndex().column(), 0));
    // Moving the cursor leaves the marks alone.
    XDBG->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    XDBG->scrollTo(index);
}

void ExportPage::TrackMarks(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (restoringMarks_)
        return;
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            markedGoods_.erase(model_->Symbol(row));
    for (const QItemSelectionRange& range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            markedGoods_.insert(model_->Symbol(row));
}

void ExportPage::RestoreMarks()
{
    QItemSelection marks;
    int first = -1;
    const int rows = model_->rowCount();
    for (int row = 0; row <= rows; ++row) {
        const bool marked = row < rows && markedGoods_.count(model_->Symbol(row)) > 0;
        if (marked && first < 0)
            first = row;
        if (!marked && first >= 0) {
            marks.select(model_->index(first, 0), model_->index(row - 1, GoodsModel::ColumnCount - 1));
            first = -1;
        }
    }
    const QScopedValueRollback quiet(restoringMarks_, true);
    XDBG->selectionModel()->select(marks, QItemSelectionModel::ClearAndSelect);
}

// ---- count label

void ExportPage::IIfno()
{
    const int rows = model_ != nullptr ? model_->rowCount() : dmu->SDSTowary.RecordCount();
    lbIlosc->setText(QStringLiteral("Ilość pozycji: %1/%2").arg(rows).arg(SelectedCount()));
}

int ExportPage::SelectedCount() const
{
    return static_cast<int>(dm->ReadInteger("il", SelectedCountSql, 0));
}

// ---- single toggles

void ExportPage::XDBGKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_Space)
        return;
    ToggleRow(CurrentRow(), (modifiers & Qt::ControlModifier) ? "blok" : "wybor", true);
}

void ExportPage::XDBGCellClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.column() == GoodsModel::ColWybor)
        ToggleRow(index.row(), "wybor", false);
    else if (index.column() == GoodsModel::ColBlok)
        ToggleRow(index.row(), "blok", false);
}

void ExportPage::ToggleRow(int row, const std::string& field, bool moveDown)
{
    if (model_ == nullptr)
        return;
    const int dataRow = model_->DataRow(row);
    if (dataRow < 0)
        return;
    const int rowsBefore = model_->rowCount();
    // The good's row is refreshed in place; it leaves the list when it no longer matches the filters. A mark the
    // database refused is announced, and the cursor stays on the good.
    if (!dmu->ToggleFlag(dataRow, field))
        return;
    const bool left = model_->rowCount() < rowsBefore;
    // The next good is one row down, or already in this row when the toggled good has left the list.
    SetCurrentRow(moveDown && !left ? row + 1 : row);
}

// ---- filters

void ExportPage::ApplyGroupFilter()
{
    GroupFilter.clear();
    std::string condition;
    for (int i = 0; i < cbGrupy->count(); ++i) {
        const QListWidgetItem* item = cbGrupy->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        if (!condition.empty())
            condition += " or ";
        const std::string text = item->data(GroupTextRole).toByteArray().toStdString();
        condition += "k.grupa=" + SqlQuote(TextBefore(" ", text));
    }
    if (!condition.empty())
        condition = " ( " + condition + " )";
    GroupFilter = condition;
    dmu->OpenGoods();
}

void ExportPage::rgViewBlokClick()
{
    const int item = rgViewBlok->ItemIndex();
    const OnScopeExit reset([this] { rgViewBlok->SetItemIndex(-1); });
    if (item < 0)
        return;
    LockFilter = item == 0 ? "b.blok=1" : item == 1 ? "b.blok=0" : "";
    SelectionFilter.clear();
    dmu->OpenGoods();
    FocusGoodsGrid();
}

void ExportPage::rgViewWyborClick()
{
    const int item = rgViewWybor->ItemIndex();
    const OnScopeExit reset([this] { rgViewWybor->SetItemIndex(-1); });
    if (item < 0)
        return;
    XDBG->setUpdatesEnabled(false);
    const OnScopeExit repaint([this] { XDBG->setUpdatesEnabled(true); });
    SelectionFilter = item == 0 ? "b.wybor=1" : item == 1 ? "b.wybor=0" : "";
    LockFilter.clear();
    dmu->OpenGoods();
    FocusGoodsGrid();
}

// ---- bulk commands

void ExportPage::rgBlokClick()
{
    const int item = rgBlok->ItemIndex();
    if (item < 0)
        return;
    const LockCommand command = item == 0   ? LockCommand::LockAll
                                : item == 1 ? LockCommand::UnlockAll
                                            : LockCommand::Invert;
    bool completed = false;
    {
        const OnScopeExit after([this] {
            XDBG->setUpdatesEnabled(true);
            rgBlok->SetItemIndex(-1);
        });
        XDBG->setUpdatesEnabled(false);
        const WaitCursor busy;
        // One command for all goods in view; the list is then re-read at the remembered good.
        completed = dmu->LockGoodsInView(command);
    }
    dmu->ReReadGoods();
    if (completed)
        FocusGoodsGrid();
}

void ExportPage::rgWyborClick()
{
    const int item = rgWybor->ItemIndex();
    if (item < 0)
        return;
    const OnScopeExit after([this] {
        rgWybor->SetItemIndex(-1);
        XDBG->setUpdatesEnabled(true);
        FocusGoodsGrid();
    });
    XDBG->setUpdatesEnabled(false);
    // Each command re-reads the list and refreshes the count label itself.
    if (item == 0)
        btnSelAllClick();
    else if (item == 1)
        BtnUnSelAllClick();
    else if (item == 2)
        BtnInvertClick();
    else
        SelectChangedClick();
}

void ExportPage::SelectChangedClick()
{
    XDBG->clearSelection();
    // The view is re-read, the marks and the count label follow; the status line says what was left out.
    dmu->SelectChangedGoods();
    IIfno();
}

void ExportPage::btnSelAllClick()
{
    XDBG->selectAll();
    dmu->SelectGoods(SelectionCommand::SelectAll);
    dmu->ReReadGoods();
    IIfno();
}

void ExportPage::BtnUnSelAllClick()
{
    XDBG->clearSelection();
    dmu->SelectGoods(SelectionCommand::UnselectAll);
    dmu->ReReadGoods();
    IIfno();
}

void ExportPage::BtnInvertClick()
{
    if (model_ != nullptr && model_->rowCount() > 0) {
        const QItemSelection all(model_->index(0, 0),
                                 model_->index(model_->rowCount() - 1, GoodsModel::ColumnCount - 1));
        XDBG->selectionModel()->select(all, QItemSelectionModel::Toggle);
    }
    dmu->SelectGoods(SelectionCommand::Invert);
    dmu->ReReadGoods();
    IIfno();
}

void ExportPage::BitBtn1Click()
{
    dmu->SyncPriceLocks();
    dmu->SelectGoods(SelectionCommand::UnselectAll);
    dmu->OpenGoods();
}

void ExportPage::aTestNazwaExecute()
{
    // The report is written without being shown; the status line says where to find it.
    if (dmu->ReportDuplicateNames())
        Komunikat("Raport z testowania nazw zapisano w pliku " + ErrorReportFile, false);
}

// ---- search

bool ExportPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edSeek && event->type() == QEvent::KeyRelease)
        edSeekKeyUp(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event);
}

void ExportPage::edSeekKeyUp(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        FocusGoodsGrid();
    else
        Seek(edSeek->text());
}

void ExportPage::Seek(const QString& text)
{
    if (model_ == nullptr)
        return;
    // "Kod w kasie" searches the names, as "Nazwa" does.
    const std::string field = rbSeekAsort->isChecked() ? "asort" : "nazwa";
    const std::string prefix = UpperCase1250(ToCp1250(text));
    const DataSet& rows = dmu->SDSTowary;
    const int column = rows.Fields.IndexOf(field);
    if (column < 0)
        return;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const int dataRow = model_->DataRow(row);
        if (dataRow >= 0 && StartsWith(UpperCase1250(rows.Rows[dataRow][column].AsString()), prefix)) {
            SetCurrentRow(row);
            return;
        }
    }
}

void ExportPage::rbSeekClick()
{
    edSeek->setFocus(Qt::OtherFocusReason);
    XDBG->sortByColumn(rbSeekAsort->isChecked() ? GoodsModel::ColAsort : GoodsModel::ColNazwa, Qt::AscendingOrder);
}

// ---- export

void ExportPage::btnEksportClick()
{
    // The export to a register is one operation from the first check to the re-read view at its end: a click
    // given meanwhile, also during the trailing database work, never starts another export.
    std::optional<RegisterOperation> operation;
    if (rgKasa->isChecked())
        operation.emplace(
            this, QStringLiteral("Trwa eksport towarów do kasy – „Zatrzymaj” lub Esc kończy go po bieżącym towarze"),
            pnlPostep, [this] { btnStopClick(); });
    if (SelectedCount() == 0) {
        Komunikat("Brak zaznaczonych pozycji", true);
        return;
    }
    ExchangeResult = 0;
    Komunikat("", false);
    const OnScopeExit hide([this] { HideProgress(); });
    if (rgKasa->isChecked()) {
        ExportToRegister();
    } else {
        lbePlikE->setText(FromCp1250(dm->ReadParS("PLIK_EUREKA", "", "GLOBAL", "TARLA")));
        if (lbePlikE->text().isEmpty())
            lbePlikE->setText(FromCp1250(DataDir + "Towary.txt"));
        pnlEureka->show();
        lbePlikE->setFocus(Qt::OtherFocusReason);
    }
}

void ExportPage::ExportToRegister()
{
    stopRequested_ = false;
    btnStop->setEnabled(true);
    btnStop->show();
    {
        const OnScopeExit hideStop([this] { btnStop->hide(); });
        try {
            fmE->aExpoTowarExecute();
        } catch (const std::exception& e) {
            // The error box tells what happened; the status line must not stay on the last good's success.
            Komunikat(std::string("Eksport zatrzymany: ") + e.what(), true);
            throw;
        }
    }
    // The goods not sent (a stop, an error) keep their selection for another try.
    dmu->OpenGoods();
    IIfno();
}

void ExportPage::btnStopClick()
{
    stopRequested_ = true;
    btnStop->setEnabled(false);
}

void ExportPage::rgKasaClick()
{
    cbStopExpo->setVisible(true);
    rgDane->setVisible(true);
}

void ExportPage::rgEurekaClick()
{
    cbStopExpo->setVisible(false);
    rgDane->setVisible(false);
}

void ExportPage::BtnExpoCntClick()
{
    {
        // No library call, but the same care: a second click given while the file is written does not act
        // afterwards on the goods it has just cleared.
        const RegisterOperation operation(this,
                                          QStringLiteral("Zapisywanie pliku dla programu Eureka – proszę czekać"));
        const OnScopeExit hide([this] { HideProgress(); });
        fmE->aExpoTowarEureka();
    }
    // The export clears the selection of every good it wrote; when the file could not be written it clears
    // none, and the panel stays open with all selections in place for another try.
    if (SelectedCount() > 0)
        return;
    pnlEureka->hide();
    BtnUnSelAllClick();
    dmu->OpenGoods();
    IIfno();
}

void ExportPage::BtnExpoCanClick()
{
    pnlEureka->hide();
}

void ExportPage::HideProgress()
{
    pbEksport->hide();
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

void ExportPage::SetGroups(const std::vector<std::string>& items)
{
    const QSignalBlocker quiet(cbGrupy);
    cbGrupy->clear();
    for (const std::string& text : items) {
        auto* item = new QListWidgetItem(FromCp1250(text), cbGrupy);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(0, cbGrupy->fontMetrics().height() + 5));
        item->setData(GroupTextRole, QByteArray::fromStdString(text));
    }
}

void ExportPage::GoodsViewReopened()
{
    if (model_ == nullptr)
        return;
    // The same query again is a re-read: the cursor and the marks stay with their goods. Another query is a new
    // list, which starts at its first row without marks.
    const bool reRead = dmu->SDSTowary.CommandText == shownQuery_;
    shownQuery_ = dmu->SDSTowary.CommandText;
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

// ---- IExportPage

bool ExportPage::FullData() const
{
    return rgDane->ItemIndex() == 1;
}

bool ExportPage::StopOnFirstError() const
{
    return cbStopExpo->isChecked();
}

std::string ExportPage::EurekaFileName() const
{
    return ToCp1250(lbePlikE->text());
}

void ExportPage::ShowProgress(const std::string& text)
{
    // "n / m": n goods handled of m.
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char('/'));
    const int done = parts.value(0).trimmed().toInt();
    const int total = parts.value(1).trimmed().toInt();
    if (total < ProgressFromGoods)
        return;
    pbEksport->setFormat(QString::fromStdString(text));
    pbEksport->setRange(0, total);
    pbEksport->setValue(done);
    if (!pbEksport->isVisible())
        pbEksport->show();
    pbEksport->repaint();
}

bool ExportPage::StopRequested() const
{
    const OperationRunner* runner = OperationRunner::Of(this);
    return stopRequested_ || (runner != nullptr && runner->ClosePending());
}

void ExportPage::UntickGroups()
{
    const QSignalBlocker quiet(cbGrupy);
    for (int i = 0; i < cbGrupy->count(); ++i)
        cbGrupy->item(i)->setCheckState(Qt::Unchecked);
}

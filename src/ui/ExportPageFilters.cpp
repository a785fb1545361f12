// The export page's filters (groups, price locks, selections), its bulk commands and the search field.
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
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

namespace
{
// The original bytes of a group list item, as the catalogue gave them.
constexpr int GroupTextRole = Qt::UserRole + 1;

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}
} // namespace

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

// The label beside the count names the view: its price-lock or mark filter and the ticked groups (their codes;
// the whole names in the tooltip).
void ExportPage::ShowActiveView()
{
    QString view = LockFilter == "b.blok=1"         ? QStringLiteral("z ceną zablokowaną")
                   : LockFilter == "b.blok=0"       ? QStringLiteral("z ceną wolną")
                   : SelectionFilter == "b.wybor=1" ? QStringLiteral("wybrane")
                   : SelectionFilter == "b.wybor=0" ? QStringLiteral("niewybrane")
                                                    : QStringLiteral("wszystkie pozycje");
    QStringList codes;
    QStringList names;
    if (!GroupFilter.empty()) {
        for (int i = 0; i < cbGrupy->count(); ++i) {
            const QListWidgetItem* item = cbGrupy->item(i);
            if (item->checkState() != Qt::Checked)
                continue;
            codes << FromCp1250(TextBefore(" ", item->data(GroupTextRole).toByteArray().toStdString()));
            names << item->text();
        }
    }
    if (!codes.isEmpty())
        view += (codes.size() == 1 ? QStringLiteral(", grupa ") : QStringLiteral(", grupy ")) +
                codes.join(QStringLiteral(", "));
    lbWidok->SetWholeText(QStringLiteral("Widok: ") + view);
    if (!names.isEmpty())
        lbWidok->setToolTip(lbWidok->WholeText() + QStringLiteral("\nGrupy: ") + names.join(QStringLiteral("; ")));
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
    // "Kod w kasie" is the register's code of a good, its symbol as a number: "$00132", "00132" and "132" find the
    // good 132 (or the first whose code begins so, while the code is being typed).
    const bool byCode = rbSeekKod->isChecked();
    const std::string field = rbSeekNazwa->isChecked() ? "nazwa" : "asort";
    const auto registerCode = [](std::string code) {
        if (!code.empty() && code.front() == '$')
            code.erase(0, 1);
        const auto digit = code.find_first_not_of('0');
        return digit == std::string::npos ? std::string(code.empty() ? "" : "0") : code.substr(digit);
    };
    const std::string typed = UpperCase1250(ToCp1250(text.trimmed()));
    const std::string prefix = byCode ? registerCode(typed) : typed;
    const DataSet& rows = dmu->SDSTowary;
    const int column = rows.Fields.IndexOf(field);
    if (column < 0)
        return;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const int dataRow = model_->DataRow(row);
        if (dataRow < 0)
            continue;
        const std::string value = UpperCase1250(Trim(rows.Rows[dataRow][column].AsString()));
        if (byCode ? !value.empty() && value.find_first_not_of("0123456789") == std::string::npos &&
                         StartsWith(registerCode(value), prefix)
                   : StartsWith(value, prefix)) {
            SetCurrentRow(row);
            return;
        }
    }
    if (byCode && !prefix.empty())
        Komunikat("Brak towaru o kodzie w kasie "_cp + prefix, true);
}

void ExportPage::rbSeekClick()
{
    edSeek->setFocus(Qt::OtherFocusReason);
    // "Kod w kasie" sorts by the symbol too: the grid orders digits by their value, which is the register code's order.
    XDBG->sortByColumn(rbSeekNazwa->isChecked() ? GoodsModel::ColNazwa : GoodsModel::ColAsort, Qt::AscendingOrder);
}

// ---- group list

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

void ExportPage::UntickGroups()
{
    const QSignalBlocker quiet(cbGrupy);
    for (int i = 0; i < cbGrupy->count(); ++i)
        cbGrupy->item(i)->setCheckState(Qt::Unchecked);
}

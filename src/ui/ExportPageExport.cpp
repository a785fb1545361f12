// The export page's export: to a register with progress and the stop button, or to the Eureka goods file.
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

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace
{
// The progress bar appears for exports of at least this many goods; shorter ones are over at once.
constexpr int ProgressFromGoods = 5;
} // namespace

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

void ExportPage::ShowProgress(std::size_t done, std::size_t total, const std::string&)
{
    if (total < ProgressFromGoods)
        return;
    pbEksport->setFormat(QStringLiteral("%1 / %2").arg(done).arg(total));
    pbEksport->setRange(0, static_cast<int>(total));
    pbEksport->setValue(static_cast<int>(done));
    if (!pbEksport->isVisible())
        pbEksport->show();
    pbEksport->repaint();
}

bool ExportPage::StopRequested() const
{
    const OperationRunner* runner = OperationRunner::Of(this);
    return stopRequested_ || (runner != nullptr && runner->ClosePending());
}

#include "ui/RegisterGoodsPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "exchange/FmElzab.h"
#include "ui/DeletionPage.h"
#include "ui/OperationRunner.h"
#include "ui/UiText.h"
#include "util/Cp1250Literal.h"
#include "util/ScopeExit.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

RegisterGoodsPage::RegisterGoodsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbsWykazTow"));
    btnRefrWykaz = new QPushButton(QStringLiteral("Wczytaj wykaz"), this);
    btnRefrWykaz->setObjectName(QStringLiteral("btnRefrWykaz"));
    btnRefrWykaz->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnRefrWykaz->setAutoDefault(false);
    QFont bold = btnRefrWykaz->font();
    bold.setBold(true);
    btnRefrWykaz->setFont(bold);
    connect(btnRefrWykaz, &QPushButton::clicked, this, &RegisterGoodsPage::btnRefeshDelClick);

    btnPorownaj = new QPushButton(QStringLiteral("Porównanie z kasą"), this);
    btnPorownaj->setObjectName(QStringLiteral("btnPorownaj"));
    btnPorownaj->setAutoDefault(false);
    btnPorownaj->setToolTip(QStringLiteral("Wczytuje wykaz z kasy i porównuje go z tym, co wysłałaby kartoteka"));
    connect(btnPorownaj, &QPushButton::clicked, this, &RegisterGoodsPage::btnPorownajClick);
    btnZapiszPor = new QPushButton(QStringLiteral("Zapisz raport"), this);
    btnZapiszPor->setObjectName(QStringLiteral("btnZapiszPor"));
    btnZapiszPor->setAutoDefault(false);
    connect(btnZapiszPor, &QPushButton::clicked, this, &RegisterGoodsPage::btnZapiszPorClick);
    btnZaznaczPor = new QPushButton(QStringLiteral("Zaznacz do eksportu"), this);
    btnZaznaczPor->setObjectName(QStringLiteral("btnZaznaczPor"));
    btnZaznaczPor->setAutoDefault(false);
    btnZaznaczPor->setToolTip(
        QStringLiteral("Zaznacza na stronie eksportu towary, których brak w kasie, i towary różniące się"));
    connect(btnZaznaczPor, &QPushButton::clicked, this, &RegisterGoodsPage::btnZaznaczPorClick);
    UpdateComparisonButtons();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRefrWykaz);
    buttons->addSpacing(16);
    buttons->addWidget(btnPorownaj);
    buttons->addWidget(btnZapiszPor);
    buttons->addWidget(btnZaznaczPor);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(Memo1, 1);
}

void RegisterGoodsPage::btnRefeshDelClick()
{
    if (deletionPage_ != nullptr)
        deletionPage_->btnRefeshDel->hide();
    RefreshRegisterGoods();
}

void RegisterGoodsPage::RefreshRegisterGoods()
{
    const RegisterOperation operation(this);
    // The deletion page's button comes back also after an unexpected error, so the operator can try again.
    const OnScopeExit restore([this] {
        if (deletionPage_ != nullptr)
            deletionPage_->btnRefeshDel->show();
    });
    fmE->WczytajTowary();
}

void RegisterGoodsPage::btnPorownajClick()
{
    const RegisterOperation operation(this);
    const OnScopeExit restore([this] { UpdateComparisonButtons(); });
    ComparisonResult result = fmE->PorownajZKasa();
    // A comparison that could not read the register keeps the last report for saving and selecting.
    if (result.ok)
        comparison_ = std::move(result);
}

void RegisterGoodsPage::btnZapiszPorClick()
{
    TfmE::ZapiszPorownanie(comparison_);
}

void RegisterGoodsPage::btnZaznaczPorClick()
{
    if (comparison_.registerId != CurrentRegisterId) {
        Komunikat("Porównanie dotyczy innej kasy - uruchom je ponownie"_cp, true);
        return;
    }
    dmu->ReReadGoods(); // the marks are written against the view's present rows
    if (dmu->SelectGoods(comparison_.toSend))
        Komunikat("Zaznaczono do eksportu: " + std::to_string(comparison_.toSend.size()) +
                      " (brak w kasie i różniące się)"_cp,
                  false);
}

void RegisterGoodsPage::UpdateComparisonButtons()
{
    const bool compared = !comparison_.report.empty();
    btnZapiszPor->setEnabled(compared);
    btnZaznaczPor->setEnabled(compared && !comparison_.toSend.empty());
}

void RegisterGoodsPage::SetRegisterGoods(const std::vector<std::string>& lines)
{
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        text << FromCp1250(line);
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
}

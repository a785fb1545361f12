#include "ui/RegisterGoodsPage.h"

#include "exchange/FmElzab.h"
#include "ui/DeletionPage.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/UiText.h"

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

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRefrWykaz);
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
    SetReadButtonsEnabled(false);
    // Both buttons come back also after an unexpected error, so the operator can try again.
    const OnScopeExit restore([this] {
        if (deletionPage_ != nullptr)
            deletionPage_->btnRefeshDel->show();
        SetReadButtonsEnabled(true);
    });
    fmE->WczytajTowary();
}

void RegisterGoodsPage::SetReadButtonsEnabled(bool enabled)
{
    btnRefrWykaz->setEnabled(enabled);
    if (deletionPage_ != nullptr)
        deletionPage_->btnRefeshDel->setEnabled(enabled);
}

void RegisterGoodsPage::SetRegisterGoods(const std::vector<std::string>& lines)
{
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        text << FromCp1250(line);
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
}

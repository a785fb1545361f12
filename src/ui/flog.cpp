#include "ui/flog.h"

#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "ui/KeyPreview.h"
#include "ui/ProgramIcon.h"
#include "ui/UiText.h"
#include "util/Screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QValidator>

TfmLog* fmLog = nullptr;

namespace
{
constexpr int WindowWidth = 520;

// Keeps a field in one letter case whatever is typed or pasted.
class CaseValidator : public QValidator
{
public:
    CaseValidator(bool upper, QObject* parent) : QValidator(parent), upper_(upper) {}
    State validate(QString& input, int& /*pos*/) const override
    {
        input = upper_ ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    bool upper_;
};

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool ComputeLocalDatabase()
{
    return DbPath.find("127.0.") != std::string::npos;
}
} // namespace

TfmLog::TfmLog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmLog"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAutoFillBackground(true);

    gbInfoProg = new QGroupBox(QStringLiteral("Informacja o programie"), this);
    gbInfoProg->setObjectName(QStringLiteral("gbInfoProg"));
    auto* lbVersion = new QLabel(QStringLiteral("Wersja programu:"), gbInfoProg);
    edwerprg = new QLineEdit(gbInfoProg);
    edwerprg->setObjectName(QStringLiteral("edwerprg"));
    edwerprg->setReadOnly(true);
    edwerprg->setFocusPolicy(Qt::NoFocus);
    lbVersion->setBuddy(edwerprg);
    auto* logo = new QLabel(gbInfoProg);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(ProgramPixmap(48, 42));
    auto* infoRow = new QHBoxLayout(gbInfoProg);
    infoRow->addWidget(lbVersion);
    infoRow->addWidget(edwerprg, 1);
    infoRow->addSpacing(12);
    infoRow->addWidget(logo);

    auto* title = new QLabel(QStringLiteral("Wymiana danych z kasami"), this);
    title->setObjectName(QStringLiteral("lbTytul"));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("background: #FFFF80; color: #000080; font-size: 20pt; font-weight: bold;"
                                        " padding: 8px;"));

    lbUser = new QLabel(QStringLiteral("Użytkownik"), this);
    lbeUser = new QLineEdit(this);
    lbeUser->setObjectName(QStringLiteral("lbeUser"));
    lbeUser->setMaxLength(12);
    lbeUser->setValidator(new CaseValidator(true, lbeUser));
    lbUser->setBuddy(lbeUser);

    lbPass = new QLabel(QStringLiteral("Hasło"), this);
    lbePass = new QLineEdit(this);
    lbePass->setObjectName(QStringLiteral("lbePass"));
    lbePass->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the style's own mask character is.
    lbePass->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    lbePass->setValidator(new CaseValidator(false, lbePass));
    lbPass->setBuddy(lbePass);

    cbTest = new QCheckBox(QStringLiteral("Testowanie bazy"), this);
    cbTest->setObjectName(QStringLiteral("cbTest"));

    btnPOtw = new QPushButton(QStringLiteral("&Wejście"), this);
    btnPOtw->setObjectName(QStringLiteral("btnPOtw"));
    btnAnuluj = new QPushButton(QStringLiteral("&Zamknij"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    for (QPushButton* button : {btnPOtw, btnAnuluj}) {
        // Enter belongs to the fields (see the keys); no button is pressed by it.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumWidth(110);
    }

    lbInfo = new QLabel(this);
    lbInfo->setObjectName(QStringLiteral("lbInfo"));
    lbInfo->setAlignment(Qt::AlignCenter);
    lbInfo->setAutoFillBackground(true);
    lbInfo->setMinimumHeight(28);
    QFont bold = lbInfo->font();
    bold.setBold(true);
    lbInfo->setFont(bold);
    lbInfo->hide();

    lbPth = new QLabel(QStringLiteral("Ustal poprawną ścieżkę dostępu do bazy danych"), this);
    lbPth->setObjectName(QStringLiteral("lbPth"));
    lbPth->hide();
    edPth = new QLineEdit(this);
    edPth->setObjectName(QStringLiteral("edPth"));
    edPth->hide();

    auto* fields = new QGridLayout;
    fields->addWidget(lbUser, 0, 0);
    fields->addWidget(lbeUser, 0, 1);
    fields->addWidget(lbPass, 1, 0);
    fields->addWidget(lbePass, 1, 1);
    fields->addWidget(cbTest, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnPOtw);
    buttons->addWidget(btnAnuluj);
    buttons->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(fields, 1);
    middle->addSpacing(16);
    middle->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbInfoProg);
    layout->addWidget(title);
    layout->addLayout(middle);
    layout->addWidget(lbInfo);
    layout->addWidget(lbPth);
    layout->addWidget(edPth);
    // The window keeps its width and grows or shrinks in height as controls are shown or hidden.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins margins = layout->contentsMargins();
    gbInfoProg->setFixedWidth(WindowWidth - margins.left() - margins.right());

    connect(btnPOtw, &QPushButton::clicked, this, &TfmLog::btnPotwClick);
    connect(btnAnuluj, &QPushButton::clicked, this, &TfmLog::btnAnulujClick);

    new KeyPreview(this, [this](QWidget* target, QKeyEvent* event) {
        if (event->type() == QEvent::KeyRelease)
            return FormKeyUp(target, event->key());
        return false;
    });
}

TfmLog::~TfmLog()
{
    if (fmLog == this)
        fmLog = nullptr;
}

void TfmLog::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmLog::FormShow()
{
    // The fields keep their letter case, also for values from the configuration.
    lbeUser->setText(FromCp1250(DbUser).toUpper());
    lbePass->setText(FromCp1250(DbPassword).toLower());
    edPth->setText(FromCp1250(DbPath));
    edwerprg->setText(QStringLiteral(" ") + FromCp1250(ProgramVersion));
    LocalDatabase = ComputeLocalDatabase();
    cbTest->setVisible(Tdm::IsAdministrator(DbUser));
    // A local database is entered with the configured user and password without asking for them.
    for (QWidget* w : std::initializer_list<QWidget*>{lbUser, lbeUser, lbPass, lbePass})
        w->setVisible(!LocalDatabase);
    if (lbeUser->isVisible())
        lbeUser->setFocus(Qt::OtherFocusReason);
}

void TfmLog::ShowStatus(const QString& text, const QColor& background)
{
    QPalette palette = lbInfo->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::white);
    lbInfo->setPalette(palette);
    lbInfo->setText(text);
    lbInfo->show();
    LogLine(ToCp1250(text));
    lbInfo->repaint();
}

void TfmLog::btnPotwClick()
{
    btnPOtw->hide();
    lbPth->hide();
    edPth->hide();
    ShowStatus(QStringLiteral("Łączenie z bazą ..."), QColor(0x00, 0x00, 0xC0));

    DbPath = ToCp1250(edPth->text());
    DbUser = ToCp1250(lbeUser->text());
    DbPassword = ToCp1250(lbePass->text());
    LocalDatabase = ComputeLocalDatabase();

    {
        WaitCursor busy;
        dm->BazaConnect();
        // The administrator's checks need the connection; without it they could only fail.
        if (Tdm::IsAdministrator(DbUser) && ConnectStatus == 0) {
            ShowStatus(QStringLiteral("Sprawdzanie bazy ..."), QColor(0x00, 0x00, 0xC0));
            dm->AdministratorCheck(cbTest->isChecked());
        }
    }

    if (ConnectStatus == 0) {
        lbInfo->hide();
        accept();
    } else if (LoginAborted) {
        // The operator chose to end the program at the connection prompt.
        done(Rejected);
    } else {
        ShowRetry();
    }
}

void TfmLog::ShowRetry()
{
    ShowStatus(QStringLiteral("Brak dostępu do bazy"), QColor(0xC0, 0x00, 0x00));
    lbPth->show();
    edPth->show();
    for (QWidget* w : std::initializer_list<QWidget*>{lbUser, lbeUser, lbPass, lbePass})
        w->show();
    btnPOtw->show();
    lbeUser->setFocus(Qt::OtherFocusReason);
}

void TfmLog::btnAnulujClick()
{
    LoginAborted = true;
    done(Rejected);
}

void TfmLog::reject()
{
    btnAnulujClick();
}

void TfmLog::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape act on release (see FormKeyUp); the dialog's own reactions to them are not wanted.
    if (IsEnter(event->key()) || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfmLog::FormKeyUp(QWidget* target, int key)
{
    if (key == Qt::Key_F2) {
        edPth->show();
        edPth->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (edPth->isVisible())
            edPth->hide();
        else
            btnAnulujClick();
        return true;
    }
    if (target == lbeUser)
        return lbeUserKeyUp(key);
    if (target == lbePass)
        return lbePassKeyUp(key);
    return false;
}

bool TfmLog::lbeUserKeyUp(int key)
{
    if (!IsEnter(key))
        return false;
    cbTest->setVisible(Tdm::IsAdministrator(ToCp1250(lbeUser->text())));
    lbePass->setFocus(Qt::OtherFocusReason);
    return true;
}

bool TfmLog::lbePassKeyUp(int key)
{
    if (!IsEnter(key))
        return false;
    btnPotwClick();
    return true;
}

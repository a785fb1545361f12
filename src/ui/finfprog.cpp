#include "ui/finfprog.h"

#include "app/ConstUnit.h"
#include "ui/KeyPreview.h"
#include "ui/ProgramIcon.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

TfmInfProg* fmInfProg = nullptr;

namespace
{
constexpr int ClientWidth = 662;
constexpr int ClientHeight = 298;
constexpr int DateGap = 5; // pixels between the executable's path and the build date

QFont ArialFont(int points, bool italic = false, bool bold = false)
{
    QFont font(QStringLiteral("Arial"), points);
    font.setItalic(italic);
    font.setBold(bold);
    return font;
}

void SetTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
} // namespace

TfmInfProg::TfmInfProg(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmInfProg"));
    if (parent == nullptr) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setWindowTitle(QStringLiteral("Informacje o programie "));
        setFixedSize(ClientWidth, ClientHeight);
        setAttribute(Qt::WA_DeleteOnClose);
    }
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::ToolTipBase));
    setPalette(background);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setGeometry(8, 8, 65, 57);
    icon->setPixmap(ProgramPixmap(65, 57));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ArialFont(20, true));
    SetTextColour(Label1, QColor(0x00, 0x66, 0xCC)); // the hot-track blue
    Label1->setGeometry(88, 16, ClientWidth - 96, 44);

    auto* pnlVersion = new QFrame(this);
    pnlVersion->setObjectName(QStringLiteral("Panel1"));
    pnlVersion->setFrameStyle(QFrame::Box | QFrame::Plain);
    pnlVersion->setGeometry(88, 88, 300, 40);
    auto* lbVersion = new QLabel(QStringLiteral("Wersja:"), pnlVersion);
    lbVersion->setFont(ArialFont(10));
    lbVersion->setGeometry(12, 10, 70, 20);
    lwer = new QLabel(pnlVersion);
    lwer->setObjectName(QStringLiteral("lwer"));
    lwer->setFont(ArialFont(10, false, true));
    lwer->setGeometry(84, 10, 200, 20);

    lbExe = new QLabel(this);
    lbExe->setObjectName(QStringLiteral("lbExe"));
    lbExe->setFont(ArialFont(10));
    SetTextColour(lbExe, Qt::red);
    lbExe->move(12, 226);

    lbData = new QLabel(this);
    lbData->setObjectName(QStringLiteral("lbData"));
    lbData->setFont(ArialFont(10, true));
    SetTextColour(lbData, Qt::red);

    lbBaza = new QLabel(this);
    lbBaza->setObjectName(QStringLiteral("lbBaza"));
    lbBaza->setFont(ArialFont(10));
    SetTextColour(lbBaza, QColor(0x00, 0x00, 0x80));
    lbBaza->move(12, 254);

    new KeyPreview(this, [this](QWidget*, QKeyEvent* event) {
        return event->type() == QEvent::KeyRelease && FormKeyUp(event->key());
    });
}

TfmInfProg::~TfmInfProg()
{
    if (fmInfProg == this)
        fmInfProg = nullptr;
}

void TfmInfProg::FormShow()
{
    Label1->setText(FromCp1250(ProgramTitle));
    lwer->setText(FromCp1250(ProgramVersion));

    const QString exe = QCoreApplication::applicationFilePath();
    lbExe->setText(QDir::toNativeSeparators(exe));
    lbExe->adjustSize();
    // The release date of this version (day 86 of 2024, as its mark 24.086 says), not the file's date.
    lbData->setText(QStringLiteral("( 26.03.2024 )"));
    lbData->adjustSize();
    // The date always starts just after the end of the path, however long the path is.
    lbData->move(lbExe->x() + lbExe->width() + DateGap, lbExe->y());

    lbBaza->setText(FromCp1250(DbPath));
    lbBaza->adjustSize();
}

void TfmInfProg::showEvent(QShowEvent* event)
{
    FormShow();
    if (isWindow()) {
        if (const QScreen* screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

bool TfmInfProg::FormKeyUp(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    close();
    return true;
}

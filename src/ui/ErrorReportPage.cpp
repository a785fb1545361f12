#include "ui/ErrorReportPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "ui/UiText.h"
#include "util/Screen.h"

#include <QAction>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

ErrorReportPage::ErrorReportPage(QWidget* parent)
    : QWidget(parent), openFile([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("tbsErrLog"));

    pmErrLog = new QMenu(this);
    pmErrLog->setObjectName(QStringLiteral("pmErrLog"));
    estowaniekartotekiasortymentowej2 = pmErrLog->addAction(QStringLiteral("Testowanie kartoteki asortymentowej"));
    Dziesiejszahistoriapracy1 = pmErrLog->addAction(QStringLiteral("Dzisiejsza historia pracy"));
    pmErrLog->addSeparator();
    Zerowanieraportu1 = pmErrLog->addAction(QStringLiteral("Zerowanie raportu o błędach"));
    Wydrukraportu1 = pmErrLog->addAction(QStringLiteral("Wydruk raportu"));
    connect(estowaniekartotekiasortymentowej2, &QAction::triggered, this,
            &ErrorReportPage::estowaniekartotekiasortymentowej2Click);
    connect(Dziesiejszahistoriapracy1, &QAction::triggered, this, &ErrorReportPage::Dziesiejszahistoriapracy1Click);
    connect(Zerowanieraportu1, &QAction::triggered, this, &ErrorReportPage::Zerowanieraportu1Click);
    connect(Wydrukraportu1, &QAction::triggered, this, &ErrorReportPage::Wydrukraportu1Click);

    btn = new QPushButton(QStringLiteral("Menu"), this);
    btn->setObjectName(QStringLiteral("btn"));
    btn->setAutoDefault(false);
    connect(btn, &QPushButton::clicked, this, &ErrorReportPage::btnClick);

    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmErrLog->popup(Memo2->viewport()->mapToGlobal(pos)); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(Memo2, 1);
}

void ErrorReportPage::ShowFile(const std::string& path, const QString& missing)
{
    Memo2->clear();
    std::string content;
    if (FileExists(path) && ReadWholeFile(path, content))
        Memo2->setPlainText(FromCp1250(content).remove(QLatin1Char('\r')));
    else
        Memo2->setPlainText(missing);
}

void ErrorReportPage::ShowErrorReport()
{
    ShowFile(ErrorReportFile, QStringLiteral("Brak raportu"));
}

void ErrorReportPage::btnClick()
{
    // Just below the button.
    pmErrLog->popup(btn->mapToGlobal(QPoint(0, btn->height())));
}

void ErrorReportPage::estowaniekartotekiasortymentowej2Click()
{
    Memo2->clear();
    // The test points ErrorReportFile at its own report, which this page then shows for the rest of the run.
    dmu->ReportDuplicateNames();
    ShowErrorReport();
}

void ErrorReportPage::Dziesiejszahistoriapracy1Click()
{
    ShowFile(WorkLog ? WorkLog->FileName : std::string(), QStringLiteral("Brak historii"));
}

void ErrorReportPage::Zerowanieraportu1Click()
{
    if (!AskYesNo(ToCp1250(QStringLiteral("Raport o błędach")),
                  ToCp1250(QStringLiteral("Wyzerować raport o błędach?"))))
        return;
    // The file stays, emptied, so that later errors are still appended to it.
    if (FileExists(ErrorReportFile))
        SaveText("", ErrorReportFile);
    Memo2->clear();
}

void ErrorReportPage::Wydrukraportu1Click()
{
    // Whatever the desktop answers is left alone.
    openFile(QUrl::fromLocalFile(QString::fromStdString(ErrorReportFile)));
}

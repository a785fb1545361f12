#include "ui/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Pomoc - Wymiana danych z kasami ELZAB"));
    resize(760, 600);

    auto* btnContents = new QPushButton(QStringLiteral("Spis treści"), this);
    btnContents->setAutoDefault(false);
    auto* lbFind = new QLabel(QStringLiteral("Szukaj:"), this);
    edFind_ = new QLineEdit(this);
    edFind_->setObjectName(QStringLiteral("edFind"));
    edFind_->setToolTip(QStringLiteral("Enter - następne wystąpienie"));
    auto* btnFind = new QPushButton(QStringLiteral("Znajdź"), this);
    btnFind->setAutoDefault(false);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenLinks(true);

    auto* bar = new QHBoxLayout;
    bar->addWidget(btnContents);
    bar->addSpacing(20);
    bar->addWidget(lbFind);
    bar->addWidget(edFind_, 1);
    bar->addWidget(btnFind);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_, 1);

    connect(btnContents, &QPushButton::clicked, this, [this] { browser_->scrollToAnchor(AnchorOf(0)); });
    connect(btnFind, &QPushButton::clicked, this, &HelpWindow::FindNext);
    connect(edFind_, &QLineEdit::returnPressed, this, &HelpWindow::FindNext);
}

QString HelpWindow::AnchorOf(int topic)
{
    return topic == 0 ? QStringLiteral("spis") : QStringLiteral("temat%1").arg(topic);
}

bool HelpWindow::ShowTopic(const QString& path, int topic)
{
    if (path != loadedPath_) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        browser_->setHtml(QString::fromUtf8(file.readAll()));
        loadedPath_ = path;
    }
    show();
    raise();
    activateWindow();
    browser_->scrollToAnchor(AnchorOf(topic));
    return true;
}

void HelpWindow::FindNext()
{
    const QString text = edFind_->text();
    if (text.isEmpty())
        return;
    if (!browser_->find(text)) {
        // From the top again.
        browser_->moveCursor(QTextCursor::Start);
        browser_->find(text);
    }
}

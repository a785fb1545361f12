#include "ui/SelDir.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TfmSD* fmSD = nullptr;

TfmSD::TfmSD(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmSD"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint);
    setWindowTitle(QStringLiteral("Wybór katalogu"));
    resize(331, 333);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    Label1->setWordWrap(true);
    Label1->setMinimumHeight(40);

    dirModel = new QFileSystemModel(this);
    dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    dirModel->setRootPath(QDir::rootPath());
    DirList = new QTreeView(this);
    DirList->setObjectName(QStringLiteral("DirList"));
    DirList->setModel(dirModel);
    for (int column = 1; column < dirModel->columnCount(); ++column)
        DirList->hideColumn(column);
    DirList->header()->hide();
    // The process's current directory is highlighted at the start.
    const QModelIndex current = dirModel->index(QDir::currentPath());
    DirList->setCurrentIndex(current);
    DirList->scrollTo(current);

    auto* btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    auto* btnAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    btnOK->setAutoDefault(false);
    btnAnuluj->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnAnuluj);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(DirList, 1);
    layout->addLayout(buttons);

    connect(DirList, &QTreeView::clicked, this, &TfmSD::DirListClick);
    // Double-click or Enter opens the directory; the label then shows it.
    connect(DirList, &QTreeView::activated, this, &TfmSD::ShowDirectory);
    connect(btnOK, &QPushButton::clicked, this, &TfmSD::btnOKClick);
    connect(btnAnuluj, &QPushButton::clicked, this, &TfmSD::btnAnulujClick);
}

void TfmSD::SetLabelBackground(const QColor& colour)
{
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::Window, colour);
    Label1->setPalette(palette);
}

void TfmSD::showEvent(QShowEvent* event)
{
    SetLabelBackground(palette().color(QPalette::Button));
    Label1->setText(QDir::toNativeSeparators(dirModel->filePath(DirList->currentIndex())));
    QDialog::showEvent(event);
}

void TfmSD::ShowDirectory(const QModelIndex& index)
{
    if (index.isValid())
        Label1->setText(QDir::toNativeSeparators(dirModel->filePath(index)));
}

void TfmSD::DirListClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    SelectedDir = dirModel->filePath(index);
    SetLabelBackground(Qt::yellow);
    Label1->setText(QStringLiteral("Wybrany katalog: ") + QDir::toNativeSeparators(SelectedDir));
}

void TfmSD::btnOKClick()
{
    accept();
}

void TfmSD::btnAnulujClick()
{
    SelectedDir.clear();
    reject();
}

#pragma once
// The directory chooser: a directory tree with "OK" and "Anuluj". There are no drive letters here, so the
// tree starts at the root of the file system.
#include <QDialog>

class QFileSystemModel;
class QLabel;
class QTreeView;

class TfmSD : public QDialog
{
public:
    explicit TfmSD(QWidget* parent = nullptr);

    QLabel* Label1;
    QTreeView* DirList;
    QFileSystemModel* dirModel;

    // The directory last clicked in the tree; empty after "Anuluj".
    QString SelectedDir;

    void DirListClick(const QModelIndex& index);
    void btnOKClick();
    void btnAnulujClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowDirectory(const QModelIndex& index);
    void SetLabelBackground(const QColor& colour);
};

extern TfmSD* fmSD;

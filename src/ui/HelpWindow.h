#pragma once
// The program's help window: the help document "Tarlo.hlp" (HTML) shown at a topic or at its contents, with
// a search field.
#include <QDialog>

class QLineEdit;
class QTextBrowser;

class HelpWindow : public QDialog
{
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the document (when it is not loaded yet) and shows it scrolled to the topic; topic 0 shows the
    // contents. False when the file cannot be read.
    bool ShowTopic(const QString& path, int topic);

    // The anchor of a topic in the document: "temat10", ...; "spis" for the contents.
    static QString AnchorOf(int topic);

    QTextBrowser* browser() const { return browser_; }

private:
    void FindNext();

    QTextBrowser* browser_;
    QLineEdit* edFind_;
    QString loadedPath_;
};

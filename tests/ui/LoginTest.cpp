// The log-in window: its keys, the local-database presentation, the administrator's schema and version steps
// and the failed connection.
#include "UiTestSupport.h"
#include "db/dbDDM.h"
#include "ui/AppEvents.h"
#include "ui/flog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <fstream>

using testsupport::ConnectDm;

class LoginTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SetErrorBoxShown(false); }
    void init();
    void cleanup();

    void enterInUserFieldShowsTestBoxForSysdba();
    void enterInPasswordFieldConfirms();
    void f2OpensPathFieldAndEscapeClosesItThenAbandons();
    void localDatabaseHidesUserAndPassword_data();
    void localDatabaseHidesUserAndPassword();
    void sysdbaCreatesSchemaAndWritesVersion();
    void versionWrite_data();
    void versionWrite();
    void failedConnection_data();
    void failedConnection();
    void polishTextsAndPasswordMask();

private:
    // Shows a new log-in window, without an event loop of its own.
    void ShowLogin();
    std::string StoredVersion();

    std::unique_ptr<UiSession> session_;
    std::unique_ptr<TfmLog> login_;
};

void LoginTest::init()
{
    LoginAborted = false;
    ConnectStatus = -1;
}

void LoginTest::cleanup()
{
    login_.reset();
    dm.reset();
    session_.reset();
}

void LoginTest::ShowLogin()
{
    if (!dm)
        dm = std::make_unique<Tdm>();
    login_ = std::make_unique<TfmLog>();
    fmLog = login_.get();
    login_->show();
    QVERIFY(QTest::qWaitForWindowActive(login_.get()));
}

std::string LoginTest::StoredVersion()
{
    return dm->ReadParS("wersja", "<brak>", "GLOBAL", "TARLA");
}

void LoginTest::enterInUserFieldShowsTestBoxForSysdba()
{
    session_ = std::make_unique<UiSession>(std::nullopt);
    DbUser = "ADAM";
    ShowLogin();
    QVERIFY(login_->cbTest->isHidden());

    login_->lbeUser->clear();
    QTest::keyClicks(login_->lbeUser, QStringLiteral("sysdba")); // the field takes upper case only
    QCOMPARE(login_->lbeUser->text(), QStringLiteral("SYSDBA"));
    QTest::keyClick(login_->lbeUser, Qt::Key_Return);
    QVERIFY(login_->cbTest->isVisible());
    QCOMPARE(QApplication::focusWidget(), login_->lbePass);

    login_->lbeUser->setText(QStringLiteral("ADAM"));
    QTest::keyRelease(login_->lbeUser, Qt::Key_Return);
    QVERIFY(login_->cbTest->isHidden());
    QVERIFY(login_->isVisible());
    QCOMPARE(ConnectStatus, -1); // Enter in the user field does not connect
}

void LoginTest::enterInPasswordFieldConfirms()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Schema);
    DbUser = "ADAM";
    ShowLogin();
    login_->lbeUser->setText(QStringLiteral("SYSDBA"));
    QTest::keyClicks(login_->lbePass, QStringLiteral("X")); // the password field takes lower case only
    QVERIFY(login_->lbePass->text().endsWith(QLatin1Char('x')));
    login_->lbePass->setText(QStringLiteral("masterkey"));

    QTest::keyClick(login_->lbePass, Qt::Key_Return);

    QCOMPARE(ConnectStatus, 0);
    QVERIFY(!LoginAborted);
    QVERIFY(!login_->isVisible());
    QCOMPARE(login_->result(), int(QDialog::Accepted));
    QCOMPARE(DbUser, std::string("SYSDBA")); // the globals take the fields' values
    QVERIFY(session_->log->Text().find(Cp(QStringLiteral("Łączenie z bazą ..."))) != std::string::npos);
}

void LoginTest::f2OpensPathFieldAndEscapeClosesItThenAbandons()
{
    session_ = std::make_unique<UiSession>(std::nullopt);
    ShowLogin();
    QVERIFY(login_->edPth->isHidden());

    QTest::keyClick(login_->lbeUser, Qt::Key_F2);
    QVERIFY(login_->edPth->isVisible());
    QCOMPARE(QApplication::focusWidget(), login_->edPth);
    login_->edPth->setText(QStringLiteral("/srv/inna.fdb"));

    QTest::keyClick(login_->edPth, Qt::Key_Escape);
    QVERIFY(login_->edPth->isHidden());
    QCOMPARE(login_->edPth->text(), QStringLiteral("/srv/inna.fdb")); // kept as typed
    QVERIFY(login_->isVisible());
    QVERIFY(!LoginAborted);

    QTest::keyClick(login_->lbePass, Qt::Key_Escape);
    QVERIFY(LoginAborted);
    QVERIFY(!login_->isVisible());
    QCOMPARE(ConnectStatus, -1);
}

void LoginTest::localDatabaseHidesUserAndPassword_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("local");
    QTest::newRow("loopback address") << "127.0.0.1:/srv/firma/FIRMA.FDB" << true;
    QTest::newRow("text anywhere in the path") << "/srv/127.0.kopia/FIRMA.FDB" << true;
    QTest::newRow("other server") << "dbhost:/srv/firma/FIRMA.FDB" << false;
    QTest::newRow("local file") << "/srv/firma/FIRMA.FDB" << false;
}

void LoginTest::localDatabaseHidesUserAndPassword()
{
    QFETCH(QString, path);
    QFETCH(bool, local);
    session_ = std::make_unique<UiSession>(std::nullopt);
    DbPath = path.toStdString();
    DbUser = "KASJER";
    DbPassword = "tajne";
    ShowLogin();

    QCOMPARE(LocalDatabase, local);
    for (QWidget* w : std::initializer_list<QWidget*>{login_->lbeUser, login_->lbePass, login_->lbUser, login_->lbPass})
        QCOMPARE(w->isHidden(), local);
    // Hidden or not, the fields hold the configured values that the confirmation uses.
    QCOMPARE(login_->lbeUser->text(), QStringLiteral("KASJER"));
    QCOMPARE(login_->lbePass->text(), QStringLiteral("tajne"));
    QCOMPARE(login_->edwerprg->text(), QStringLiteral(" 3.0 [24.086]"));
}

void LoginTest::sysdbaCreatesSchemaAndWritesVersion()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Schema);
    QVERIFY(ConnectDm(DbPath));
    QVERIFY(!dm->JestTabela("BLOK_CEN"));
    dm->CloseConnection();
    ShowLogin();
    QVERIFY(login_->cbTest->isVisible());

    login_->btnPOtw->click();

    QCOMPARE(ConnectStatus, 0);
    QVERIFY(!login_->isVisible());
    for (const char* table : {"BLOK_CEN", "HIST_PAR", "ODCZYT", "PARAGONY"})
        QVERIFY2(dm->JestTabela(table), table);
    QCOMPARE(StoredVersion(), ProgramVersion);
    QVERIFY(session_->log->Text().find("Sprawdzanie bazy ...") != std::string::npos);
}

void LoginTest::versionWrite_data()
{
    QTest::addColumn<QString>("stored"); // empty: no stored version
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("marker"); // "Sprw.dat" in the working directory
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    const QString current = QString::fromStdString(ProgramVersion);
    QTest::newRow("none stored") << "" << false << false << "SYSDBA" << current;
    QTest::newRow("current, unticked: nothing written") << current << false << false << "SYSDBA" << current;
    QTest::newRow("newer, unticked: nothing written") << "9.9" << false << false << "SYSDBA"
                                                      << "9.9";
    QTest::newRow("newer, ticked") << "9.9" << true << false << "SYSDBA" << current;
    QTest::newRow("10.0 sorts before 3.0") << "10.0" << false << false << "SYSDBA" << current;
    QTest::newRow("marker file") << "9.9" << false << true << "SYSDBA" << current;
    QTest::newRow("other user: no checks") << "" << true << true << "KASJER"
                                           << "<brak>";
}

void LoginTest::versionWrite()
{
    QFETCH(QString, stored);
    QFETCH(bool, ticked);
    QFETCH(bool, marker);
    QFETCH(QString, user);
    QFETCH(QString, expected);
    session_ = std::make_unique<UiSession>(demodb::Content::Schema);
    QVERIFY(ConnectDm(DbPath));
    if (!stored.isEmpty())
        QVERIFY(dm->WriteParS("WERSJA", stored.toStdString(), "GLOBAL", "TARLA"));
    if (marker)
        std::ofstream(session_->exeDir.Path() + "/sprw.DAT") << "\r\n"; // found whatever its letter case
    dm->CloseConnection();
    ShowLogin();
    login_->lbeUser->setText(user);
    login_->cbTest->setChecked(ticked);

    login_->btnPotwClick();

    QCOMPARE(ConnectStatus, 0);
    QVERIFY(ConnectDm(DbPath)); // read back as the administrator
    QCOMPARE(QString::fromStdString(StoredVersion()), expected);
    QCOMPARE(dm->JestTabela("BLOK_CEN"), user == QLatin1String("SYSDBA")); // the schema test ran
}

void LoginTest::failedConnection_data()
{
    QTest::addColumn<bool>("stop"); // the answer to "Przerwać program?"
    QTest::newRow("No: another attempt") << false;
    QTest::newRow("Yes: the program ends") << true;
}

void LoginTest::failedConnection()
{
    QFETCH(bool, stop);
    session_ = std::make_unique<UiSession>(std::nullopt);          // DbPath names a file that does not exist
    DbPath = "127.0.0.1:" + session_->exeDir.Path() + "/brak.fdb"; // local: user and password start hidden
    session_->screen.answers = {stop};
    ShowLogin();
    login_->edPth->setText(QString::fromStdString(session_->exeDir.Path() + "/brak.fdb"));

    login_->btnPotwClick();

    QCOMPARE(session_->screen.prompts.size(), size_t(1));
    QCOMPARE(session_->screen.prompts[0].caption, Cp(QStringLiteral("Przerwać program?")));
    // What the server's English text means comes first.
    const std::string& prompt = session_->screen.prompts[0].text;
    const size_t explanation = prompt.find(Cp(QStringLiteral("Serwer nie ma dostępu do pliku bazy danych.")));
    QVERIFY2(explanation != std::string::npos && explanation < prompt.find("I/O error"), prompt.c_str());
    QCOMPARE(ConnectStatus, -1);
    QCOMPARE(LoginAborted, stop);
    QCOMPARE(login_->isVisible(), !stop);
    if (stop) {
        QCOMPARE(session_->screen.terminateRequests, 1);
        return;
    }
    QCOMPARE(login_->lbInfo->text(), QStringLiteral("Brak dostępu do bazy"));
    for (QWidget* w : std::initializer_list<QWidget*>{login_->lbPth, login_->edPth, login_->lbeUser, login_->lbePass,
                                                      login_->btnPOtw})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(QApplication::focusWidget(), login_->lbeUser);
    QVERIFY(session_->log->Text().find(Cp(QStringLiteral("Brak dostępu do bazy"))) != std::string::npos);

    // The corrected path is used by the next attempt.
    session_->db = std::make_unique<testsupport::TempDatabase>(demodb::Content::Schema);
    login_->edPth->setText(QString::fromStdString(session_->db->Path()));
    login_->btnPOtw->click();
    QCOMPARE(ConnectStatus, 0);
    QVERIFY(!login_->isVisible());
}

void LoginTest::polishTextsAndPasswordMask()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Schema);
    ShowLogin();

    // Qt's own context menu of an edit field speaks Polish.
    const std::unique_ptr<QMenu> menu(login_->lbeUser->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0); // without the shortcut
    QVERIFY2(texts.contains(QStringLiteral("S&kopiuj")), qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(!texts.contains(QStringLiteral("&Copy")));

    login_->lbePass->setText(QStringLiteral("tajne"));
    QCOMPARE(login_->lbePass->displayText(), QStringLiteral("*****"));
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    LoginTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LoginTest.moc"

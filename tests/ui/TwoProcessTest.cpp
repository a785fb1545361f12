// The window and tarlo-cli at the same moment, as on two workstations of one shop: one database on a Firebird
// server, one work folder with its register lock, one simulated register. The tool is started while an operation
// of the window holds the registers, and the test goes on only once the tool says that it waits for them, so the
// overlap is certain on any machine. What both programs did is then checked against the simulated register and
// the database.
#include "PagesTestSupport.h"
#include "PrivateServer.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/FmElzab.h"
#include "ui/AppEvents.h"
#include "ui/ExportPage.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/ReadoutPage.h"
#include "ui/UMain.h"
#include "util/MyUtil.h"
#include "util/ScopeExit.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

namespace
{
namespace fs = std::filesystem;

// Runs winip-sim (beside the stand-in library) on the test's simulator folder; its exit code.
int Sim(const std::string& arguments)
{
    const std::string command = std::string(std::getenv("TARLO_BIN_DIR")) + "/winip-sim " + arguments + " >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ExportPage* Export()
{
    return Frm->tbsTowary;
}

ReadoutPage* Readout()
{
    return Frm->tbsOdczyt;
}

// tarlo-cli as a second process, started during the window's first library call of an operation: by then the
// window holds the registers. That call waits until the tool says it waits for them; `afterCall` runs once right
// after it, still inside the window's operation.
class ToolDuringCall : public ICallRunner
{
public:
    ToolDuringCall(ICallRunner* inner, QStringList arguments, std::function<void()> afterCall = {})
        : inner_(inner), arguments_(std::move(arguments)), afterCall_(std::move(afterCall))
    {
    }
    ~ToolDuringCall() override
    {
        if (tool_.state() != QProcess::NotRunning) {
            tool_.kill();
            tool_.waitForFinished(5000);
        }
    }

    void Run(const std::function<void()>& call) override
    {
        if (started_) {
            inner_->Run(call);
            return;
        }
        started_ = true;
        tool_.setWorkingDirectory(QString::fromStdString(ExeDir));
        tool_.start(QString::fromStdString(ExeDir + "tarlo-cli"), arguments_);
        toolWaited = WaitForOutput(QStringLiteral("czekam na ich zwolnienie"));
        inner_->Run(call);
        if (afterCall_)
            afterCall_();
    }

    // Waits for the tool to end; its exit code (-1 when it did not end normally).
    int Finish()
    {
        if (!started_)
            return -1;
        tool_.waitForFinished(120000);
        Collect();
        return tool_.exitStatus() == QProcess::NormalExit && tool_.state() == QProcess::NotRunning ? tool_.exitCode()
                                                                                                   : -1;
    }

    bool toolWaited = false; // the tool said that it waits for the registers the window holds
    QString out, err;

private:
    void Collect()
    {
        out += QString::fromUtf8(tool_.readAllStandardOutput());
        err += QString::fromUtf8(tool_.readAllStandardError());
    }
    bool WaitForOutput(const QString& text)
    {
        QElapsedTimer timer;
        timer.start();
        tool_.waitForStarted(10000);
        while (!out.contains(text) && tool_.state() == QProcess::Running && timer.elapsed() < 30000) {
            tool_.waitForReadyRead(200);
            Collect();
        }
        return out.contains(text);
    }

    ICallRunner* inner_;
    QStringList arguments_;
    std::function<void()> afterCall_;
    QProcess tool_;
    bool started_ = false;
};

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

// Runs tarlo-cli alone, in the program's folder.
ToolRun RunTool(const QStringList& arguments)
{
    QProcess tool;
    tool.setWorkingDirectory(QString::fromStdString(ExeDir));
    tool.start(QString::fromStdString(ExeDir + "tarlo-cli"), arguments);
    tool.waitForFinished(120000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardOutput()), QString::fromUtf8(tool.readAllStandardError())};
}

// The register code (as a number) -> the price in hundredths that the simulated register holds.
std::map<int, int64_t> RegisterPrices(const PagesProgram& program, int number)
{
    std::map<int, int64_t> prices;
    for (const std::string& line : FileLines(program.RegisterFolder(number) + "/towary.txt")) {
        const size_t end = line.find_last_of('\t');
        const size_t start = line.find_last_of('\t', end - 1) + 1;
        prices[std::stoi(line.substr(1, 5))] = std::stoll(line.substr(start, end - start));
    }
    return prices;
}

int64_t CataloguePrice(const std::string& symbol)
{
    DataSet rows;
    dm->OpenSds(rows, "select cena_1 from " + GoodsTable + " where asort=" + SqlQuote(symbol));
    return rows.RecordCount() == 0 ? -1 : std::llround(rows.At(0, "cena_1").AsFloat() * 100);
}

// The first `count` active goods of the catalogue whose symbols are whole numbers (their register codes), with
// a price.
std::vector<std::string> NumberedGoods(int count)
{
    DataSet rows;
    dm->OpenSds(rows, "select first " + std::to_string(count) + " asort from " + GoodsTable +
                          " where nieaktywny<>1 and cena_1>0 and asort similar to '[0-9]{1,5}' order by asort");
    std::vector<std::string> goods;
    for (int row = 0; row < rows.RecordCount(); ++row)
        goods.push_back(Trim(rows.At(row, "asort").AsString()));
    return goods;
}

std::string SqlList(const std::vector<std::string>& symbols)
{
    std::string list;
    for (const std::string& symbol : symbols)
        list += (list.empty() ? "" : ",") + SqlQuote(symbol);
    return "(" + list + ")";
}

// The first number that `pattern` captures in `text`; -1 when it does not match.
int Captured(const QString& text, const QString& pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The value (hundredths) of everything the simulated register sold since its counters were last zeroed.
int64_t SoldOnRegister(const PagesProgram& program, int number)
{
    int64_t sold = 0;
    for (const std::string& line : FileLines(program.RegisterFolder(number) + "/sprzedaz.txt"))
        sold += std::stoll(line.substr(line.find_last_of('\t') + 1));
    return sold;
}

// The value (hundredths) booked in PARAGONY for the register.
int64_t BookedFor(int number)
{
    DataSet rows;
    dm->OpenSds(rows, "select sum(WARTOSC) as V from PARAGONY where KASA=" + std::to_string(number));
    return rows.At(0, "V").IsNull() ? 0 : std::llround(rows.At(0, "V").AsFloat() * 100);
}
} // namespace

class TwoProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void toolExportsBesideTheWindowsExport();
    void toolReadoutWaitsForTheWindowsAndHandsOverItsOwn();

private:
    std::unique_ptr<testsupport::PrivateServer> server_;
    std::unique_ptr<PagesProgram> program_;
};

void TwoProcessTest::initTestCase()
{
    SetErrorBoxShown(false);
    try {
        server_ = std::make_unique<testsupport::PrivateServer>();
        server_->CreateDatabase("sklep", demodb::Content::Demo);
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    const std::string database = server_->DatabasePath("sklep");
    program_ = std::make_unique<PagesProgram>();
    const std::string problem = program_->Start(database);
    QVERIFY2(problem.empty(), problem.c_str());
    QVERIFY(fmE->callRunner == Frm->operations);
    // tarlo-cli beside the program, with the same database and work folder.
    std::error_code error;
    fs::copy_file(std::string(std::getenv("TARLO_BIN_DIR")) + "/tarlo-cli", ExeDir + "tarlo-cli", error);
    QVERIFY2(!error, error.message().c_str());
    SaveText("[Tarlo]\r\nPth=" + database + "\r\nUser=SYSDBA\r\nPass=masterkey\r\n", ExeDir + "Tarlo_db.INI");
}

void TwoProcessTest::cleanupTestCase()
{
    program_.reset();
    server_.reset();
}

void TwoProcessTest::init()
{
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    QCOMPARE(RegisterCode, std::string("01"));
    Komunikat("", false);
}

// The window sends the goods the operator marked while `tarlo-cli eksport --zmienione` waits for the registers;
// the tool then chooses the changed goods under the lock, after the window's export. Every good the tool chose is
// sent or counted as not sent, its exit code says which, and the register holds the catalogue price of every good
// either program sent.
void TwoProcessTest::toolExportsBesideTheWindowsExport()
{
    const std::vector<std::string> goods = NumberedGoods(12);
    QCOMPARE(goods.size(), size_t(12));
    // The register holds the catalogue, and the memory of sent goods says so.
    const ToolRun first = RunTool({"eksport", "--kasa", "1", "--zmienione", "--pelne"});
    QVERIFY2(first.exitCode == 0 || first.exitCode == 1, qPrintable(first.out + first.err));
    for (const std::string& good : goods)
        QCOMPARE(RegisterPrices(*program_, 1)[std::stoi(good)], CataloguePrice(good));

    // Changed at the register itself (the memory does not know): only the operator's marks send these again.
    const std::vector<std::string> windowOnly(goods.begin(), goods.begin() + 4);
    // A new catalogue price, marked by the operator too.
    const std::vector<std::string> both(goods.begin() + 4, goods.begin() + 7);
    // A new catalogue price, not marked.
    const std::vector<std::string> toolOnly(goods.begin() + 7, goods.end());
    std::string towary;
    for (std::string line : FileLines(program_->RegisterFolder(1) + "/towary.txt")) {
        for (const std::string& good : windowOnly)
            if (std::stoi(line.substr(1, 5)) == std::stoi(good)) {
                const size_t end = line.find_last_of('\t');
                line = line.substr(0, line.find_last_of('\t', end - 1) + 1) + "1" + line.substr(end);
            }
        towary += line + "\n";
    }
    SaveText(towary, program_->RegisterFolder(1) + "/towary.txt");
    std::vector<std::string> changed = both, marked = windowOnly;
    changed.insert(changed.end(), toolOnly.begin(), toolOnly.end());
    marked.insert(marked.end(), both.begin(), both.end());
    QVERIFY(dm->RunSQL("update " + GoodsTable + " set cena_1=cena_1+1.11 where asort in " + SqlList(changed)));
    QVERIFY(dm->RunSQL("update blok_cen set wybor=0"));
    QVERIFY(dm->RunSQL("update blok_cen set wybor=1 where asort in " + SqlList(marked)));
    Frm->PCtrlPraca->setCurrentWidget(Export());
    Export()->rgKasa->click();
    Export()->rgDane->SetItemIndex(0); // prices only: the register holds every good
    dmu->OpenGoods();

    ToolDuringCall tool(Frm->operations, {"eksport", "--kasa", "01", "--zmienione"});
    fmE->callRunner = &tool;
    {
        const OnScopeExit restore([] { fmE->callRunner = Frm->operations; });
        Export()->btnEksport->click();
    }
    const int exitCode = tool.Finish();
    const QString toolSaid = tool.out + tool.err;

    QVERIFY2(tool.toolWaited, qPrintable(toolSaid));
    // The window sent what the operator marked, and only that cleared the marks.
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Eksport zakończony: wysłano %1 z %1").arg(marked.size()));
    QCOMPARE(SelectedGoods(), int64_t(0));
    const std::map<int, int64_t> held = RegisterPrices(*program_, 1);
    for (const std::string& good : marked)
        QVERIFY2(held.at(std::stoi(good)) == CataloguePrice(good), good.c_str());
    // The tool chose its goods under the lock, after the window had sent and remembered its own: only the changed
    // goods nobody marked were left.
    const int chosen = Captured(toolSaid, QStringLiteral("Zmienione od ostatniego eksportu do kasy 01: (\\d+)"));
    const int sent = Captured(toolSaid, QStringLiteral("Eksport zakończony: wysłano (\\d+) z "));
    const int total = Captured(toolSaid, QStringLiteral("Eksport zakończony: wysłano \\d+ z (\\d+)"));
    QCOMPARE(chosen, static_cast<int>(toolOnly.size()));
    QCOMPARE(total, chosen);
    QVERIFY2((exitCode == 0) == (sent == total) && (exitCode == 0 || exitCode == 1), qPrintable(toolSaid));
    int onRegister = 0;
    for (const std::string& good : toolOnly)
        onRegister += held.at(std::stoi(good)) == CataloguePrice(good);
    QCOMPARE(onRegister, sent);
    QCOMPARE(exitCode, 0);
}

// The window's readout holds the registers while `tarlo-cli odczyt --przeslij` waits for them, and a sale comes
// between the two readouts. The tool reports and hands over the file its own readout stored, the window hands over
// its own: each names a different file, and once both are handed over, booked equals sold.
void TwoProcessTest::toolReadoutWaitsForTheWindowsAndHandsOverItsOwn()
{
    Frm->PCtrlPraca->setCurrentWidget(Readout());
    std::error_code ignored;
    fs::remove(program_->RegisterFolder(1) + "/sprzedaz.txt", ignored);
    const std::vector<std::string> goods = NumberedGoods(1);
    QCOMPARE(goods.size(), size_t(1));
    const std::string good = goods.front();
    // The register holds the good (the export above, or a register of its own).
    if (RegisterPrices(*program_, 1).count(std::stoi(good)) == 0) {
        fs::create_directories(program_->RegisterFolder(1));
        SaveText("$" + IntToStrPad(std::stoi(good), 5, "0") +
                     "\tTowar              \t1\t1\t3\t0\t0\t0000000000000\t250\t0\n",
                 program_->RegisterFolder(1) + "/towary.txt");
    }
    const int64_t bookedBefore = BookedFor(1);
    QCOMPARE(Sim("sell 1 " + good + " 2"), 0);

    ToolDuringCall tool(Frm->operations, {"odczyt", "--kasa", "1", "--przeslij"},
                        [good] { QCOMPARE(Sim("sell 1 " + good + " 1"), 0); });
    fmE->callRunner = &tool;
    {
        const OnScopeExit restore([] { fmE->callRunner = Frm->operations; });
        Readout()->btnRead->click();
    }
    const std::string windowFile = ReadingFile;
    const int exitCode = tool.Finish();
    QVERIFY2(tool.toolWaited, qPrintable(tool.out + tool.err));
    QVERIFY(Readout()->btnSendData->isEnabled());
    Readout()->btnSendData->click();

    QCOMPARE(exitCode, 0);
    const QRegularExpressionMatch stored =
        QRegularExpression(QStringLiteral("Kasa 01: zapisano odczyt (\\S+\\.txt)")).match(tool.out);
    QVERIFY2(stored.hasMatch(), qPrintable(tool.out + tool.err));
    const std::string toolFile = stored.captured(1).toStdString();
    QVERIFY2(toolFile != windowFile, toolFile.c_str());
    QVERIFY(FileExists(toolFile) && FileExists(windowFile));
    QVERIFY2(!tool.out.contains(QString::fromStdString(fs::path(windowFile).filename().string())),
             qPrintable(tool.out));
    // Booked equals sold: the sale between the two readouts is in the tool's file only.
    QCOMPARE(BookedFor(1) - bookedBefore, SoldOnRegister(*program_, 1));
    QVERIFY(SoldOnRegister(*program_, 1) > 0);
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    TwoProcessTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TwoProcessTest.moc"

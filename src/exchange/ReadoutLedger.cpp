#include "exchange/ReadoutLedger.h"

#include "app/ConstUnit.h"
#include "app/ReadoutFiles.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

constexpr int ConflictAttempts = 6;
constexpr std::size_t CodeWidth = 40; // ODCZYTY_KAS_SUMY.KOD
constexpr std::size_t NameWidth = 40; // ODCZYTY_KAS_SUMY.NAZWA

std::string DateLiteral(const Date& d)
{
    char text[20];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d'", d.year, d.month, d.day);
    return text;
}

// The path as stored: under DataDir relative to it, elsewhere absolute.
std::string StoredPath(const std::string& path)
{
    std::error_code error;
    const std::string absolute = fs::absolute(path, error).lexically_normal().string();
    const std::string data = fs::absolute(DataDir, error).lexically_normal().string();
    if (!data.empty() && absolute.rfind(AddPathSeparator(data, "/"), 0) == 0)
        return absolute.substr(AddPathSeparator(data, "/").size());
    return absolute;
}

std::string FullPath(const std::string& stored)
{
    return !stored.empty() && stored[0] == '/' ? stored : DataDir + stored;
}

Date AsDate(const Value& value)
{
    if (const auto* d = std::get_if<Date>(&value.Data()))
        return *d;
    if (const auto* t = std::get_if<DateTime>(&value.Data()))
        return t->date;
    return {};
}

std::optional<DateTime> AsDateTime(const Value& value)
{
    if (const auto* t = std::get_if<DateTime>(&value.Data()))
        return *t;
    return std::nullopt;
}

const std::string EntryColumns = "select L.NR, L.KASA, L.ID_KASY, L.PLIK, L.SCIEZKA, L.RODZAJ, L.KONIEC_OKRESU, "
                                 "L.OKRES, L.DATASPRZ, L.ZAPISANO, L.ROZMIAR, L.SUMA_KONTROLNA, P.DATA as PRZESLANO "
                                 "from ODCZYTY_KAS L left join PRZESLANE_ODCZYTY P on P.PLIK=L.PLIK and P.KASA=L.KASA ";

std::vector<LedgerEntry> Entries(const DataSet& rows)
{
    std::vector<LedgerEntry> entries;
    for (int row = 0; row < rows.RecordCount(); ++row) {
        LedgerEntry e;
        e.number = rows.At(row, "NR").AsInteger();
        e.registerNo = static_cast<int>(rows.At(row, "KASA").AsInteger());
        e.registerId = static_cast<int>(rows.At(row, "ID_KASY").AsInteger());
        e.fileName = Trim(rows.At(row, "PLIK").AsString());
        e.path = FullPath(Trim(rows.At(row, "SCIEZKA").AsString()));
        e.kind = Trim(rows.At(row, "RODZAJ").AsString()) == "Z" ? LedgerKind::ResetReport : LedgerKind::Readout;
        e.periodEnd = rows.At(row, "KONIEC_OKRESU").AsInteger() != 0;
        e.period = static_cast<int>(rows.At(row, "OKRES").AsInteger());
        e.salesDate = AsDate(rows.At(row, "DATASPRZ"));
        e.storedAt = AsDateTime(rows.At(row, "ZAPISANO")).value_or(DateTime{});
        e.fingerprint = {rows.At(row, "ROZMIAR").AsInteger(), Trim(rows.At(row, "SUMA_KONTROLNA").AsString())};
        e.handedOverAt = AsDateTime(rows.At(row, "PRZESLANO"));
        entries.push_back(e);
    }
    return entries;
}

// The goods the memory of sent goods names for the register's codes: code (integer) -> symbol.
std::map<int64_t, std::string> SentGoodsOf(DbWork& work, int registerId)
{
    std::map<int64_t, std::string> goods;
    if (!dm->JestTabela("WYSLANE"))
        return goods;
    const DataSet rows = work.Query("select KOD, ASORT from WYSLANE where ID_KASY=" + SqlInt(registerId));
    for (int row = 0; row < rows.RecordCount(); ++row)
        if (!rows.At(row, "ASORT").IsNull())
            goods[rows.At(row, "KOD").AsInteger()] = Trim(rows.At(row, "ASORT").AsString());
    return goods;
}

std::string OnOneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::optional<int64_t> CodeNumber(const std::string& code)
{
    if (code.empty() || code.size() > 9 || code.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(code);
}

} // namespace

bool ReadRegularFile(const std::string& path, std::string& content, std::string& problem)
{
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0) {
        problem = "Nie można odczytać pliku "_cp + path + " (" + SystemErrorText(errno) + ")";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = "Plik "_cp + path + " nie jest zwykłym plikiem (folder, potok albo urządzenie)"_cp;
        return false;
    }
    // Opened without blocking: a FIFO put in its place since the check does not stop the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = "Nie można odczytać pliku "_cp + path + " (" + SystemErrorText(errno) + ")";
        return false;
    }
    struct stat opened {
    };
    bool ok = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    content.clear();
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    const int error = errno;
    ::close(fd);
    if (!ok)
        problem = "Nie można odczytać pliku "_cp + path + " (" + SystemErrorText(error) + ")";
    return ok;
}

std::vector<std::string> ContentLines(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t end = content.find('\n', at);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

Fingerprint FingerprintOf(const std::string& content)
{
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : content) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return {static_cast<int64_t>(content.size()), text};
}

std::vector<std::string> MissingLedgerObjects()
{
    std::vector<std::string> missing;
    for (const char* table : {"ODCZYTY_KAS", "ODCZYTY_KAS_SUMY", "KASY_OKRESY", "PRZEKAZANE_SUMY"})
        if (!dm->JestTabela(table))
            missing.push_back(std::string("tabela ") + table);
    if (!dm->JestGenerator("G_NR_ODCZYTY_KAS"))
        missing.push_back("generator G_NR_ODCZYTY_KAS");
    return missing;
}

std::string MissingObjectsText(const std::vector<std::string>& missing)
{
    std::string list;
    for (const auto& object : missing)
        list += (list.empty() ? "" : ", ") + object;
    return "Brak w bazie danych: "_cp + list +
           ". Zaloguj się jako administrator (SYSDBA) - program je utworzy; potem powtórz operację."_cp;
}

void WithRetries(const std::function<void()>& work)
{
    for (int attempt = 1;; ++attempt) {
        try {
            work();
            return;
        } catch (const DbError& e) {
            if (!DbWork::Conflict(e) || attempt >= ConflictAttempts)
                throw;
            LogLine("Konflikt blokady w bazie danych, ponowienie "_cp + std::to_string(attempt) + ": " +
                    OnOneLine(e.what()));
            std::this_thread::sleep_for(std::chrono::milliseconds(50 * attempt));
        }
    }
}

void EnsureRegisterRow(int registerNo)
{
    if (dm->Jest("select KASA from KASY_OKRESY where KASA=" + SqlInt(registerNo)))
        return;
    try {
        DbWork work;
        work.Execute("insert into KASY_OKRESY (KASA,OKRES,ZAMKNIETY) values (" + SqlInt(registerNo) + ",1,0)");
        work.Commit();
    } catch (const DbError&) {
        // Another workstation created it at the same moment; the row is there either way.
        if (!dm->Jest("select KASA from KASY_OKRESY where KASA=" + SqlInt(registerNo)))
            throw;
    }
}

namespace
{
// Runs `write` in one transaction that first locks the register's row of KASY_OKRESY (made when missing), so that
// every writer of this register waits for the one before; lock conflicts are retried. False with the operator's
// text of the failure (a database error also goes to the work history), and without any write when the ledger's
// tables are missing.
bool WriteUnderRegisterRow(int registerNo, const std::function<void(DbWork&)>& write, std::string& problem)
{
    try {
        if (const std::vector<std::string> missing = MissingLedgerObjects(); !missing.empty()) {
            problem = MissingObjectsText(missing);
            return false;
        }
        EnsureRegisterRow(registerNo);
        WithRetries([&] {
            DbWork work;
            work.Execute("update KASY_OKRESY set KASA=KASA where KASA=" + SqlInt(registerNo));
            write(work);
            work.Commit();
        });
        return true;
    } catch (const DbError& e) {
        problem = e.OperatorText();
        LogLine(OnOneLine(e.what()));
        return false;
    }
}

} // namespace

bool RecordStoredFile(int registerNo, int registerId, const std::string& path, const std::string& content,
                      LedgerKind kind, const Date& salesDate, const std::vector<CodeTotals>& totals,
                      std::string& problem)
{
    const std::string fileName = fs::path(path).filename().string();
    for (const CodeTotals& item : totals)
        if (item.code.size() > CodeWidth) {
            problem = "kod towaru "_cp + item.code + " ma więcej niż 40 znaków"_cp;
            return false;
        }
    const Fingerprint print = FingerprintOf(content);
    return WriteUnderRegisterRow(
        registerNo,
        [&](DbWork& work) {
            const DataSet state =
                work.Query("select OKRES, ZAMKNIETY from KASY_OKRESY where KASA=" + SqlInt(registerNo));
            int period = static_cast<int>(state.At(0, "OKRES").AsInteger());
            if (state.At(0, "ZAMKNIETY").AsInteger() != 0) {
                ++period;
                work.Execute("update KASY_OKRESY set OKRES=" + SqlInt(period) +
                             ", ZAMKNIETY=0 where KASA=" + SqlInt(registerNo));
            }
            const int64_t number =
                work.Query("select gen_id(G_NR_ODCZYTY_KAS, 1) as NR from RDB$DATABASE").At(0, "NR").AsInteger();
            work.Execute("insert into ODCZYTY_KAS (NR,KASA,ID_KASY,PLIK,SCIEZKA,RODZAJ,KONIEC_OKRESU,OKRES,DATASPRZ,"
                         "ZAPISANO,ROZMIAR,SUMA_KONTROLNA) values (" +
                         SqlInt(number) + "," + SqlInt(registerNo) + "," + SqlInt(registerId) + "," +
                         SqlQuote(fileName) + "," + SqlQuote(StoredPath(path)) + "," +
                         SqlQuote(kind == LedgerKind::ResetReport ? "Z" : "O") + ",0," + SqlInt(period) + "," +
                         DateLiteral(salesDate) + ",CURRENT_TIMESTAMP," + SqlInt(print.size) + "," +
                         SqlQuote(print.checksum) + ")");
            const std::map<int64_t, std::string> sent = SentGoodsOf(work, registerId);
            for (const CodeTotals& item : totals) {
                const auto code = CodeNumber(item.code);
                const auto good = code ? sent.find(*code) : sent.end();
                work.Execute("insert into ODCZYTY_KAS_SUMY (NR,KOD,ILOSC,WARTOSC,ASORT,NAZWA) values (" +
                             SqlInt(number) + "," + SqlQuote(item.code) + "," + TotalsAmountText(item.quantity) + "," +
                             TotalsAmountText(item.value) + "," +
                             (good == sent.end() ? std::string("null") : SqlQuote(good->second)) + "," +
                             SqlQuote(item.registerName.substr(0, NameWidth)) + ")");
            }
        },
        problem);
}

bool MarkPeriodEnd(int registerNo, const std::string& fileName, std::string& problem)
{
    return WriteUnderRegisterRow(
        registerNo,
        [&](DbWork& work) {
            const DataSet row = work.Query("select OKRES from ODCZYTY_KAS where KASA=" + SqlInt(registerNo) +
                                           " and PLIK=" + SqlQuote(fileName));
            if (row.RecordCount() == 0)
                throw DbError("Brak zapisu raportu "_cp + fileName + " w bazie danych");
            const int64_t period = row.At(0, "OKRES").AsInteger();
            work.Execute("update ODCZYTY_KAS set KONIEC_OKRESU=1 where KASA=" + SqlInt(registerNo) +
                         " and PLIK=" + SqlQuote(fileName));
            work.Execute("update KASY_OKRESY set ZAMKNIETY=1 where KASA=" + SqlInt(registerNo) +
                         " and OKRES=" + SqlInt(period));
        },
        problem);
}

int HighestRecordedSequence(int registerNo, const std::string& prefix)
{
    int highest = 0;
    if (!dm || !dm->Connected())
        return highest;
    for (const char* table : {"ODCZYTY_KAS", "PRZESLANE_ODCZYTY"}) {
        try {
            if (!dm->JestTabela(table))
                continue;
            DataSet rows;
            dm->OpenSds(rows, std::string("select PLIK from ") + table + " where KASA=" + SqlInt(registerNo) +
                                  " and PLIK starting with " + SqlQuote(prefix));
            for (int row = 0; row < rows.RecordCount(); ++row) {
                const std::string name = Trim(rows.At(row, "PLIK").AsString());
                const std::string digits = name.substr(prefix.size(), 3);
                if (digits.size() == 3 && digits.find_first_not_of("0123456789") == std::string::npos)
                    highest = std::max(highest, std::stoi(digits));
            }
        } catch (const DbError&) {
            // An old database or a lost connection: the numbering keeps to the files. Not said here: recording the
            // stored file meets the same fault and names it.
        }
    }
    return highest;
}

std::vector<LedgerEntry> FindLedgerEntries(const std::string& fileName)
{
    DataSet rows;
    dm->OpenSds(rows, EntryColumns + "where L.PLIK=" + SqlQuote(fileName) + " order by L.NR");
    return Entries(rows);
}

std::vector<LedgerEntry> PendingEntries(const std::vector<int>& registerNos)
{
    std::string condition = "where P.PLIK is null";
    if (!registerNos.empty()) {
        condition += " and L.KASA in (";
        for (std::size_t i = 0; i < registerNos.size(); ++i)
            condition += SqlIntItem(registerNos[i], i + 1 == registerNos.size());
        condition += ")";
    }
    DataSet rows;
    dm->OpenSds(rows, EntryColumns + condition + " order by L.KASA, L.OKRES, L.NR");
    return Entries(rows);
}

std::vector<LedgerEntry> RegisterEntries(int registerNo)
{
    DataSet rows;
    dm->OpenSds(rows, EntryColumns + "where L.KASA=" + SqlInt(registerNo) + " order by L.NR");
    return Entries(rows);
}

namespace
{

// A file stored before the ledger existed.
struct OldFile {
    std::string path;
    int registerNo = 0;
    Date salesDate;
    int sequence = 0;
    bool resetReport = false;
    bool resetFailed = false; // "_niewyzerowane": the reset after it did not take place
};

// NNN_yyyymmdd_SSS.txt or NNN_yyyymmdd_SSS_niewyzerowane.txt; nothing for other names.
std::optional<OldFile> OldFileOf(const fs::path& path, bool resetReport)
{
    const std::string name = path.filename().string();
    const std::string upper = UpperAscii(name);
    const bool failed = upper.ends_with("_NIEWYZEROWANE.TXT");
    if (!(failed ? name.size() == 34 : name.size() == 20) || !upper.ends_with(".TXT") || name[3] != '_' ||
        name[12] != '_')
        return std::nullopt;
    const std::string digits = name.substr(0, 3) + name.substr(4, 8) + name.substr(13, 3);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    OldFile file;
    file.path = path.string();
    file.registerNo = std::stoi(digits.substr(0, 3));
    file.salesDate = {std::stoi(digits.substr(3, 4)), std::stoi(digits.substr(7, 2)), std::stoi(digits.substr(9, 2))};
    file.sequence = std::stoi(digits.substr(11, 3));
    file.resetReport = resetReport;
    file.resetFailed = failed;
    return file;
}

std::vector<OldFile> StoredFilesUnder(const std::string& dataDir)
{
    std::vector<OldFile> files;
    std::error_code error;
    for (const auto& registerDir : fs::directory_iterator(dataDir, error)) {
        if (!registerDir.is_directory(error) || UpperAscii(registerDir.path().filename().string()).rfind("KASA", 0))
            continue;
        for (const auto& day : fs::directory_iterator(registerDir.path(), error)) {
            if (!day.is_directory(error))
                continue;
            for (const auto& entry : fs::directory_iterator(day.path(), error))
                if (entry.is_regular_file(error))
                    if (const auto file = OldFileOf(entry.path(), false))
                        files.push_back(*file);
            for (const auto& entry :
                 fs::directory_iterator(ResetReportsDirOf(AddPathSeparator(day.path().string(), "/")), error))
                if (entry.is_regular_file(error))
                    if (const auto file = OldFileOf(entry.path(), true))
                        files.push_back(*file);
        }
    }
    // Per register and day: the readouts in number order, then the reset reports (a reset closes the day's sales).
    std::sort(files.begin(), files.end(), [](const OldFile& a, const OldFile& b) {
        return std::make_tuple(a.registerNo, a.salesDate.year, a.salesDate.month, a.salesDate.day, a.resetReport,
                               a.sequence) < std::make_tuple(b.registerNo, b.salesDate.year, b.salesDate.month,
                                                             b.salesDate.day, b.resetReport, b.sequence);
    });
    return files;
}

} // namespace

bool LedgerMissing()
{
    try {
        return !MissingLedgerObjects().empty();
    } catch (const DbError& e) {
        LogLine(OnOneLine(e.what()));
        return false;
    }
}

int RecordExistingFiles()
{
    if (!MissingLedgerObjects().empty())
        return 0;
    std::set<std::pair<int, std::string>> known;
    for (const LedgerEntry& entry : Entries([] {
             DataSet rows;
             dm->OpenSds(rows, EntryColumns + "order by L.NR");
             return rows;
         }()))
        known.insert({entry.registerNo, entry.fileName});
    int recorded = 0;
    for (OldFile file : StoredFilesUnder(DataDir)) {
        std::string name = fs::path(file.path).filename().string();
        if (known.count({file.registerNo, name}))
            continue;
        std::string content, problem;
        if (!ReadRegularFile(file.path, content, problem)) {
            LogLine(problem);
            continue;
        }
        std::vector<CodeTotals> totals;
        const std::vector<std::string> lines = ContentLines(content);
        if (!(file.resetReport ? ParseResetReport(lines, totals, problem)
                               : ReadoutFileTotals(lines, totals, problem))) {
            LogLine("Nie zapisano w rejestrze odczytów pliku "_cp + file.path + ": " + problem);
            continue;
        }
        // Reset reports used to be numbered apart from the readouts: one that has a readout's name gets the next
        // free number of its day, so that both can be handed over.
        const std::string prefix = name.substr(0, 13);
        if (file.resetReport &&
            (file.resetFailed || known.count({file.registerNo, prefix + name.substr(13, 3) + ".txt"}) ||
             fs::exists(fs::path(file.path).parent_path().parent_path() / (prefix + name.substr(13, 3) + ".txt")))) {
            const std::string dayDir = fs::path(file.path).parent_path().parent_path().string() + "/";
            const std::string renamed = fs::path(file.path).parent_path().string() + "/" + prefix +
                                        IntToStrPad(HighestReadoutSequence(dayDir, prefix) + 1, 3, "0") + ".txt";
            if (!RenameNoOverwrite(file.path, renamed, problem)) {
                LogLine("Nie można zmienić nazwy raportu "_cp + file.path + ": " + problem);
                continue;
            }
            LogLine("Raport zerowania "_cp + file.path + " ma teraz nazwę " + renamed);
            file.path = renamed;
            name = fs::path(renamed).filename().string();
        }
        int registerId = 0;
        try {
            registerId = static_cast<int>(dm->ReadInteger(
                "ID", "select ID from COM_DEF where KOD_KASA=" + SqlQuote(IntToStrPad(file.registerNo, 2, "0")), 0));
        } catch (const DbError&) {
        }
        if (!RecordStoredFile(file.registerNo, registerId, file.path, content,
                              file.resetReport ? LedgerKind::ResetReport : LedgerKind::Readout, file.salesDate, totals,
                              problem)) {
            LogLine("Nie zapisano w rejestrze odczytów pliku "_cp + file.path + ": " + problem);
            continue;
        }
        if (file.resetReport && !file.resetFailed)
            MarkPeriodEnd(file.registerNo, name, problem);
        known.insert({file.registerNo, name});
        ++recorded;
    }
    // What PRZESLANE_ODCZYTY shows as handed over is the largest total of its period so far.
    dm->RunSQL("merge into PRZEKAZANE_SUMY T using (select L.KASA, L.OKRES, S.KOD, max(S.ILOSC) as Q, "
               "max(S.WARTOSC) as V from ODCZYTY_KAS L join ODCZYTY_KAS_SUMY S on S.NR=L.NR join PRZESLANE_ODCZYTY P "
               "on P.PLIK=L.PLIK and P.KASA=L.KASA group by L.KASA, L.OKRES, S.KOD) H "
               "on T.KASA=H.KASA and T.OKRES=H.OKRES and T.KOD=H.KOD "
               "when matched then update set ILOSC=maxvalue(T.ILOSC,H.Q), WARTOSC=maxvalue(T.WARTOSC,H.V) "
               "when not matched then insert (KASA,OKRES,KOD,ILOSC,WARTOSC) values (H.KASA,H.OKRES,H.KOD,H.Q,H.V)");
    if (recorded > 0)
        LogLine("Zapisano w rejestrze odczytów "_cp + std::to_string(recorded) + " zapisanych wcześniej plików");
    return recorded;
}

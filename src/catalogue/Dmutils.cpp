#include "catalogue/Dmutils.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/GoodsRecord.h"
#include "catalogue/Registers.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

std::unique_ptr<Tdmu> dmu;

namespace
{

const std::string ParLocation = "GLOBAL";
const std::string ParSection = "TARLA";

std::string ReadPar(const std::string& name)
{
    return dm->ReadParS(name, "", ParLocation, ParSection);
}

// " and " + each filter that is not empty, in the order group, lock, selection.
std::string FilterTail()
{
    std::string tail;
    for (const std::string* filter : {&GroupFilter, &LockFilter, &SelectionFilter}) {
        if (!filter->empty())
            tail += " and " + *filter;
    }
    return tail;
}

// Entry n (1-based) of a ";"-ended list, counted by position: the text after the (n-1)-th ";" and before the n-th
// (or the end of the text). Empty entries count; an entry beyond the last is empty.
std::string ListEntry(const std::string& list, int n)
{
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t sep = list.find(';', start);
        if (sep == std::string::npos)
            return {};
        start = sep + 1;
    }
    size_t end = list.find(';', start);
    return list.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// A whole number typed in a field (blanks around it allowed), as its plain decimal text; nothing otherwise.
std::optional<int64_t> WholeNumber(const std::string& text)
{
    std::string t = Trim(text);
    size_t digits = (!t.empty() && t[0] == '-') ? 1 : 0;
    if (t.size() == digits || t.size() - digits > 18)
        return std::nullopt;
    if (!std::all_of(t.begin() + static_cast<std::ptrdiff_t>(digits), t.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::strtoll(t.c_str(), nullptr, 10);
}

// A mark the database refused: the command and the database's reason are in the work history already.
void AnnounceRefusedMark(const std::string& what)
{
    Komunikat("Nie zapisano " + what + " - baza danych odrzuciła polecenie (szczegóły w historii pracy)"_cp, true);
}

std::string NotWholeNumberText(const std::string& label)
{
    return "Pole \"" + label + "\" musi zawierać liczbę całkowitą"_cp;
}

int SpeedIndex(int64_t speed)
{
    switch (speed) {
    case 4800:
        return 0;
    case 9600:
        return 1;
    case 19200:
        return 2;
    default:
        return -1;
    }
}

// The cmbCena entry for a price field name: the first item that begins or ends with it; none for an empty name.
int PriceFieldIndex(const std::string& field, const std::vector<std::string>& items)
{
    return field.empty() ? -1 : ComboIndexOf(field, items, true);
}

} // namespace

void Tdmu::DataModuleCreate()
{
    // The data sets use the one connection of dm; nothing is open until the main window asks.
    SDSTowary.Close();
    sdsWK.Close();
    RebuildGoodsIndex();
}

// ---- catalogue

void Tdmu::SyncPriceLocks()
{
    // Active goods of the catalogue without a BLOK_CEN row.
    const std::string from = " from " + GoodsTable + " k where ";
    const std::string missing = "k.nieaktywny<>1 and k.asort is not null"
                                " and not exists (select 1 from blok_cen b where b.asort=k.asort)";
    // Most calls find every good tracked already: a probe that stops at the first missing good spares them the
    // insert and the pass for long symbols below, and costs no more than the insert's own look at the catalogue.
    if (!dm->Jest("select 1" + from + missing))
        return;
    // BLOK_CEN.ASORT holds PriceLockSymbolLength characters. A catalogue whose symbols may be longer gets them left
    // out of the one command, since a single one would fail it for every other good.
    const int64_t declared =
        dm->ReadInteger("len",
                        "select f.rdb$character_length as len from rdb$relation_fields r join rdb$fields f"
                        " on f.rdb$field_name=r.rdb$field_source where r.rdb$relation_name=" +
                            SqlQuote(UpperAscii(GoodsTable)) + " and r.rdb$field_name='ASORT'",
                        0);
    const bool mayBeLonger = declared <= 0 || declared > PriceLockSymbolLength;
    const std::string fits = mayBeLonger ? " and char_length(k.asort)<=" + std::to_string(PriceLockSymbolLength) : "";
    // One command instead of one lookup per good. "distinct" keeps a symbol listed twice in the catalogue from
    // failing the whole insert on the primary key; the symbols are compared as stored, never quoted.
    const bool inserted =
        dm->RunSQL("insert into blok_cen (asort,blok,wybor) select distinct k.asort,0,0" + from + missing + fits);
    if (inserted && !mayBeLonger)
        return;

    // What is still missing: symbols too long, and, when the command failed anyway, the goods it left out, which
    // are added one by one so that a row that fails blocks no other.
    DataSet rest;
    // The length is tested first: the engine then looks up BLOK_CEN only for the few long symbols, and this second
    // pass over the catalogue costs a fifth of the first.
    dm->OpenSds(rest, "select distinct k.asort" + from +
                          (inserted ? "char_length(k.asort)>" + std::to_string(PriceLockSymbolLength) + " and " : "") +
                          missing);
    std::vector<std::string> untracked;
    for (const Row& row : rest.Rows) {
        const std::string symbol = row.at(0).AsString();
        if (static_cast<int>(symbol.size()) <= PriceLockSymbolLength &&
            dm->RunSQL("insert into blok_cen (asort,blok,wybor) values (" + SqlQuote(symbol) + ",0,0)"))
            continue;
        untracked.push_back(symbol);
    }
    if (untracked.empty())
        return;
    std::string text = "Towary, których nie można zaznaczać ani wysyłać (symbol dłuższy niż "_cp +
                       std::to_string(PriceLockSymbolLength) + " znaków lub błąd zapisu w BLOK_CEN): "_cp;
    for (size_t i = 0; i < untracked.size(); ++i)
        text += (i ? ", " : "") + untracked[i];
    Komunikat(text, true);
}

void Tdmu::PreparePriceLocks()
{
    if (!dm->JestTabela("blok_cen"))
        dm->DopiszTabele("blok_cen");
    SyncPriceLocks();
}

std::string Tdmu::GoodsQuery()
{
    return "select b.blok,b.wybor,k.* from " + GoodsTable + " k join BLOK_CEN b using(asort)  where nieaktywny<>1" +
           FilterTail();
}

void Tdmu::OpenGoods()
{
    viewFilters_ = FilterTail();
    ReopenGoods(GoodsQuery());
    if (goodsPage)
        goodsPage->RefreshCount();
    if (SDSTowary.Fields.IndexOf(PriceField) < 0)
        throw FieldError(PriceField.empty()
                             ? "Kasa " + RegisterCode + " nie ma wskazanego pola z ceną (kolumna CENA w COM_DEF)"_cp
                             : "Brak pola " + PriceField + " w kartotece towarów "_cp + GoodsTable);
    if (goodsPage)
        goodsPage->SetPriceColumn(PriceColumn, PriceField);
}

void Tdmu::ReReadGoods()
{
    if (SDSTowary.CommandText.empty()) {
        OpenGoods();
        return;
    }
    const std::string query = SDSTowary.CommandText;
    ReopenGoods(query);
}

void Tdmu::ReopenGoods(const std::string& query)
{
    // The page hears of the reopening also when it failed: the data set was closed either way.
    try {
        dm->OpenSds(SDSTowary, query);
    } catch (...) {
        RebuildGoodsIndex();
        if (goodsPage)
            goodsPage->GoodsViewReopened();
        throw;
    }
    RebuildGoodsIndex();
    if (goodsPage)
        goodsPage->GoodsViewReopened();
}

void Tdmu::LoadGroups()
{
    dm->OpenSQT("select grupa,nazwa from GrupyAs");
    GroupItems.clear();
    for (; !dm->SQT.Eof(); dm->SQT.Next())
        GroupItems.push_back(dm->SQT.FieldByName("grupa").AsString() + " " + dm->SQT.FieldByName("nazwa").AsString());
    dm->SQT.Close();
    if (goodsPage)
        goodsPage->SetGroups(GroupItems);
}

std::string Tdmu::PriceGetText(const Value& price) const
{
    // Exact for the catalogue's NUMERIC prices; floating-point fields are taken with four decimals.
    return FormatFloat("## ##0.00", price.AsDecimal());
}

void Tdmu::RebuildGoodsIndex()
{
    goodsIndex_.clear();
    goodsIndexQuery_ = SDSTowary.CommandText;
    goodsIndexRows_ = SDSTowary.RecordCount();
    int col = SDSTowary.Fields.IndexOf("asort");
    if (col < 0)
        return;
    goodsIndex_.reserve(SDSTowary.Rows.size());
    for (int i = 0; i < SDSTowary.RecordCount(); ++i)
        goodsIndex_.emplace(SDSTowary.Rows[i][col].AsString(), i); // the first row of a symbol wins, as Locate
}

int Tdmu::GoodsRowOf(const std::string& asort)
{
    int col = SDSTowary.Active() ? SDSTowary.Fields.IndexOf("asort") : -1;
    if (col < 0)
        return -1;
    // The index follows the changes made here; a set reopened or resized elsewhere makes it stale.
    if (goodsIndexQuery_ != SDSTowary.CommandText || goodsIndexRows_ != SDSTowary.RecordCount())
        RebuildGoodsIndex();
    auto it = goodsIndex_.find(asort);
    if (it == goodsIndex_.end())
        return -1;
    if (SDSTowary.Rows[it->second][col].AsString() != asort) {
        RebuildGoodsIndex(); // rows were rearranged in place
        it = goodsIndex_.find(asort);
        if (it == goodsIndex_.end())
            return -1;
    }
    return it->second;
}

void Tdmu::RemoveGoodsRow(int row)
{
    if (goodsPage)
        goodsPage->GoodsRowRemoving(row);
    int cursor = SDSTowary.RecNo();
    int col = SDSTowary.Fields.IndexOf("asort");
    std::string removed = SDSTowary.Rows[row][col].AsString();
    SDSTowary.Rows.erase(SDSTowary.Rows.begin() + row);
    SDSTowary.SetRecNo(cursor > row ? cursor - 1 : std::min(cursor, SDSTowary.RecordCount() - 1));

    // Rows behind the removed one move up by one.
    auto it = goodsIndex_.find(removed);
    if (it != goodsIndex_.end() && it->second == row)
        goodsIndex_.erase(it);
    for (int i = row; i < SDSTowary.RecordCount(); ++i) {
        auto moved = goodsIndex_.find(SDSTowary.Rows[i][col].AsString());
        if (moved != goodsIndex_.end() && moved->second == i + 1)
            moved->second = i;
    }
    goodsIndexRows_ = SDSTowary.RecordCount();
    if (goodsPage)
        goodsPage->GoodsRowRemoved(row);
}

void Tdmu::RefreshGoodsRow(const std::string& asort)
{
    int row = GoodsRowOf(asort);
    if (row < 0)
        return;
    DataSet fresh;
    dm->OpenSds(fresh, SDSTowary.CommandText + " and k.asort=" + SqlQuote(asort));
    if (fresh.Fields.names != SDSTowary.Fields.names) {
        ReReadGoods(); // the catalogue's structure changed under the view
        return;
    }
    if (fresh.RecordCount() == 0) {
        RemoveGoodsRow(row);
        return;
    }
    SDSTowary.ReplaceRow(row, std::move(fresh.Rows.front()));
    if (goodsPage)
        goodsPage->GoodsRowChanged(row);
}

bool Tdmu::ToggleFlag(int row, const std::string& field)
{
    std::string name = LowerCase1250(field);
    if ((name != "wybor" && name != "blok") || row < 0 || row >= SDSTowary.RecordCount())
        return false;
    std::string asort = SDSTowary.At(row, "asort").AsString();
    int64_t newValue = SDSTowary.At(row, name).AsInteger() == 1 ? 0 : 1;
    if (!dm->RunSQL("update blok_cen set " + name + "=" + SqlInt(newValue) + "  where asort=" + SqlQuote(asort))) {
        // Nie zapisano zaznaczenia (blokady ceny) towaru ... - baza danych odrzuciła polecenie
        AnnounceRefusedMark((name == "wybor" ? "zaznaczenia towaru " : "blokady ceny towaru ") + asort);
        return false;
    }
    RefreshGoodsRow(asort);
    return true;
}

bool Tdmu::LockGoodsInView(LockCommand command)
{
    std::string value = command == LockCommand::LockAll     ? "1"
                        : command == LockCommand::UnlockAll ? "0"
                                                            : "iif(blok<>0,0,1)";
    // The goods of the view are those the view's query selects; its filters name the catalogue as k and the
    // price-lock row as b, which here is the row being updated.
    std::string filters = SDSTowary.Active() ? viewFilters_ : FilterTail();
    if (dm->RunSQL("update blok_cen b set blok=" + value + " where exists (select 1 from " + GoodsTable +
                   " k where k.asort=b.asort and nieaktywny<>1" + filters + ")"))
        return true;
    AnnounceRefusedMark("blokad cen towarów"_cp);
    return false;
}

bool Tdmu::SelectGoods(SelectionCommand command)
{
    const std::string value = command == SelectionCommand::SelectAll     ? "1"
                              : command == SelectionCommand::UnselectAll ? "0"
                                                                         : "iif(wybor=1,0,1)";
    if (dm->RunSQL("update blok_cen set wybor=" + value))
        return true;
    AnnounceRefusedMark("zaznaczeń towarów"_cp);
    return false;
}

// ---- registers and parameters

void Tdmu::LoadRegisterSettings(int registerId)
{
    dm->OpenSQT("select * from COM_DEF where id=" + SqlInt(registerId));
    Query& q = dm->SQT;
    bool found = !q.Eof();
    auto integer = [&](const char* field) { return found ? q.FieldByName(field).AsInteger() : int64_t{0}; };
    auto text = [&](const char* field) { return found ? q.FieldByName(field).AsString() : std::string(); };

    // Everything is read before any global changes, so a missing column leaves the settings as they were.
    const int64_t port = integer("Port");
    const int64_t speed = integer("Szybkosc");
    const int64_t timeout = integer("TimeOut");
    const int64_t contractor = integer("kod");
    std::string systemNo = text("NrKasySystem");
    std::string priceField = text("Cena");
    const std::string code = text("Kod_Kasa");
    q.Close();

    PortNumber = std::to_string(port);
    BaudRate = std::to_string(speed);
    RegisterTimeout = std::to_string(timeout);
    RegisterSystemNo = std::move(systemNo);
    ContractorCode = static_cast<int>(contractor);
    PriceField = std::move(priceField);

    if (goodsPage)
        goodsPage->SetPriceColumn(PriceColumn, PriceField);
    if (settingsPage) {
        settingsPage->SelectPriceField(PriceFieldIndex(PriceField, PriceFieldItems));
        RegisterFields fields;
        fields.systemNo = RegisterSystemNo;
        fields.timeout = RegisterTimeout;
        fields.contractor = std::to_string(ContractorCode);
        fields.speedIndex = SpeedIndex(speed);
        fields.portIndex = (port >= 1 && port <= 4) ? static_cast<int>(port - 1) : -1;
        settingsPage->ShowRegisterFields(fields);
    }
    RegisterCode = TwoDigitRegisterCode(code);
}

bool Tdmu::SaveRegisterSettings(int registerId)
{
    if (!settingsPage)
        return false;
    RegisterFields fields = settingsPage->ReadRegisterFields();

    std::string port = std::to_string(fields.portIndex >= 0 ? fields.portIndex + 1 : 0);
    std::string speed = fields.speedIndex == 0 ? "4800" : fields.speedIndex == 2 ? "19200" : "9600";

    // The three numbers go into the command unquoted, so anything but a whole number would make it fail. None of
    // them can be negative: a register number of -5 would become "$-5" in KONFIG.txt.
    struct NumberField {
        const std::string& text;
        const char* label;
        int64_t value = 0;
    };
    NumberField numbers[] = {
        {fields.systemNo, "Nr kasy w systemie kas"},
        {fields.timeout, "Timeout dla pracy z kasą"_cp},
        {fields.contractor, "Kod kontrahenta"},
    };
    for (NumberField& number : numbers) {
        std::optional<int64_t> value = WholeNumber(number.text);
        if (!value || *value < 0) {
            Komunikat(NotWholeNumberText(number.label), true);
            return false;
        }
        number.value = *value;
    }
    std::string systemNo = std::to_string(numbers[0].value);
    std::string timeout = std::to_string(numbers[1].value);
    std::string contractor = std::to_string(numbers[2].value);

    if (!dm->RunSQL("update com_def set Port=" + port + ",Szybkosc=" + speed + ",NrKasySystem=" + systemNo +
                    ",TimeOut=" + timeout + ",kod=" + contractor + " where id=" + SqlInt(registerId))) {
        Komunikat("Nie zapisano parametrów kasy - baza danych odrzuciła polecenie (szczegóły w historii pracy)"_cp,
                  true);
        return false;
    }
    PortNumber = port;
    BaudRate = speed;
    RegisterSystemNo = systemNo;
    RegisterTimeout = timeout;
    ContractorCode = static_cast<int>(numbers[2].value);
    return true;
}

void Tdmu::LoadParameters()
{
    GeneralFields fields;
    std::string units = ReadPar("ELZB_JM");
    for (int n = 1; n <= 8; ++n) {
        fields.units[n - 1][0] = ListEntry(units, n);
        fields.units[n - 1][1] = ListEntry(units, n + 8);
    }
    std::string rates = ReadPar("VAT");
    for (int k = 1; k <= 7; ++k)
        fields.vatRates[k - 1] = ListEntry(rates, k);

    SalesRegisterNo = static_cast<int>(dm->ReadParI("REJESTR", 0, ParLocation, ParSection));
    SalesDirection = ReadPar("KIERSPRZ");
    WarehouseNo = ReadPar("NRMAG");
    DocumentType = ReadPar("TYPDOKUM");
    fields.salesRegister = std::to_string(SalesRegisterNo);
    fields.salesDirection = SalesDirection;
    fields.warehouse = WarehouseNo;
    fields.documentType = DocumentType;
    if (settingsPage)
        settingsPage->ShowGeneralFields(fields);

    PriceFieldItems.clear();
    for (const std::string& listed : dm->ListaPol(GoodsTable, false, true)) {
        std::string name = Trim(listed);
        std::string upper = UpperCase1250(name);
        if (upper.find("CENA") != std::string::npos && upper.find("OLDCENA") == std::string::npos &&
            std::find(PriceFieldItems.begin(), PriceFieldItems.end(), name) == PriceFieldItems.end())
            PriceFieldItems.push_back(name);
    }
    std::sort(PriceFieldItems.begin(), PriceFieldItems.end());
    if (settingsPage)
        settingsPage->SetPriceFieldItems(PriceFieldItems);

    // The price sent is always the field the current register names (LoadRegisterSettings), the one the grid
    // shows; the general parameters only show it.
    if (settingsPage)
        settingsPage->SelectPriceField(PriceFieldIndex(PriceField, PriceFieldItems));
}

bool Tdmu::SaveParameters()
{
    if (!settingsPage)
        return false;
    GeneralFields fields = settingsPage->ReadGeneralFields();

    int64_t salesRegister = 0;
    try {
        salesRegister = LeadingInt(fields.salesRegister);
    } catch (const ConversionError&) {
        Komunikat(NotWholeNumberText("Rejestr sprzedaży"_cp), true);
        return false;
    }

    // Both lists end every entry with ";" and are read by position: a ";" typed into an entry would move the
    // entries after it to other rates and units.
    auto hasSeparator = [](const std::string& entry) { return entry.find(';') != std::string::npos; };
    bool separatorTyped = std::any_of(fields.vatRates.begin(), fields.vatRates.end(), hasSeparator);
    for (const auto& row : fields.units)
        separatorTyped = separatorTyped || std::any_of(row.begin(), row.end(), hasSeparator);
    if (separatorTyped) {
        Komunikat("Znak \";\" nie jest dozwolony w stawkach VAT ani w jednostkach miary", true);
        return false;
    }

    std::string rates;
    for (const std::string& rate : fields.vatRates)
        rates += rate + ";";
    std::string units;
    for (int column = 0; column < 2; ++column) {
        for (const auto& row : fields.units)
            units += row[column] + ";";
    }

    // All or nothing: the six values are written in one transaction.
    const bool saved = dm->RunSQLBatch({
        Tdm::WriteParSCommand("VAT", rates, ParLocation, ParSection),
        Tdm::WriteParICommand("REJESTR", salesRegister, ParLocation, ParSection),
        Tdm::WriteParSCommand("KIERSPRZ", fields.salesDirection, ParLocation, ParSection),
        Tdm::WriteParSCommand("NRMAG", fields.warehouse, ParLocation, ParSection),
        Tdm::WriteParSCommand("TYPDOKUM", fields.documentType, ParLocation, ParSection),
        Tdm::WriteParSCommand("ELZB_JM", units, ParLocation, ParSection),
    });
    if (!saved) {
        Komunikat("Nie zapisano parametrów ogólnych - baza danych odrzuciła polecenie (szczegóły w historii pracy)"_cp,
                  true);
        return false;
    }
    SalesRegisterNo = static_cast<int>(salesRegister);
    SalesDirection = fields.salesDirection;
    WarehouseNo = fields.warehouse;
    DocumentType = fields.documentType;
    return true;
}

std::string Tdmu::RegisterCodeGetText(const Value& registerCode) const
{
    return "Kasa " + TwoDigitRegisterCode(registerCode.AsString());
}

void Tdmu::sdsWKAfterScroll()
{
    // The register becomes current only once its settings are in the globals, so a failed load leaves the
    // previous register current together with its settings.
    MakeRegisterCurrent(static_cast<int>(sdsWK.FieldByName("id").AsInteger()));
    if (settingsPage)
        settingsPage->SetRegisterCaption(" Parametry pracy kasy " + RegisterCode + " ");
    if (readoutPanel) {
        readoutPanel->ClearReadoutText();
        readoutPanel->CloseReadoutList();
    }
    OpenGoods();
}

void Tdmu::OpenRegisters()
{
    dm->OpenSds(sdsWK, RegisterListQuery);
    if (sdsWK.RecordCount() > 0) {
        sdsWK.First();
        sdsWKAfterScroll();
    }
}

bool Tdmu::MoveToRegister(int index)
{
    if (index < 0 || index >= sdsWK.RecordCount())
        return false;
    sdsWK.SetRecNo(index);
    sdsWKAfterScroll();
    return true;
}

// ---- reports

bool Tdmu::ReportDuplicateNames()
{
    WaitCursor busy;
    ErrorReportFile = DataDir + "Error.txt";

    // Collisions are judged on the characters a register keeps, by both queries.
    const std::string head = "substring(nazwa from 1 for " + std::to_string(RegisterNameLength) + ")";
    std::vector<std::string> lines;
    dm->OpenSQT("select " + head + " as nazwa, count(*) from " + GoodsTable + " where nieaktywny<>1 group by " + head +
                " having count(*) > 1");
    if (!dm->SQT.Eof()) {
        lines.push_back("-- Powtarzające się nazwy"_cp);
        for (; !dm->SQT.Eof(); dm->SQT.Next()) {
            dm->OpenSQTmp("select asort,nazwa from " + GoodsTable + " where nieaktywny<>1 and  " + head + " = " +
                          SqlQuote(dm->SQT.FieldByName("nazwa").AsString()));
            for (; !dm->SQTmp.Eof(); dm->SQTmp.Next()) {
                std::string name = dm->SQTmp.FieldByName("nazwa").AsString();
                std::string rest = name.size() > 19 ? name.substr(19, 40) : std::string(); // characters 20 to 59
                lines.push_back("    " + PadLeft(dm->SQTmp.FieldByName("asort").AsString(), 5, " ") + "  " +
                                name.substr(0, 19) + " ... " + rest);
            }
            dm->SQTmp.Close();
        }
        lines.push_back("----------------------");
        DateTime now = Now();
        lines.insert(lines.begin(), "Raport " + ShortDateText(now.date) + " " + LongTimeText(now.time));
    }
    dm->SQT.Close();

    TextFile report;
    bool written = OpenTextFile(ErrorReportFile, 2, report);
    for (const std::string& line : lines)
        written = written && WriteTextLine(line, report);
    written = CloseTextFile(report) && written;
    if (!written)
        Komunikat("Nie można zapisać raportu "_cp + ErrorReportFile, true);
    return written;
}

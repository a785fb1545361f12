#include "catalogue/SentGoods.h"

#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/uPol.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>

namespace
{

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

template <class Number> bool ToNumber(const std::string& text, Number& value)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "$" and five digits.
bool ToCode(const std::string& text, int& code)
{
    return text.size() == 6 && text[0] == '$' && std::all_of(text.begin() + 1, text.end(), ::isdigit) &&
           ToNumber(text.substr(1), code);
}

std::string TrimRight(const std::string& text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string PriceText(int64_t hundredths)
{
    const std::string sign = hundredths < 0 ? "-" : "";
    const int64_t a = hundredths < 0 ? -hundredths : hundredths;
    return sign + std::to_string(a / 100) + "." + IntToStrPad(a % 100, 2, "0");
}

std::string VatText(int vat)
{
    const std::string letter = vat >= 1 && vat <= 7 ? std::string(1, static_cast<char>('A' + vat - 1)) : "?";
    return std::to_string(vat) + " (" + letter + ")";
}

std::string LockText(int lock)
{
    return lock ? "tak" : "nie";
}

// "123, 100123"
std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The positions of the blank-separated words of `line`.
std::vector<std::pair<std::size_t, std::size_t>> Words(const std::string& line)
{
    std::vector<std::pair<std::size_t, std::size_t>> words;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', i);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        words.emplace_back(start, end - start);
        i = end;
    }
    return words;
}

// "12.34" as hundredths.
bool ToHundredths(const std::string& text, int64_t& hundredths)
{
    const std::size_t point = text.find('.');
    if (point == std::string::npos || text.size() - point != 3)
        return false;
    int64_t whole = 0;
    int cents = 0;
    if (!ToNumber(text.substr(0, point), whole) || !ToNumber(text.substr(point + 1), cents) || whole < 0)
        return false;
    hundredths = whole * 100 + cents;
    return true;
}

bool ReadListLine(const std::string& raw, RegisterGood& good)
{
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    if (line.size() < 7 || !ToCode(line.substr(0, 6), good.code) || line[6] != ' ')
        return false;
    // From the end: VAT letter, unit number, price lock, price; the name is whatever stands before them.
    const auto words = Words(line);
    if (words.size() < 5)
        return false;
    auto word = [&](std::size_t fromEnd) {
        const auto& w = words[words.size() - fromEnd];
        return line.substr(w.first, w.second);
    };
    const std::string vat = word(4);
    if (vat.size() == 1 && vat[0] >= 'A' && vat[0] <= 'G')
        good.vat = vat[0] - 'A' + 1;
    else if (!ToNumber(vat, good.vat))
        return false;
    if (!ToNumber(word(3), good.unit))
        return false;
    const std::string lock = word(2);
    if (lock != "tak" && lock != "nie")
        return false;
    good.lock = lock == "tak" ? 1 : 0;
    if (!ToHundredths(word(1), good.price))
        return false;
    // The name column follows the code and its two separating blanks; it may be empty in a damaged list.
    const std::size_t nameStart = line.compare(6, 2, "  ") == 0 ? 8 : 7;
    const std::size_t nameEnd = words[words.size() - 4].first;
    good.name = nameEnd > nameStart ? TrimRight(line.substr(nameStart, nameEnd - nameStart)) : std::string();
    if (good.name.size() > static_cast<std::size_t>(RegisterNameLength))
        return false;
    return true;
}

// The symbols of goods that share a code, and whether the register (or memory) names one of them.
std::string CollisionLine(int code, const std::vector<const SendableGood*>& goods)
{
    std::vector<std::string> symbols;
    for (const SendableGood* good : goods)
        symbols.push_back(good->asort);
    return RegisterCodeText(code) + ": " + Joined(symbols);
}

std::vector<std::string> Unsendable(const std::vector<SendableGood>& goods)
{
    std::vector<std::string> names;
    for (const SendableGood& good : goods)
        if (good.active && !good.sendable)
            names.push_back(good.asort + " (" + good.problem + ")");
    return names;
}

} // namespace

bool ParseRecordLine(const std::string& line, RegisterGood& good)
{
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() != 10 || !ToCode(f[0], good.code))
        return false;
    good.name = TrimRight(ConvertPolish(f[1], PlCp852, PlWin1250));
    return ToNumber(f[2], good.vat) && ToNumber(f[5], good.unit) && ToNumber(f[6], good.lock) &&
           ToNumber(f[8], good.price);
}

std::vector<RegisterGood> ParseRegisterGoodsList(const std::vector<std::string>& lines, int& unreadable)
{
    std::vector<RegisterGood> goods;
    unreadable = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != '$')
            continue;
        RegisterGood good;
        if (ReadListLine(line, good))
            goods.push_back(good);
        else
            ++unreadable;
    }
    return goods;
}

bool RememberSent(SentMemory& memory, const std::string& asort, const std::string& recordLine, bool fullData,
                  SentEntry& stored, int& code)
{
    RegisterGood sent;
    if (!ParseRecordLine(recordLine, sent))
        return false;
    code = sent.code;
    if (fullData) {
        stored = {asort, StoredLine(sent)};
    } else {
        // A price-only call changes the price and the lock of whatever the register holds under the code.
        const auto it = memory.find(sent.code);
        RegisterGood held;
        if (it == memory.end() || !ParseRecordLine(it->second.line, held))
            return false;
        held.price = sent.price;
        held.lock = sent.lock;
        stored = {it->second.asort, StoredLine(held)};
    }
    memory[code] = stored;
    return true;
}

std::vector<SendableGood> CatalogueGoods(const DataSet& rows, const RecordLists& lists)
{
    const GoodsRecordColumns columns = GoodsRecordColumns::Of(rows.Fields, lists.priceField);
    const int asortColumn = columns.asort;
    const int inactiveColumn = rows.Fields.IndexOf("nieaktywny");
    RecordNumbering numbering(lists.rates, lists.units);

    std::vector<SendableGood> goods;
    goods.reserve(rows.Rows.size());
    for (int row = 0; row < rows.RecordCount(); ++row) {
        SendableGood good;
        good.asort = rows.Rows[row][asortColumn].AsString();
        if (inactiveColumn >= 0) {
            // The catalogue view's condition nieaktywny<>1 leaves out NULL too.
            const Value& inactive = rows.Rows[row][inactiveColumn];
            good.active = !inactive.IsNull() && inactive.AsInteger() != 1;
        }
        const GoodsRecordInput input = GoodsRecordFromRow(rows, row, columns);
        if (input.wholeSymbol && input.code >= 0)
            good.code = RegisterCodeOf(input.code);
        good.problem = GoodsRecordRefusal(input, numbering);
        if (good.problem.empty())
            good.record = HeldRecord(input, numbering);
        good.sendable = good.problem.empty();
        goods.push_back(std::move(good));
    }
    return goods;
}

CatalogueCodes CatalogueCodes::Of(const std::vector<SendableGood>& goods)
{
    CatalogueCodes codes;
    for (const SendableGood& good : goods)
        if (good.code >= 0)
            codes.Add(good.code, good.asort, good.active);
    return codes;
}

void CatalogueCodes::Add(int code, const std::string& asort, bool active)
{
    byCode_[code].push_back({asort, active});
}

const std::vector<CatalogueCodes::Owner>* CatalogueCodes::Owners(int code) const
{
    const auto it = byCode_.find(code);
    return it == byCode_.end() ? nullptr : &it->second;
}

bool CatalogueCodes::Shared(int code) const
{
    const auto* owners = Owners(code);
    return owners != nullptr && owners->size() > 1;
}

std::string CatalogueCodes::SharingLine(int code) const
{
    std::vector<std::string> symbols;
    if (const auto* owners = Owners(code))
        for (const Owner& owner : *owners)
            symbols.push_back(owner.asort);
    // Shorter symbols first: 123 before 100123, whatever order the goods were read in.
    std::stable_sort(symbols.begin(), symbols.end(),
                     [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    return RegisterCodeText(code) + ": " + Joined(symbols);
}

CallCheck CheckCall(const std::string& asort, int code, SendKind kind, const SentMemory& memory,
                    const CatalogueCodes& codes)
{
    CallCheck check;
    const std::string codeText = RegisterCodeText(code);
    const auto held = memory.find(code);
    const bool heldByOther = held != memory.end() && held->second.asort != asort;
    const std::string owner = heldByOther && !held->second.asort.empty() ? "do towaru "_cp + held->second.asort
                                                                         : std::string("do innego towaru");
    if (kind == SendKind::PriceOnly) {
        if (heldByOther) {
            check.refusal = "kod " + codeText + " należy w kasie "_cp + owner;
        } else if (held == memory.end()) {
            std::vector<std::string> others;
            if (const auto* owners = codes.Owners(code))
                for (const auto& other : *owners)
                    if (other.asort != asort)
                        others.push_back(other.asort);
            if (!others.empty())
                check.refusal = "kod " + codeText + " ma w kartotece także towar "_cp + Joined(others) +
                                ", a nie wiadomo, który z nich jest w kasie - wyślij pełne dane"_cp;
        }
        return check;
    }
    if (!heldByOther)
        return check;
    bool otherActive = false;
    if (const auto* owners = codes.Owners(code))
        for (const auto& other : *owners)
            if (other.asort == held->second.asort && other.active)
                otherActive = true;
    if (otherActive) {
        check.refusal = "kod " + codeText + " należy w kasie "_cp + owner;
        return check;
    }
    check.replacesOther = true;
    check.previousOwner = held->second.asort;
    return check;
}

std::string HeldDataDiffering(const RegisterGood& catalogue, const SentMemory& memory, const std::string& asort)
{
    const auto it = memory.find(catalogue.code);
    RegisterGood held;
    if (it == memory.end() || it->second.asort != asort || !ParseRecordLine(it->second.line, held))
        return {};
    std::vector<std::string> fields;
    if (held.name != catalogue.name)
        fields.push_back("nazwa");
    if (held.vat != catalogue.vat)
        fields.push_back("stawka VAT");
    if (held.unit != catalogue.unit)
        fields.push_back("jednostka");
    std::string text;
    for (const std::string& field : fields)
        text += (text.empty() ? "" : "/") + field;
    return text;
}

ChangedGoods FindChangedGoods(const std::vector<SendableGood>& goods, const SentMemory& memory,
                              const CatalogueCodes& allCodes)
{
    ChangedGoods result;
    result.noMemory = memory.empty();
    result.unsendable = Unsendable(goods);

    // What each good needs, given what the memory holds under its code: a good the memory says the register holds
    // with the same name, rate and unit needs its price only. The line is laid out in one buffer for all goods.
    std::string line;
    auto need = [&line](const SendableGood& good, const SentEntry* held) -> std::optional<SendKind> {
        if (held == nullptr || held->asort != good.asort)
            return SendKind::Full;
        line.clear();
        AppendRecordLayout(line, good.record);
        if (held->line == line)
            return std::nullopt;
        RegisterGood before;
        if (!ParseRecordLine(held->line, before) || before.name != good.record.name || before.vat != good.record.vat ||
            before.unit != good.record.unit)
            return SendKind::Full;
        return SendKind::PriceOnly;
    };

    // The active sendable goods chained by code in row order: first[code], then next[good].
    int codeLimit = 0;
    for (const SendableGood& good : goods)
        if (good.active && good.sendable)
            codeLimit = std::max(codeLimit, good.record.code + 1);
    std::vector<int> first(static_cast<std::size_t>(codeLimit), -1), last(first.size(), -1), next(goods.size(), -1);
    for (std::size_t i = 0; i < goods.size(); ++i) {
        if (!goods[i].active || !goods[i].sendable || goods[i].record.code < 0)
            continue;
        const auto code = static_cast<std::size_t>(goods[i].record.code);
        if (first[code] < 0)
            first[code] = static_cast<int>(i);
        else
            next[static_cast<std::size_t>(last[code])] = static_cast<int>(i);
        last[code] = static_cast<int>(i);
    }

    // Codes in ascending order, the memory walked alongside in its own (key) order.
    std::vector<signed char> chosen(goods.size(), -1); // SendKind, or -1 when not selected
    auto choose = [&](int index, const SentEntry* held) {
        if (const auto kind = need(goods[static_cast<std::size_t>(index)], held))
            chosen[static_cast<std::size_t>(index)] = static_cast<signed char>(*kind);
    };
    auto remembered = memory.begin();
    for (int code = 0; code < codeLimit; ++code) {
        const int head = first[static_cast<std::size_t>(code)];
        if (head < 0)
            continue;
        while (remembered != memory.end() && remembered->first < code)
            ++remembered;
        const SentEntry* held = remembered != memory.end() && remembered->first == code ? &remembered->second : nullptr;
        const bool several = next[static_cast<std::size_t>(head)] >= 0;
        const bool known = allCodes.Owners(code) != nullptr;
        if (!(known ? allCodes.Shared(code) : several)) {
            choose(head, held);
            continue;
        }
        // Only the good the register holds under the code may go; sending another would replace it.
        std::vector<const SendableGood*> sharing;
        for (int i = head; i >= 0; i = next[static_cast<std::size_t>(i)])
            sharing.push_back(&goods[static_cast<std::size_t>(i)]);
        result.collisions.push_back(known ? allCodes.SharingLine(code) : CollisionLine(code, sharing));
        for (int i = head; i >= 0; i = next[static_cast<std::size_t>(i)])
            if (held != nullptr && held->asort == goods[static_cast<std::size_t>(i)].asort)
                choose(i, held);
    }
    for (std::size_t i = 0; i < goods.size(); ++i)
        if (chosen[i] >= 0) {
            result.selected.push_back(goods[i].asort);
            result.kinds.push_back(static_cast<SendKind>(chosen[i]));
        }
    return result;
}

std::vector<GoodToSend> ToSendList(const ChangedGoods& changed)
{
    std::vector<GoodToSend> list;
    list.reserve(changed.selected.size());
    for (std::size_t i = 0; i < changed.selected.size(); ++i)
        list.push_back({changed.selected[i], changed.kinds[i]});
    return list;
}

std::vector<std::string> RegisterComparison::ToSend() const
{
    std::vector<std::string> symbols;
    for (const auto& [asort, good] : missing)
        symbols.push_back(asort);
    for (const GoodsDifference& difference : differing)
        symbols.push_back(difference.asort);
    return symbols;
}

std::vector<std::string> RegisterComparison::ReportLines(const std::string& title) const
{
    auto describe = [](const RegisterGood& good) {
        return PadRight(good.name, RegisterNameLength, " ") + "  VAT " + VatText(good.vat) + "  jm " +
               std::to_string(good.unit) + "  blokada " + LockText(good.lock) + "  cena " + PriceText(good.price);
    };
    std::vector<std::string> lines{title, ""};
    lines.push_back("1. Towary, których brak w kasie: "_cp + std::to_string(missing.size()));
    for (const auto& [asort, good] : missing)
        lines.push_back("   " + PadRight(asort, 10, " ") + " " + RegisterCodeText(good.code) + "  " + describe(good));
    lines.push_back("");
    lines.push_back("2. Towary różniące się (kartoteka / kasa): "_cp + std::to_string(differing.size()));
    for (const GoodsDifference& d : differing) {
        std::vector<std::string> fields;
        if (d.catalogue.name != d.held.name)
            fields.push_back("nazwa: \"" + d.catalogue.name + "\" / \"" + d.held.name + "\"");
        if (d.catalogue.price != d.held.price)
            fields.push_back("cena: " + PriceText(d.catalogue.price) + " / " + PriceText(d.held.price));
        if (d.catalogue.vat != d.held.vat)
            fields.push_back("VAT: " + VatText(d.catalogue.vat) + " / " + VatText(d.held.vat));
        if (d.catalogue.unit != d.held.unit)
            fields.push_back("jm: " + std::to_string(d.catalogue.unit) + " / " + std::to_string(d.held.unit));
        if (d.catalogue.lock != d.held.lock)
            fields.push_back("blokada ceny: " + LockText(d.catalogue.lock) + " / " + LockText(d.held.lock));
        std::string text;
        for (const std::string& field : fields)
            text += (text.empty() ? "" : "; ") + field;
        if (!d.sharedWith.empty())
            text += "; kod wspólny z towarem "_cp + d.sharedWith;
        lines.push_back("   " + PadRight(d.asort, 10, " ") + " " + RegisterCodeText(d.catalogue.code) + "  " + text);
    }
    lines.push_back("");
    lines.push_back("3. Towary w kasie, których nie ma w kartotece lub są nieaktywne: "_cp +
                    std::to_string(extra.size()));
    for (const auto& [good, reason] : extra)
        lines.push_back("   " + RegisterCodeText(good.code) + "  " + describe(good) + "  - " + reason);
    lines.push_back("");
    // 4. Towary zgodne
    lines.push_back("4. Towary zgodne: " + std::to_string(agreeing));
    lines.push_back("");
    // 5. Towary o wspólnym kodzie w kasie (symbole o tych samych pięciu ostatnich cyfrach)
    lines.push_back("5. Towary o wspólnym kodzie w kasie (te same pięć ostatnich cyfr symbolu): "_cp +
                    std::to_string(collisions.size()));
    for (const std::string& collision : collisions)
        lines.push_back("   " + collision);
    if (!unsendable.empty()) {
        lines.push_back("");
        lines.push_back("Towary, których nie można wysłać do kasy: "_cp + std::to_string(unsendable.size()));
        for (const std::string& name : unsendable)
            lines.push_back("   " + name);
    }
    if (unreadableLines > 0) {
        lines.push_back("");
        // Nieczytelne wiersze wykazu z kasy
        lines.push_back("Nieczytelne wiersze wykazu z kasy: " + std::to_string(unreadableLines));
    }
    return lines;
}

RegisterComparison CompareWithRegister(const std::vector<RegisterGood>& held,
                                       const std::vector<SendableGood>& catalogue, const SentMemory& previous,
                                       int unreadableLines)
{
    RegisterComparison result;
    result.unreadableLines = unreadableLines;
    result.unsendable = Unsendable(catalogue);

    std::map<int, const RegisterGood*> heldByCode;
    for (const RegisterGood& good : held)
        heldByCode[good.code] = &good;
    // Every good of the catalogue by code: the sharing is judged over the whole table.
    std::map<int, std::vector<const SendableGood*>> owners;
    for (const SendableGood& good : catalogue)
        if (good.code >= 0)
            owners[good.code].push_back(&good);
    const auto sendable = [](const SendableGood* good) { return good->active && good->sendable; };

    // Of goods sharing a code, the register holds the active one it agrees with, else the one the memory names.
    const auto holderOf = [&](int code, const RegisterGood& inRegister) -> const SendableGood* {
        const auto& sharing = owners.at(code);
        for (const SendableGood* candidate : sharing)
            if (sendable(candidate) && candidate->record == inRegister)
                return candidate;
        const auto before = previous.find(code);
        if (before != previous.end())
            for (const SendableGood* candidate : sharing)
                if (candidate->asort == before->second.asort)
                    return candidate;
        return nullptr;
    };
    const auto othersThan = [&](int code, const SendableGood* good) {
        std::vector<std::string> symbols;
        for (const SendableGood* other : owners.at(code))
            if (other != good)
                symbols.push_back(other->asort);
        return Joined(symbols);
    };

    for (const auto& [code, sharing] : owners) {
        const auto found = heldByCode.find(code);
        const RegisterGood* inRegister = found == heldByCode.end() ? nullptr : found->second;
        if (sharing.size() > 1) {
            std::vector<std::string> symbols;
            for (const SendableGood* good : sharing)
                symbols.push_back(good->asort);
            // w kasie: ... / brak w kasie
            result.collisions.push_back(RegisterCodeText(code) + ": " + Joined(symbols) +
                                        (inRegister ? " (w kasie: " + inRegister->name + ")" : " (brak w kasie)"));
            if (!inRegister)
                continue;
            const SendableGood* holder = holderOf(code, *inRegister);
            if (holder == nullptr || !sendable(holder))
                continue;
            if (holder->record == *inRegister)
                ++result.agreeing;
            else
                result.differing.push_back({holder->asort, othersThan(code, holder), holder->record, *inRegister});
            continue;
        }
        const SendableGood& good = *sharing.front();
        if (!sendable(&good))
            continue;
        if (!inRegister)
            result.missing.emplace_back(good.asort, good.record);
        else if (*inRegister == good.record)
            ++result.agreeing;
        else
            result.differing.push_back({good.asort, {}, good.record, *inRegister});
    }

    for (const RegisterGood& good : held) {
        std::string asort;
        const auto sharing = owners.find(good.code);
        if (sharing == owners.end()) {
            result.extra.emplace_back(good, "brak w kartotece");
        } else {
            const SendableGood* holder =
                sharing->second.size() == 1 ? sharing->second.front() : holderOf(good.code, good);
            if (holder != nullptr) {
                asort = holder->asort;
                if (!holder->active)
                    result.extra.emplace_back(good, "nieaktywny: " + holder->asort);
                else if (!holder->sendable)
                    result.extra.emplace_back(good,
                                              "nie do wysłania: "_cp + holder->asort + " (" + holder->problem + ")");
            } else if (std::none_of(sharing->second.begin(), sharing->second.end(), sendable)) {
                result.extra.emplace_back(good, "w kartotece tylko nieaktywne lub nie do wysłania: "_cp +
                                                    othersThan(good.code, nullptr));
            }
        }
        // A code whose good is not known is not remembered: no row, rather than a row naming nobody.
        if (!asort.empty())
            result.memory[good.code] = {asort, StoredLine(good)};
    }
    return result;
}

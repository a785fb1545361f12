#include "db/DataSet.h"

#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <charconv>
#include <cmath>

namespace
{

// Upper case of one Windows-1250 byte, for comparing field names.
unsigned char Upper1250(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: // š ś ť ž ź
    case 0x9C:
    case 0x9D:
    case 0x9E:
    case 0x9F:
        return static_cast<unsigned char>(c - 16);
    case 0xB3: // ł
        return 0xA3;
    case 0xB9: // ą
        return 0xA5;
    case 0xBE: // ľ
        return 0xBC;
    case 0xBF: // ż
        return 0xAF;
    default:
        return c;
    }
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper1250(static_cast<unsigned char>(a[i])) != Upper1250(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

[[noreturn]] void NotConvertible(const std::string& text, const char* what)
{
    throw FieldError("Wartości '"_cp + text + "' nie można zamienić na "_cp + what);
}

const char* const IntegerWord = "liczbę całkowitą"_cp;
const char* const NumberWord = "liczbę"_cp;

bool ParseInteger(const std::string& text, int64_t& value)
{
    std::string t = Trim(text);
    const char* begin = t.data();
    const char* end = t.data() + t.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    return begin != end && ec == std::errc() && ptr == end;
}

// Plain decimal text ("-12.349") into an exact number; false when the text is not one.
bool ParseDecimal(const std::string& text, Decimal& value)
{
    std::string t = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    int64_t unscaled = 0;
    int scale = 0;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 18)
                return false;
            unscaled = unscaled * 10 + (c - '0');
            if (point)
                ++scale;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    value = Decimal{negative ? -unscaled : unscaled, scale};
    return true;
}

bool IsNumber(const Value::Storage& s)
{
    return std::holds_alternative<int64_t>(s) || std::holds_alternative<Decimal>(s);
}

bool SameValue(const Value& a, const Value& b)
{
    if (a.Data().index() == b.Data().index())
        return a == b;
    if (IsNumber(a.Data()) && IsNumber(b.Data()))
        return a.AsDecimal() == b.AsDecimal();
    return false;
}

} // namespace

// ---- Value

std::string Value::AsString() const
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(int64_t v) const { return std::to_string(v); }
        std::string operator()(const Decimal& v) const { return v.ToString(); }
        std::string operator()(double v) const
        {
            char buffer[64];
            auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
            return ec == std::errc() ? std::string(buffer, ptr) : std::string();
        }
        std::string operator()(const std::string& v) const { return v; }
        std::string operator()(const Date& v) const { return ShortDateText(v); }
        std::string operator()(const TimeOfDay& v) const { return LongTimeText(v); }
        std::string operator()(const DateTime& v) const { return DateTimeText(v); }
    };
    return std::visit(Visitor{}, data_);
}

int64_t Value::AsInteger() const
{
    if (IsNull())
        return 0;
    if (auto v = std::get_if<int64_t>(&data_))
        return *v;
    if (auto v = std::get_if<Decimal>(&data_))
        return v->Rescaled(0).unscaled;
    if (auto v = std::get_if<double>(&data_))
        return std::llround(*v);
    if (auto v = std::get_if<std::string>(&data_)) {
        int64_t result = 0;
        if (!ParseInteger(*v, result))
            NotConvertible(*v, IntegerWord);
        return result;
    }
    NotConvertible(AsString(), IntegerWord);
}

double Value::AsFloat() const
{
    if (IsNull())
        return 0;
    if (auto v = std::get_if<int64_t>(&data_))
        return static_cast<double>(*v);
    if (auto v = std::get_if<Decimal>(&data_))
        return v->ToDouble();
    if (auto v = std::get_if<double>(&data_))
        return *v;
    if (auto v = std::get_if<std::string>(&data_)) {
        std::string t = Trim(*v);
        double result = 0;
        auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), result);
        if (t.empty() || ec != std::errc() || ptr != t.data() + t.size())
            NotConvertible(*v, NumberWord);
        return result;
    }
    NotConvertible(AsString(), NumberWord);
}

Decimal Value::AsDecimal() const
{
    if (IsNull())
        return Decimal{};
    if (auto v = std::get_if<int64_t>(&data_))
        return Decimal{*v, 0};
    if (auto v = std::get_if<Decimal>(&data_))
        return *v;
    if (auto v = std::get_if<double>(&data_))
        return Decimal{std::llround(*v * 10000.0), 4};
    if (auto v = std::get_if<std::string>(&data_)) {
        Decimal result;
        if (!ParseDecimal(*v, result))
            NotConvertible(*v, NumberWord);
        return result;
    }
    NotConvertible(AsString(), NumberWord);
}

// ---- FieldList

int FieldList::IndexOf(const std::string& name) const
{
    for (size_t i = 0; i < names.size(); ++i)
        if (SameNameIgnoringCase(names[i], name))
            return static_cast<int>(i);
    return -1;
}

int FieldList::IndexOrThrow(const std::string& name) const
{
    int index = IndexOf(name);
    if (index < 0)
        throw FieldError("Brak pola " + name); // "no field ..."
    return index;
}

// ---- DataSet

void DataSet::Close()
{
    active_ = false;
    Fields.names.clear();
    Rows.clear();
    recNo_ = -1;
    eof_ = bof_ = true;
}

void DataSet::Assign(std::string commandText, FieldList fields, std::vector<Row> rows)
{
    CommandText = std::move(commandText);
    Fields = std::move(fields);
    Rows = std::move(rows);
    active_ = true;
    First();
}

void DataSet::SetRecNo(int index)
{
    if (Rows.empty()) {
        recNo_ = -1;
        eof_ = bof_ = true;
        return;
    }
    recNo_ = std::clamp(index, 0, RecordCount() - 1);
    eof_ = bof_ = false;
}

void DataSet::First()
{
    recNo_ = Rows.empty() ? -1 : 0;
    bof_ = true;
    eof_ = Rows.empty();
}

void DataSet::Last()
{
    recNo_ = RecordCount() - 1;
    eof_ = true;
    bof_ = Rows.empty();
}

void DataSet::Next()
{
    if (recNo_ + 1 < RecordCount()) {
        ++recNo_;
        bof_ = false;
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void DataSet::Prior()
{
    if (recNo_ > 0) {
        --recNo_;
        bof_ = false;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

bool DataSet::Eof() const
{
    return Rows.empty() || eof_;
}

bool DataSet::Bof() const
{
    return Rows.empty() || bof_;
}

const Value& DataSet::FieldByName(const std::string& name) const
{
    int field = Fields.IndexOrThrow(name);
    if (recNo_ < 0 || recNo_ >= RecordCount())
        throw FieldError("Brak bieżącego wiersza dla pola "_cp + name);
    return Rows[recNo_][field];
}

const Value& DataSet::At(int row, const std::string& name) const
{
    int field = Fields.IndexOrThrow(name);
    if (row < 0 || row >= RecordCount())
        throw FieldError("Brak wiersza " + std::to_string(row));
    return Rows[row][field];
}

int DataSet::Find(const std::string& field, const Value& value) const
{
    int index = Fields.IndexOrThrow(field);
    for (int row = 0; row < RecordCount(); ++row)
        if (SameValue(Rows[row][index], value))
            return row;
    return -1;
}

bool DataSet::Locate(const std::string& field, const Value& value)
{
    int row = Find(field, value);
    if (row < 0)
        return false;
    SetRecNo(row);
    return true;
}

void DataSet::SetValue(int row, const std::string& field, const Value& value)
{
    int index = Fields.IndexOrThrow(field);
    if (row < 0 || row >= RecordCount())
        throw FieldError("Brak wiersza " + std::to_string(row));
    Rows[row][index] = value;
}

void DataSet::ReplaceRow(int row, Row values)
{
    if (row < 0 || row >= RecordCount())
        throw FieldError("Brak wiersza " + std::to_string(row));
    if (values.size() != Fields.names.size())
        throw FieldError("Liczba pól wiersza nie zgadza się z zestawem danych"_cp);
    Rows[row] = std::move(values);
}

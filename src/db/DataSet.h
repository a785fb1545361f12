#pragma once
// Rows fetched from the database, held without any user-interface types: typed values that can be NULL, a
// forward-only query and a cached, scrollable data set. Field names are looked up ignoring letter case.
#include "util/DateTime.h"
#include "util/Decimal.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

// A database error: the server's whole message (status vector text), lines separated by LF, and the server's
// error codes (the status vector's "gds" numbers) when it came from the server.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const std::string& message, std::vector<intptr_t> codes = {})
        : std::runtime_error(message), codes_(std::move(codes))
    {
    }
    const std::vector<intptr_t>& Codes() const { return codes_; }
    bool Has(intptr_t code) const;
    // The database file is held by another process through the embedded engine.
    bool DatabaseBusy() const;
    // What the operator is shown: a Polish sentence saying what went wrong and what to do, when the codes tell a
    // known situation (missing table or column, lost server, locked record...), then the server's message.
    std::string OperatorText() const;

private:
    std::vector<intptr_t> codes_;
};

// What the operator is shown for an error: DbError::OperatorText() for a database error, the error's own text
// otherwise. The one place that turns an exception into operator text, for the window and tarlo-cli alike.
std::string OperatorText(const std::exception& error);

// Raised when a field name is not in the result.
class FieldError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class Value
{
public:
    using Storage = std::variant<std::monostate, int64_t, Decimal, double, std::string, Date, TimeOfDay, DateTime>;

    Value() = default;
    Value(Storage v) : data_(std::move(v)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(data_); }
    const Storage& Data() const { return data_; }

    // Conversions at the edge. NULL gives "" / 0. AsInteger of a scaled number cuts toward zero, of a float rounds
    // to the nearest; of a text it converts the trimmed text and raises FieldError when that is not a whole
    // number. Dates and times raise FieldError in the numeric conversions.
    std::string AsString() const; // NUMERIC as plain decimal text with its scale, dates dd.MM.yyyy, times HH:mm:ss
    int64_t AsInteger() const;
    double AsFloat() const;
    Decimal AsDecimal() const; // integers with scale 0; floats with 4 decimals; texts exactly as written

    bool operator==(const Value& other) const = default;

private:
    Storage data_;
};

using Row = std::vector<Value>;

// The columns of a result: names as the server gives them (upper case for unquoted names).
class FieldList
{
public:
    std::vector<std::string> names;
    int IndexOf(const std::string& name) const;      // -1 when absent, letter case ignored
    int IndexOrThrow(const std::string& name) const; // FieldError when absent
};

// A cached, scrollable result: all rows fetched into memory. Reopened by Tdm::OpenSds.
class DataSet
{
public:
    std::string CommandText; // the query last opened
    FieldList Fields;
    std::vector<Row> Rows;

    bool Active() const { return active_; }
    void Close();
    int RecordCount() const { return static_cast<int>(Rows.size()); }

    // The cursor: -1 when there is no row.
    int RecNo() const { return recNo_; }
    void SetRecNo(int index); // clamped to the rows present
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const; // true when empty or moved past the last row by Next
    bool Bof() const;

    // The current row's field; FieldError for an unknown name or when there is no current row.
    const Value& FieldByName(const std::string& name) const;
    const Value& At(int row, const std::string& name) const;

    // Moves the cursor to the first row whose field equals the value exactly (text compared byte for byte, CHAR
    // values with their padding; integers and exact numbers compared by amount).
    bool Locate(const std::string& field, const Value& value);
    // Index of that row, -1 when none; the cursor does not move.
    int Find(const std::string& field, const Value& value) const;

    // In-place changes of the cached rows, without touching the database.
    void SetValue(int row, const std::string& field, const Value& value);
    void ReplaceRow(int row, Row values);

    // Used by the database layer when it fills the set.
    void Assign(std::string commandText, FieldList fields, std::vector<Row> rows);

private:
    bool active_ = false;
    int recNo_ = -1;
    bool eof_ = true;
    bool bof_ = true;
};

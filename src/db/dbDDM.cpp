#include "db/dbDDM.h"

#include "app/ConstUnit.h"
#include "db/Firebird.h"
#include "db/USql.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <algorithm>
#include <filesystem>

int ConnectStatus = -1;
std::unique_ptr<Tdm> dm;

namespace
{

const char* const RoleName = "ADMINISTRATOR";
const char* const AbortCaption = "Przerwać program?"_cp;
const char* const EmptyScriptEntry = "Pusta listaScr  ";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool EndsWith(const std::string& text, char c)
{
    return !text.empty() && text.back() == c;
}

// Line feeds of a server message made CR LF, as the work history and the prompt show them.
std::string WithCrLf(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            result += '\r';
        result += text[i];
    }
    return result;
}

// A message on one line: every line feed becomes one blank.
std::string OnOneLine(const std::string& text)
{
    std::string result = text;
    std::replace(result.begin(), result.end(), '\n', ' ');
    return result;
}

bool HasCommit(const std::string& line)
{
    return Contains(UpperCase1250(line), "COMMIT");
}

// Closes a query of the module when the scope ends, whatever happens in between.
class CloseOnExit
{
public:
    explicit CloseOnExit(Query& query) : query_(query) {}
    ~CloseOnExit() { query_.Close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Query& query_;
};

const Value& NullValue()
{
    static const Value null;
    return null;
}

// Definition text of a column for ListaPol: type name, size and NOT NULL.
std::string FieldDefinition(const Query& q)
{
    const Value& type = q.FieldByName("typ");
    const Value& subType = q.FieldByName("subtyp");
    const Value& precision = q.FieldByName("prec");
    const Value& scale = q.FieldByName("scale");
    const Value& charLength = q.FieldByName("charlen");
    bool scaled = !precision.IsNull() && precision.AsInteger() != 0 && scale.AsInteger() != 0;
    std::string name;
    switch (type.AsInteger()) {
    case 7:
        name = " Smallint";
        break;
    case 8:
        name = subType.AsInteger() == 1   ? " Numeric"
               : subType.AsInteger() == 2 ? " Decimal"
               : scaled                   ? " Numeric"
                                          : " Integer";
        break;
    case 10:
        name = " Float";
        break;
    case 11:
        name = " D_Float";
        break;
    case 12:
        name = " Date";
        break;
    case 13:
        name = " Time";
        break;
    case 14:
        name = " Char";
        break;
    case 16:
        name = subType.AsInteger() == 1 ? " Numeric" : subType.AsInteger() == 2 ? " Decimal" : " Int64";
        break;
    case 35:
        name = " TimeStamp";
        break;
    case 37:
        name = " Varchar";
        break;
    case 40:
        name = " CString";
        break;
    case 261:
        name = " Blob";
        break;
    default:
        break;
    }
    std::string size;
    if (scaled)
        size = "(" + std::to_string(precision.AsInteger()) + "," + std::to_string(std::abs(scale.AsInteger())) + ")";
    else if (!charLength.IsNull())
        size = "(" + std::to_string(charLength.AsInteger()) + ")";
    std::string notNull = q.FieldByName("null_flag").AsInteger() == 1 ? " NOT NULL" : "";
    return name + size + notNull;
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return UpperCase1250(a) < UpperCase1250(b);
}

} // namespace

// ---- forward-only query

struct Query::Impl {
    fb::Cursor cursor;
    Row current;
    bool active = false;
    bool eof = true;
};

Query::Query() : impl(std::make_unique<Impl>()) {}

Query::~Query() = default;

bool Query::Active() const
{
    return impl->active;
}

void Query::Close()
{
    impl->cursor.Close();
    impl->current.clear();
    impl->active = false;
    impl->eof = true;
}

bool Query::Eof() const
{
    return !impl->active || impl->eof;
}

void Query::Next()
{
    if (Eof())
        return;
    Row row;
    if (impl->cursor.Fetch(row))
        impl->current = std::move(row);
    else
        impl->eof = true;
}

const FieldList& Query::Fields() const
{
    static const FieldList none;
    return impl->active ? impl->cursor.Fields() : none;
}

const Value& Query::FieldByName(const std::string& name) const
{
    if (!impl->active)
        throw FieldError("Zapytanie jest zamknięte: "_cp + name);
    int index = impl->cursor.Fields().IndexOrThrow(name);
    if (impl->current.empty())
        return NullValue();
    return impl->current[index];
}

// ---- the module

Tdm::Tdm() : SQLC(std::make_unique<FbConnection>())
{
    DataModuleCreate();
}

Tdm::~Tdm()
{
    CloseQueries();
    SQLC->Close();
}

void Tdm::DataModuleCreate()
{
    // The query objects reach the one connection through OpenQuery and the transaction settings live in
    // FbConnection::StartTransaction; nothing connects here.
}

void Tdm::CloseQueries()
{
    dbQ.Close();
    SQT.Close();
    SQTmp.Close();
}

bool Tdm::Connected() const
{
    return SQLC->IsOpen();
}

void Tdm::CloseConnection()
{
    CloseQueries();
    SQLC->Close();
}

void Tdm::Trace(const std::string& sql, bool query)
{
    if (OnStatement)
        OnStatement(sql, query);
}

// ---- connection

bool HasServerName(const std::string& path)
{
    static const char* const protocols[] = {"inet://", "inet4://", "inet6://", "xnet://", "wnet://"};
    const std::string lower = LowerCase1250(path);
    for (const char* protocol : protocols)
        if (StartsWith(lower, protocol))
            return true;
    if (StartsWith(path, "\\\\"))
        return true;
    // "host:path" or "host/port:path"; "C:\..." is a drive letter, and a colon inside a directory path ("/a:b",
    // "dir\a:b") names no server either.
    const size_t colon = path.find(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const std::string host = path.substr(0, colon);
    const bool drive = colon == 1 && path.size() > 2 && (path[2] == '\\' || path[2] == '/');
    return host[0] != '/' && host[0] != '.' && host.find('\\') == std::string::npos && !drive;
}

namespace
{

const std::string RouteLine = "Połączenie z bazą: "_cp;

// Opens the connection the way its path asks for. For a path without a server name, the work history's line
// about the way taken; nothing otherwise (the path names the way).
std::string OpenByRoute(FbConnection& connection, fb::ConnectParams params)
{
    if (HasServerName(params.database)) {
        connection.Open(params);
        return {};
    }
    if (EmbeddedEngine) {
        params.providers = "Engine12";
        connection.Open(params);
        return RouteLine + "wbudowany silnik Firebird (Silnik=wbudowany)";
    }
    try {
        params.providers = "Loopback";
        connection.Open(params);
        return RouteLine + "serwer Firebird na tym komputerze";
    } catch (const DbError& e) {
        // Nobody listens on this machine's Firebird port. Anything else stands: a refused user or password, a
        // missing file, and also a "localhost" that does not resolve, where a server may well run.
        if (!fb::NobodyListening(e))
            throw;
    }
    params.providers = "Engine12";
    connection.Open(params);
    return RouteLine + "wbudowany silnik Firebird (serwer Firebird na tym komputerze nie odpowiada)";
}

} // namespace

void Tdm::BazaConnect()
{
    ConnectStatus = -1;
    dbConnect();
    if (ConnectStatus == -1)
        return;
    ConnectStatus = -1;
    if (TestRolaName())
        ConnectStatus = 0;
}

bool Tdm::dbConnect()
{
    CloseConnection();
    fb::ConnectParams params;
    params.database = DbPath;
    params.user = DbUser;
    params.password = DbPassword;
    params.dialect = 3;
    params.charset = "WIN1250";
    params.role = RoleName;
    try {
        ConnectError.reset();
        const std::string route = OpenByRoute(*SQLC, params);
        if (!route.empty())
            LogLine(route);
        ConnectStatus = 0;
        return true;
    } catch (const std::exception& e) {
        ConnectStatus = -1;
        const auto* db = dynamic_cast<const DbError*>(&e);
        ConnectError = db ? *db : DbError(e.what());
        std::string text = "dbConnect\r\n" + WithCrLf(OperatorText(e));
        LogLine(text);
        AskAbort(text);
        return false;
    }
}

bool Tdm::IsAdministrator(const std::string& user)
{
    return user == AdministratorUser;
}

bool Tdm::AdministratorCheck(bool forceVersion)
{
    if (!IsAdministrator(DbUser) || ConnectStatus != 0 || !Connected())
        return false;
    std::string storedVersion = ReadParS("wersja", "", "GLOBAL", "TARLA");
    if (FileExists(FindCaseless(std::filesystem::current_path().string(), "Sprw.dat")))
        storedVersion.assign(1, '0'); // a marker file forces the version write
    TestStru(false);
    // Byte order, as the version mark has always been compared.
    if (storedVersion < ProgramVersion || forceVersion)
        WriteParS("WERSJA", ProgramVersion, "GLOBAL", "TARLA");
    return true;
}

bool Tdm::TestRolaName()
{
    if (!IsAdministrator(DbUser))
        return true;
    try {
        if (!Jest(std::string("select rdb$role_name from rdb$roles where rdb$role_name='") + RoleName + "'"))
            RunSQL(std::string("create role ") + RoleName);
        ConnectStatus = 0;
        return true;
    } catch (const std::exception& e) {
        std::string text = "TestRolaName\r\n" + WithCrLf(OperatorText(e));
        LogLine(text);
        AskAbort(text);
        return false;
    }
}

// ---- query and command helpers

void Tdm::OpenQuery(Query& query, const std::string& sql)
{
    std::string text = sql; // the caller may pass the query's own SQL
    query.Close();
    query.SQL = text;
    Trace(text, true);
    try {
        query.impl->cursor.Open(*SQLC, text);
        query.impl->active = true;
        query.impl->eof = !query.impl->cursor.Fetch(query.impl->current);
    } catch (...) {
        query.Close();
        throw;
    }
}

bool Tdm::RunSQL(const std::string& sql)
{
    if (sql.empty())
        return false;
    try {
        Trace(sql, false);
        auto transaction = SQLC->StartTransaction();
        SQLC->Execute(transaction, sql);
        fb::Commit(transaction);
        return true;
    } catch (const std::exception& e) {
        LogLine(OnOneLine(e.what()) + " :: " + sql);
        return false;
    }
}

bool Tdm::RunSQLBatch(const std::vector<std::string>& commands, std::string* failure)
{
    std::string current;
    try {
        auto transaction = SQLC->StartTransaction();
        for (const std::string& command : commands) {
            if (command.empty())
                continue;
            current = command;
            Trace(command, false);
            SQLC->Execute(transaction, command);
            if (!transaction)
                transaction = SQLC->StartTransaction();
        }
        fb::Commit(transaction);
        return true;
    } catch (const std::exception& e) {
        LogLine(OnOneLine(e.what()) + " :: " + current);
        if (failure)
            *failure = OnOneLine(OperatorText(e));
        return false;
    }
}

bool Tdm::Jest(const std::string& sql)
{
    OpenQuery(dbQ, sql + " rows 1");
    CloseOnExit close(dbQ);
    return !dbQ.Eof();
}

int64_t Tdm::ReadInteger(const std::string& field, const std::string& sql, int64_t defaultValue)
{
    std::string text = sql;
    std::string upper = UpperCase1250(text);
    if (!Contains(upper, "ROWS 1") && !Contains(upper, "FIRST 1"))
        text += " ROWS 1";
    OpenQuery(dbQ, text);
    CloseOnExit close(dbQ);
    std::string name = field.empty() ? ListItem(UpperCase1250(text), 2, " ") : field;
    if (dbQ.Eof())
        return defaultValue;
    return dbQ.FieldByName(name).AsInteger();
}

void Tdm::OpenSQT(const std::string& sql)
{
    OpenQuery(SQT, sql);
}

void Tdm::OpenSQTmp(const std::string& sql)
{
    OpenQuery(SQTmp, sql);
}

void Tdm::OpenSds(DataSet& dataSet, const std::string& sql)
{
    std::string text = sql; // OpenSds(ds, ds.CommandText) re-reads the set
    dataSet.Close();
    dataSet.CommandText = text;
    Trace(text, true);
    fb::Cursor cursor;
    cursor.Open(*SQLC, text);
    std::vector<Row> rows;
    cursor.FetchAll(rows);
    FieldList fields = cursor.Fields();
    cursor.Close();
    dataSet.Assign(text, std::move(fields), std::move(rows));
}

void Tdm::ForEachRow(const std::string& sql, const std::function<void(Row& row)>& visit)
{
    Trace(sql, true);
    fb::Cursor cursor;
    cursor.Open(*SQLC, sql);
    for (Row row; cursor.Fetch(row);)
        visit(row);
    cursor.Close();
}

void Tdm::AskAbort(const std::string& text)
{
    if (AskYesNo(AbortCaption, text)) {
        LoginAborted = true;
        RequestTerminate();
    }
}

// ---- parameter store

std::string Tdm::ReadParS(const std::string& name, const std::string& defaultValue, const std::string& location,
                          const std::string& section)
{
    OpenParameter("ReadParS", "pString", name, location, section);
    CloseOnExit close(dbQ);
    return dbQ.Eof() ? defaultValue : dbQ.FieldByName("pString").AsString();
}

int64_t Tdm::ReadParI(const std::string& name, int64_t defaultValue, const std::string& location,
                      const std::string& section)
{
    OpenParameter("ReadParI", "pInteger", name, location, section);
    CloseOnExit close(dbQ);
    return dbQ.Eof() ? defaultValue : dbQ.FieldByName("pInteger").AsInteger();
}

void Tdm::OpenParameter(const std::string& reader, const std::string& column, const std::string& name,
                        const std::string& location, const std::string& section)
{
    // A lookup still open here means a caller left dbQ in use; say so, then take the query over.
    if (dbQ.Active()) {
        AskAbort(reader + " dbQ.Active");
        dbQ.Close();
    }
    OpenQuery(dbQ, "select " + column + " from PARAMETRY where LOKALIZACJA=" + SqlQuote(UpperCase1250(location)) +
                       " and Sekcja=" + SqlQuote(UpperCase1250(section)) +
                       " and NAZWA=" + SqlQuote(UpperCase1250(Trim(name))));
}

bool Tdm::WriteParS(const std::string& name, const std::string& value, const std::string& location,
                    const std::string& section)
{
    return RunSQL(WriteParSCommand(name, value, location, section));
}

bool Tdm::WriteParI(const std::string& name, int64_t value, const std::string& location, const std::string& section)
{
    return RunSQL(WriteParICommand(name, value, location, section));
}

std::string Tdm::WriteParSCommand(const std::string& name, const std::string& value, const std::string& location,
                                  const std::string& section)
{
    return "update or insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,pSTRING) Values(" +
           SqlQuoteItem(UpperCase1250(location), false) + SqlQuoteItem(UpperCase1250(section), false) +
           SqlQuoteItem(UpperCase1250(Trim(name)), false) + SqlQuote(value) + ") ";
}

std::string Tdm::WriteParICommand(const std::string& name, int64_t value, const std::string& location,
                                  const std::string& section)
{
    return "update or insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,pINTEGER) Values(" +
           SqlQuoteItem(UpperCase1250(location), false) + SqlQuoteItem(UpperCase1250(section), false) +
           SqlQuoteItem(UpperCase1250(Trim(name)), false) + SqlInt(value) + ") ";
}

// ---- schema verification and upgrade

void Tdm::TestStru(bool recreateIndexes)
{
    WaitCursor busy;
    for (const std::string& name : SqlScriptNames()) {
        // Generators and triggers that are missing are created too: the rows of ODCZYT and PARAGONY get their
        // identifiers only from them. The generators come first in the catalogue, so a trigger finds its own.
        if (StartsWith(name, "G_")) {
            if (!JestGenerator(name) && RunScr(GetSqlScript(name), name, false))
                LogLine("Dopisany generator " + name);
            continue;
        }
        if (StartsWith(name, "TRI_")) {
            if (JestTabela(name.substr(4)) && !JestWyzwalacz(name) && RunScript(GetSqlScript(name), name, false))
                LogLine("Dopisany wyzwalacz " + name);
            continue;
        }
        if (!StartsWith(name, "C_"))
            continue;
        if (Contains(name, "_IDX")) {
            DopiszIndeksy(name, recreateIndexes);
            continue;
        }
        std::string table = name.substr(2, 40);
        DopiszPola(name, table);
        if (DopiszTabele(table) == 0)
            LogLine("Dopisana tabela " + table);
    }
}

bool Tdm::JestTabela(const std::string& table)
{
    return Jest("Select rdb$relation_name from rdb$relations  where rdb$flags=1 and Upper(rdb$relation_name)='" +
                UpperAscii(table) + "'");
}

bool Tdm::JestGenerator(const std::string& generator)
{
    return Jest("select rdb$generator_name from rdb$generators where rdb$generator_name='" + UpperAscii(generator) +
                "'");
}

bool Tdm::JestWyzwalacz(const std::string& trigger)
{
    return Jest("select rdb$trigger_name from rdb$triggers where rdb$trigger_name='" + UpperAscii(trigger) + "'");
}

int Tdm::DopiszTabele(const std::string& table)
{
    if (JestTabela(table))
        return 1;
    std::string name = "C_" + UpperAscii(table);
    ListaScr = GetSqlScript(name);
    bool known = !ListaScr.empty();
    if (!RunScript(ListaScr, "", false) || !known)
        return -1; // a table without a creation script cannot be created
    ListaScr = GetSqlScript(name + "_IDX");
    RunScr(ListaScr, "", false);
    return 0;
}

void Tdm::DopiszPola(const std::string& catalogueName, const std::string& table)
{
    ClearListaScr();
    std::string name = table;
    if (name.empty() && StartsWith(catalogueName, "C_") && !Contains(catalogueName, "_IDX"))
        name = catalogueName.substr(2, 40);
    ListaScr = GetSqlScript(catalogueName);
    SpStru(name, ListaScr);
}

void Tdm::SpStru(const std::string& table, const std::vector<std::string>& script)
{
    if (table.empty() || !JestTabela(table))
        return;
    std::vector<std::string> existing = ListaPol(table, false, true);
    auto exists = [&existing](const std::string& column) {
        std::string upper = UpperCase1250(column);
        return std::any_of(existing.begin(), existing.end(),
                           [&upper](const std::string& e) { return UpperCase1250(e) == upper; });
    };
    std::vector<std::string> alter{"ALTER TABLE " + table};
    for (size_t i = 1; i < script.size(); ++i) {
        const std::string& line = script[i];
        if (Contains(line, "PRIMARY KEY") || Contains(line, ";"))
            break;
        std::string column = UpperCase1250(ListItem(Trim(line), 1, " "));
        if (!column.empty() && !exists(column))
            alter.push_back("ADD " + line);
    }
    if (alter.size() < 2)
        return;
    std::string last = Trim(alter.back());
    if (EndsWith(last, ','))
        last.pop_back();
    alter.back() = last;
    alter.push_back(";");
    RunScript(alter, "zmiana struktury " + table, false);
}

void Tdm::DopiszIndeksy(const std::string& catalogueName, bool recreate)
{
    ListaScr = GetSqlScript(catalogueName);
    const std::vector<std::string> script = ListaScr;
    for (const std::string& line : script) {
        if (line.empty())
            continue;
        std::string index = ListItem(line, Contains(line, "DESC") ? 4 : 3, " ");
        if (!JestIndeks("", index)) {
            RunSQL(line);
        } else if (recreate) {
            RunSQL("drop index " + index);
            RunSQL(line);
        }
    }
}

bool Tdm::JestIndeks(const std::string& table, const std::string& index)
{
    std::string sql = "select count(rdb$index_name) as jest from rdb$indices  where ";
    if (!table.empty())
        sql += "Upper(rdb$relation_name)='" + UpperAscii(table) + "' and ";
    sql += "Upper(rdb$index_name)='" + UpperAscii(index) + "'";
    OpenQuery(dbQ, sql);
    CloseOnExit close(dbQ);
    return dbQ.FieldByName("jest").AsInteger() > 0;
}

std::vector<std::string> Tdm::ListaPol(const std::string& table, bool withDefinitions, bool sorted)
{
    std::vector<std::string> fields;
    if (!Connected())
        return fields;
    std::string name = UpperAscii(table);

    size_t width = 0;
    {
        OpenQuery(dbQ, "select r.rdb$field_name as pole from rdb$relation_fields r where r.rdb$relation_name = '" +
                           name + "'");
        CloseOnExit close(dbQ);
        for (; !dbQ.Eof(); dbQ.Next())
            width = std::max(width, Trim(dbQ.FieldByName("pole").AsString()).size());
    }

    std::string sql = "select r.rdb$field_name as pole ";
    if (withDefinitions)
        sql += ", f.rdb$field_type as typ, cast(f.rdb$field_sub_type as integer) as subtyp, "
               "cast(f.rdb$field_scale as integer) as scale,"
               "cast(f.rdb$field_precision as integer) as prec,"
               "cast(f.rdb$character_length as integer) as charlen, "
               "cast(r.rdb$null_flag as integer) as null_flag ";
    sql += "from rdb$relation_fields r "
           "left outer join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
           "where r.rdb$relation_name = '" +
           name + "'" + " ORDER BY r.rdb$field_position, r.rdb$field_name";
    OpenQuery(dbQ, sql);
    CloseOnExit close(dbQ);
    for (; !dbQ.Eof(); dbQ.Next()) {
        std::string field = Trim(dbQ.FieldByName("pole").AsString());
        if (withDefinitions)
            field = PadRight(field, static_cast<int>(width + 2), " ") + FieldDefinition(dbQ);
        fields.push_back(field);
    }
    if (sorted)
        std::stable_sort(fields.begin(), fields.end(), LessIgnoringCase);
    return fields;
}

bool Tdm::RunScr(const std::vector<std::string>& script, const std::string& title, bool silent)
{
    if (script.empty()) {
        LogLine(EmptyScriptEntry + title);
        return true;
    }
    std::string current;
    try {
        auto transaction = SQLC->StartTransaction();
        for (const std::string& line : script) {
            std::string text = Trim(line);
            if (text.empty() || HasCommit(text))
                continue;
            if (EndsWith(text, '#'))
                text.pop_back();
            if (EndsWith(text, ';'))
                text.pop_back();
            current = text;
            Trace(text, false);
            SQLC->Execute(transaction, text);
            if (!transaction) // the line ended the transaction itself
                transaction = SQLC->StartTransaction();
        }
        fb::Commit(transaction);
        return true;
    } catch (const DbError& e) {
        std::string entry = current + "\r\n" + title + "\r\n" + WithCrLf(e.what());
        LogLine(entry);
        if (!silent)
            AskAbort(entry);
        return false;
    }
}

bool Tdm::RunScript(const std::vector<std::string>& script, const std::string& title, bool silent)
{
    if (script.empty()) {
        LogLine(EmptyScriptEntry + title);
        return true;
    }
    bool ok = true;
    size_t next = 0;
    while (next < script.size()) {
        std::string statement;
        while (next < script.size()) {
            const std::string& line = script[next++];
            if (line.empty() || HasCommit(line))
                continue;
            if (EndsWith(line, '#')) {
                statement += line.substr(0, line.size() - 1) + "\r\n";
                break;
            }
            statement += line + "\r\n";
        }
        if (statement.empty())
            continue; // nothing but empty or COMMIT lines after the last "#"
        try {
            auto transaction = SQLC->StartTransaction();
            Trace(statement, false);
            SQLC->Execute(transaction, statement);
            fb::Commit(transaction);
        } catch (const DbError& e) {
            std::string entry = statement + "\r\n" + title + "\r\n" + WithCrLf(e.what());
            LogLine(entry);
            if (!silent)
                AskAbort(entry);
            ok = false;
        }
    }
    return ok;
}

void Tdm::ClearListaScr()
{
    ListaScr.clear();
}

FbConnection& Tdm::Connection()
{
    if (!SQLC || !SQLC->IsOpen())
        throw DbError("Brak połączenia z bazą danych"_cp);
    return *SQLC;
}

struct DbWork::Impl {
    FbConnection* connection = nullptr;
    fb::Ref<Firebird::ITransaction> transaction;
};

DbWork::DbWork() : impl_(std::make_unique<Impl>())
{
    if (!dm)
        throw DbError("Brak połączenia z bazą danych"_cp);
    impl_->connection = &dm->Connection();
    impl_->transaction = impl_->connection->StartTransaction();
}

DbWork::~DbWork() = default;

void DbWork::Execute(const std::string& sql)
{
    if (dm->OnStatement)
        dm->OnStatement(sql, false);
    impl_->connection->Execute(impl_->transaction, sql);
    if (!impl_->transaction)
        throw DbError("Polecenie zakończyło transakcję: "_cp + sql);
}

DataSet DbWork::Query(const std::string& sql)
{
    if (dm->OnStatement)
        dm->OnStatement(sql, true);
    FieldList fields;
    std::vector<Row> rows;
    fb::QueryIn(*impl_->connection, impl_->transaction.get(), sql, fields, rows);
    DataSet result;
    result.Assign(sql, std::move(fields), std::move(rows));
    return result;
}

void DbWork::Commit()
{
    fb::Commit(impl_->transaction);
}

bool DbWork::Conflict(const DbError& error)
{
    return fb::DbErrorIsConflict(error);
}

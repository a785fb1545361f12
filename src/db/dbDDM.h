#pragma once
// The database module: the one connection, the query and command helpers, the parameter store and the
// verification and upgrade of the application's tables.
#include "db/DataSet.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FbConnection; // db/Firebird.h

// The database administrator's user name: the one whose log-in creates the role and upgrades the tables.
inline constexpr const char* AdministratorUser = "SYSDBA";

// A forward-only query object of the module (dbQ, SQT, SQTmp): one open result at a time. The rows are
// fetched as the caller moves forward.
class Query
{
public:
    Query();
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool Active() const;
    void Close(); // commits the query's own transaction
    bool Eof() const;
    void Next();
    const FieldList& Fields() const;
    // The current row's field; FieldError for an unknown name or a closed query. Past the end the last row stays
    // current, and a query that returned no row reads every field as NULL.
    const Value& FieldByName(const std::string& name) const;
    std::string SQL;

    struct Impl;
    std::unique_ptr<Impl> impl;
};

extern int ConnectStatus; // 0 connected, -1 not connected

// Whether a database path names a server ("host:path", "host/port:path", "inet://host/path"...); a path without
// one ("/srv/SKLEP.FDB", an alias) is opened on this machine.
bool HasServerName(const std::string& path);

class Tdm
{
public:
    Tdm();
    ~Tdm();
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    void DataModuleCreate(); // run by the constructor; does not connect

    // ---- connection: DbPath, DbUser, DbPassword, role ADMINISTRATOR, character set WIN1250, dialect 3. A path
    // without a host opens the file through the embedded engine; "host:path" and "host/port:path" use a server.
    // Connects and runs the role check; the outcome is left in ConnectStatus.
    void BazaConnect();
    // Closes and opens the connection; a failure is logged and shown with AskAbort ("dbConnect", CR LF, message).
    // A path without a server name goes through the Firebird server on this machine, so that passwords are
    // checked and the file is shared with the trade system; only when no server listens here does the embedded
    // engine open it (never after a refused user or password, nor when "localhost" does not resolve). EmbeddedEngine
    // sends such a path straight to the embedded engine. The work history says which way the connection went.
    bool dbConnect();
    // Why the last connection attempt failed; empty after a successful one.
    std::optional<DbError> ConnectError;
    // For DbUser exactly "SYSDBA": creates the role ADMINISTRATOR when it is missing. False only when the check
    // itself failed (logged and shown with AskAbort).
    bool TestRolaName();
    bool Connected() const;
    void CloseConnection(); // closes the module's queries too

    // ---- query and command helpers. Each query runs in a read-committed transaction of its own, committed when
    // it closes; each command is committed on its own.
    //
    // Runs a command; never raises. False for an empty text (nothing sent, nothing logged) and for a failure,
    // which is logged on one line: the message with its line feeds made blanks, " :: ", the command.
    bool RunSQL(const std::string& sql);
    // The following raise DbError (the server's whole message) to the caller.
    // True when the query (with " rows 1" appended) returns a row.
    bool Jest(const std::string& sql);
    // The named field (empty: the second word of the text) of the first row as an integer; NULL reads 0, no row
    // gives the default. " ROWS 1" is appended unless the text holds "ROWS 1" or "FIRST 1".
    int64_t ReadInteger(const std::string& field, const std::string& sql, int64_t defaultValue);
    void OpenSQT(const std::string& sql);
    void OpenSQTmp(const std::string& sql);
    // Fetches the whole result into the data set; OpenSds(ds, ds.CommandText) re-reads it.
    void OpenSds(DataSet& dataSet, const std::string& sql);
    // Hands each row of the result to `visit` as it is fetched, without keeping the rows; the row may be changed
    // (its values moved away).
    void ForEachRow(const std::string& sql, const std::function<void(Row& row)>& visit);
    // Runs all commands in one transaction; on an error everything is rolled back, the error is logged as
    // RunSQL logs it, and false is returned; `failure`, when given, receives what the operator is to be told.
    bool RunSQLBatch(const std::vector<std::string>& commands, std::string* failure = nullptr);
    // The database error prompt "Przerwać program?"; Yes sets LoginAborted and asks the application to end once
    // the current operation is over.
    void AskAbort(const std::string& text);

    // Called with the text of every statement just before it goes to the server: query true for queries (result
    // rows), false for commands and script statements. Empty by default; tests use it to see what is sent.
    std::function<void(const std::string& sql, bool query)> OnStatement;

    Query dbQ;
    Query SQT;
    Query SQTmp;

    // ---- parameter store (PARAMETRY). Location and section are upper-cased, the name trimmed and upper-cased.
    // Reads raise DbError; a NULL value reads as "" / 0, a missing row as the default.
    std::string ReadParS(const std::string& name, const std::string& defaultValue, const std::string& location,
                         const std::string& section);
    int64_t ReadParI(const std::string& name, int64_t defaultValue, const std::string& location,
                     const std::string& section);
    // True when the command ran.
    bool WriteParS(const std::string& name, const std::string& value, const std::string& location,
                   const std::string& section);
    bool WriteParI(const std::string& name, int64_t value, const std::string& location, const std::string& section);
    // The commands the two writes run, for callers that write several parameters in one transaction
    // (RunSQLBatch).
    static std::string WriteParSCommand(const std::string& name, const std::string& value, const std::string& location,
                                        const std::string& section);
    static std::string WriteParICommand(const std::string& name, int64_t value, const std::string& location,
                                        const std::string& section);

    // ---- schema verification and upgrade against the catalogue of USql.h: missing tables, columns and indexes,
    // and missing generators and triggers (a trigger only where its table exists). Existence and field-list
    // queries raise DbError; failing scripts are logged and prompted for, failing index commands only logged.
    void TestStru(bool recreateIndexes);
    // The administrator's check at a log-in, in the window and in tarlo-cli alike: for DbUser AdministratorUser on
    // an open connection, brings the application's tables up to date (TestStru) and writes the program's version
    // (WERSJA) when the stored one sorts before ProgramVersion, when `forceVersion` (the log-in window's tick), or
    // when the marker file "Sprw.dat" is in the current folder. False, with nothing done, for any other user or
    // without a connection.
    bool AdministratorCheck(bool forceVersion);
    static bool IsAdministrator(const std::string& user);
    bool JestTabela(const std::string& table);
    bool JestGenerator(const std::string& generator);
    bool JestWyzwalacz(const std::string& trigger);
    // 1 the table existed, 0 it was created (with its indexes), -1 its creation failed or it has no script.
    int DopiszTabele(const std::string& table);
    void DopiszPola(const std::string& catalogueName, const std::string& table);
    void SpStru(const std::string& table, const std::vector<std::string>& script);
    void DopiszIndeksy(const std::string& catalogueName, bool recreate);
    bool JestIndeks(const std::string& table, const std::string& index);
    // Column names of a table (empty when not connected); with definitions, "NAME   Type(size) NOT NULL".
    std::vector<std::string> ListaPol(const std::string& table, bool withDefinitions, bool sorted);
    // One statement a line, all in one transaction, rolled back on the first error.
    bool RunScr(const std::vector<std::string>& script, const std::string& title, bool silent);
    // Statements ended by a trailing "#" (or the last line), each in its own transaction; a failure does not stop
    // the rest. Empty and COMMIT lines are skipped by both runners; the statement text goes to the server as is.
    bool RunScript(const std::vector<std::string>& script, const std::string& title, bool silent);
    void ClearListaScr();
    std::vector<std::string> ListaScr;

    // The connection, for DbWork.
    FbConnection& Connection();

private:
    // Closes the query, sets its text and opens it in a read-committed transaction of its own; the first row is
    // current. On failure the query is left closed and the DbError goes on to the caller.
    void OpenQuery(Query& query, const std::string& sql);
    // Opens on dbQ the parameter row's value column; `reader` names the caller in the open-lookup warning.
    void OpenParameter(const std::string& reader, const std::string& column, const std::string& name,
                       const std::string& location, const std::string& section);
    void Trace(const std::string& sql, bool query);
    void CloseQueries();

    std::unique_ptr<FbConnection> SQLC;
};

extern std::unique_ptr<Tdm> dm;

// One read-write transaction on dm's connection for work that reads what it is about to write: read committed,
// waiting for rows another transaction holds. Everything is rolled back unless Commit is called. Statements raise
// DbError.
class DbWork
{
public:
    DbWork(); // DbError when dm is not connected
    ~DbWork();
    DbWork(const DbWork&) = delete;
    DbWork& operator=(const DbWork&) = delete;

    void Execute(const std::string& sql);
    // The rows of a query run inside this transaction: it sees the transaction's own changes.
    DataSet Query(const std::string& sql);
    void Commit();

    // Whether the error is a row another transaction changed or held (lock conflict, update conflict, deadlock):
    // the work is worth starting again.
    static bool Conflict(const DbError& error);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

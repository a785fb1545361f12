#pragma once
// The database module: the one connection, the query and command helpers, the parameter store and the
// verification and upgrade of the application's tables.
#include "db/DataSet.h"

#include <memory>
#include <string>
#include <vector>

class FbConnection; // db/Firebird.h

// A forward-only query object of the module (dbQ, SQT, SQTmp): one open result at a time. The rows are
// fetched as the caller moves forward.
class Query {
public:
    Query();
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool Active() const;
    void Close();
    bool Eof() const;
    void Next();
    const FieldList& Fields() const;
    const Value& FieldByName(const std::string& name) const; // current row
    std::string SQL;

    struct Impl;
    std::unique_ptr<Impl> impl;
};

extern int ConnectStatus; // 0 connected, -1 not connected

class Tdm {
public:
    Tdm();
    ~Tdm();
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    void DataModuleCreate();

    // ---- connection
    void BazaConnect();
    bool dbConnect();
    bool TestRolaName();
    bool Connected() const;
    void CloseConnection();

    // ---- query and command helpers
    bool RunSQL(const std::string& sql);
    bool Jest(const std::string& sql);
    int64_t ReadInteger(const std::string& field, const std::string& sql, int64_t defaultValue);
    void OpenSQT(const std::string& sql);
    void OpenSQTmp(const std::string& sql);
    void OpenSds(DataSet& dataSet, const std::string& sql);
    // Runs all commands in one transaction; on an error everything is rolled back, the error is logged as
    // RunSQL logs it, and false is returned.
    bool RunSQLBatch(const std::vector<std::string>& commands);
    void AskAbort(const std::string& text);

    Query dbQ;
    Query SQT;
    Query SQTmp;

    // ---- parameter store (PARAMETRY)
    std::string ReadParS(const std::string& name, const std::string& defaultValue, const std::string& location,
                         const std::string& section);
    int64_t ReadParI(const std::string& name, int64_t defaultValue, const std::string& location,
                     const std::string& section);
    // True when the command ran.
    bool WriteParS(const std::string& name, const std::string& value, const std::string& location,
                   const std::string& section);
    bool WriteParI(const std::string& name, int64_t value, const std::string& location, const std::string& section);

    // ---- schema verification and upgrade
    void TestStru(bool recreateIndexes);
    bool JestTabela(const std::string& table);
    int DopiszTabele(const std::string& table);
    void DopiszPola(const std::string& catalogueName, const std::string& table);
    void SpStru(const std::string& table, const std::vector<std::string>& script);
    void DopiszIndeksy(const std::string& catalogueName, bool recreate);
    bool JestIndeks(const std::string& table, const std::string& index);
    std::vector<std::string> ListaPol(const std::string& table, bool withDefinitions, bool sorted);
    bool RunScr(const std::vector<std::string>& script, const std::string& title, bool silent);
    bool RunScript(const std::vector<std::string>& script, const std::string& title, bool silent);
    void ClearListaScr();
    std::vector<std::string> ListaScr;

private:
    std::unique_ptr<FbConnection> SQLC;
};

extern std::unique_ptr<Tdm> dm;

#pragma once
// A thin layer over Firebird's object-oriented client API. This is the one file of the program that includes
// the Firebird headers; everything else talks to the database through it (or through Tdm).
//
// Every interface obtained from the API is owned by a Ref, which ends it the way the API asks (detach, rollback,
// free, close) when it goes out of scope. A failing API call throws DbError carrying the whole message of the
// server, lines separated by LF.
#include "db/DataSet.h"

#include <firebird/Interface.h>

#include <string>
#include <vector>

namespace fb
{

Firebird::IMaster* Master();
Firebird::IUtil* Util();

// The text of a status vector as the client library words it; lines separated by LF.
std::string FormatStatus(Firebird::IStatus* status);

// Status object for the API's template methods: a call that leaves an error in it throws DbError.
class Status : public Firebird::BaseStatusWrapper<Status>
{
public:
    Status();
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    static void checkException(Status* status);
};

// How each kind of interface is ended when its owner lets go of it. Errors are ignored there; the interface is
// released in any case.
void End(Firebird::IProvider* p) noexcept;
void End(Firebird::IAttachment* p) noexcept;
void End(Firebird::ITransaction* p) noexcept; // rolls back
void End(Firebird::IStatement* p) noexcept;
void End(Firebird::IResultSet* p) noexcept;
void End(Firebird::IBlob* p) noexcept;
void End(Firebird::IMessageMetadata* p) noexcept;
void End(Firebird::IMetadataBuilder* p) noexcept;
void End(Firebird::IXpbBuilder* p) noexcept;

// Sole owner of one interface.
template <class T> class Ref
{
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Ends the owned interface (if any) and takes the new one.
    void reset(T* p = nullptr)
    {
        T* old = p_;
        p_ = p;
        if (old)
            End(old);
    }
    // Lets go without ending: for calls that release the interface themselves on success (commit, detach...).
    void forget() { p_ = nullptr; }

private:
    T* p_ = nullptr;
};

// Commits and lets go of the transaction; on failure the Ref still owns it (and rolls it back when destroyed).
void Commit(Ref<Firebird::ITransaction>& transaction);
void Rollback(Ref<Firebird::ITransaction>& transaction) noexcept;

// Whether the error says that nobody listens at the server's address ("Unable to complete network request ...
// Failed to establish a connection"), as against a server that answered with a refusal, or a host name that
// could not be resolved.
bool NobodyListening(const DbError& error);

// Firebird turns file names between UTF-8 and the system's character set through the locale's character type, as
// it was when the client library started. Under the "C" locale, which knows no letter beyond ASCII, a database path
// with Polish letters cannot be opened. Each program calls this once, before its first connection (and after
// anything that sets the locale from the environment, such as QCoreApplication): when the environment's character
// type is not UTF-8, C.UTF-8 is taken for it. The file names of this system are UTF-8.
void UseUtf8FileNames();

struct ConnectParams {
    std::string database; // "path", "host:path" or "host/port:path"
    std::string user;
    std::string password;
    std::string role;
    std::string charset = "WIN1250"; // connection character set
    int dialect = 3;
    // The client's providers for this attachment ("Loopback": the Firebird server on this machine; "Engine12":
    // the embedded engine in this process); empty for the client's own order.
    std::string providers;
};

struct CreateParams {
    std::string defaultCharset = "WIN1250";
    int pageSize = 8192;
    bool forcedWrites = true;
};

} // namespace fb

// One attachment to a database.
class FbConnection
{
public:
    FbConnection();
    ~FbConnection();
    FbConnection(const FbConnection&) = delete;
    FbConnection& operator=(const FbConnection&) = delete;

    // Closes any open attachment, then attaches. Throws DbError.
    void Open(const fb::ConnectParams& params);
    // Creates a new database file and stays attached to it. Throws DbError (also when the file exists).
    void Create(const fb::ConnectParams& params, const fb::CreateParams& create);
    void Close() noexcept;
    bool IsOpen() const { return static_cast<bool>(attachment_); }
    int Dialect() const { return dialect_; }

    Firebird::IAttachment* Attachment() const; // DbError when not open

    // Read committed (record versions), waits on lock conflicts, read-write.
    fb::Ref<Firebird::ITransaction> StartTransaction();
    // Runs a statement that returns no rows, its text passed to the server unchanged. A statement that ends the
    // transaction itself (COMMIT) leaves the Ref empty.
    void Execute(fb::Ref<Firebird::ITransaction>& transaction, const std::string& sql);

private:
    void Attach(const fb::ConnectParams& params, const fb::CreateParams* create);

    fb::Ref<Firebird::IProvider> provider_;
    fb::Ref<Firebird::IAttachment> attachment_;
    int dialect_ = 3;
};

namespace fb
{

// Turns output messages into rows of Values. The column layout is worked out once per statement, so that
// fetching a row is a walk over a small array with no lookups.
class RowDecoder
{
public:
    void Prepare(Firebird::IMessageMetadata* metadata);
    const FieldList& Fields() const { return fields_; }
    unsigned MessageLength() const { return messageLength_; }
    // Blobs are read through the attachment within the transaction that fetched the row.
    void Decode(const unsigned char* message, Row& row, Firebird::IAttachment* attachment,
                Firebird::ITransaction* transaction) const;

private:
    struct Column {
        unsigned type;
        int scale;
        unsigned offset;
        unsigned nullOffset;
        unsigned length;
    };
    std::vector<Column> columns_;
    FieldList fields_;
    unsigned messageLength_ = 0;
};

// A forward-only result in a transaction of its own, committed when the cursor closes.
class Cursor
{
public:
    Cursor() = default;
    ~Cursor() { Close(); }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void Open(FbConnection& connection, const std::string& sql); // throws DbError; closed again on failure
    bool Fetch(Row& row);                                        // false at the end
    void FetchAll(std::vector<Row>& rows);
    void Close() noexcept;
    bool IsOpen() const { return static_cast<bool>(resultSet_); }
    const FieldList& Fields() const { return decoder_.Fields(); }

private:
    Firebird::IAttachment* attachment_ = nullptr;
    Ref<Firebird::ITransaction> transaction_;
    Ref<Firebird::IStatement> statement_;
    Ref<Firebird::IResultSet> resultSet_;
    Ref<Firebird::IMessageMetadata> metadata_;
    RowDecoder decoder_;
    std::vector<unsigned char> buffer_;
};

// A row held or changed by another transaction (lock or update conflict, deadlock).
bool DbErrorIsConflict(const DbError& error);

// Runs a query inside the given transaction and fetches all its rows.
void QueryIn(FbConnection& connection, Firebird::ITransaction* transaction, const std::string& sql, FieldList& fields,
             std::vector<Row>& rows);

// A statement prepared once and run many times with question-mark parameters, for bulk loading. Values are
// converted to the parameter types the server describes (text, integers, exact and float numbers, dates).
class PreparedCommand
{
public:
    PreparedCommand() = default;
    void Prepare(FbConnection& connection, Firebird::ITransaction* transaction, const std::string& sql);
    void Execute(Firebird::ITransaction* transaction, const Row& parameters);

private:
    Firebird::IAttachment* attachment_ = nullptr;
    Ref<Firebird::IStatement> statement_;
    Ref<Firebird::IMessageMetadata> input_;
    std::vector<unsigned char> buffer_;
    int dialect_ = 3;
};

// Conversions between Firebird's date and time encodings and ours.
Date DecodeDate(int iscDate);
int EncodeDate(const Date& date);
TimeOfDay DecodeTime(unsigned iscTime);
unsigned EncodeTime(const TimeOfDay& time);

} // namespace fb

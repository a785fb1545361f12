#include "db/Firebird.h"

#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <langinfo.h>

using namespace Firebird;

namespace
{

const char* const NotConnectedText = "Brak połączenia z bazą danych"_cp;

// A status whose errors are looked at by hand (or ignored), for the ending of interfaces.
class QuietStatus
{
public:
    QuietStatus() : wrapper_(fb::Master()->getStatus()) {}
    ~QuietStatus() { wrapper_.dispose(); }
    QuietStatus(const QuietStatus&) = delete;
    QuietStatus& operator=(const QuietStatus&) = delete;
    CheckStatusWrapper* get() { return &wrapper_; }
    bool Failed() const { return (wrapper_.getState() & IStatus::STATE_ERRORS) != 0; }

private:
    CheckStatusWrapper wrapper_;
};

template <class T> T Load(const unsigned char* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <class T> void Store(unsigned char* p, T value)
{
    std::memcpy(p, &value, sizeof value);
}

const int64_t PowersOf10[] = {1,
                              10,
                              100,
                              1000,
                              10000,
                              100000,
                              1000000,
                              10000000,
                              100000000,
                              1000000000,
                              10000000000LL,
                              100000000000LL,
                              1000000000000LL,
                              10000000000000LL,
                              100000000000000LL,
                              1000000000000000LL,
                              10000000000000000LL,
                              100000000000000000LL,
                              1000000000000000000LL};

std::string ReadBlob(IAttachment* attachment, ITransaction* transaction, ISC_QUAD id)
{
    fb::Status status;
    fb::Ref<IBlob> blob(attachment->openBlob(&status, transaction, &id, 0, nullptr));
    std::string text;
    char buffer[32768];
    for (;;) {
        unsigned length = 0;
        int result = blob->getSegment(&status, sizeof buffer, buffer, &length);
        if (result != IStatus::RESULT_OK && result != IStatus::RESULT_SEGMENT)
            break;
        text.append(buffer, length);
    }
    blob->close(&status);
    blob.forget();
    return text;
}

} // namespace

namespace fb
{

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* Util()
{
    static IUtil* util = Master()->getUtilInterface();
    return util;
}

std::string FormatStatus(IStatus* status)
{
    std::vector<char> buffer(16384, '\0');
    Util()->formatStatus(buffer.data(), static_cast<unsigned>(buffer.size() - 1), status);
    std::string text(buffer.data());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

Status::Status() : BaseStatusWrapper(Master()->getStatus()) {}

Status::~Status()
{
    dispose();
}

// The error codes of a status vector, in order.
std::vector<intptr_t> ErrorCodes(IStatus* status)
{
    std::vector<intptr_t> codes;
    const intptr_t* v = status->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t kind = *v++;
        if (kind == isc_arg_cstring) {
            v += 2; // length and text
            continue;
        }
        if (kind == isc_arg_gds)
            codes.push_back(*v);
        ++v;
    }
    return codes;
}

void Status::checkException(Status* status)
{
    if (status->dirty && (status->getState() & IStatus::STATE_ERRORS))
        throw DbError(FormatStatus(status->status), ErrorCodes(status->status));
}

bool NobodyListening(const DbError& error)
{
    return error.Has(isc_network_error) && error.Has(isc_net_connect_err);
}

void End(IProvider* p) noexcept
{
    p->release();
}

void End(IAttachment* p) noexcept
{
    QuietStatus status;
    p->detach(status.get());
    if (status.Failed())
        p->release();
}

void End(ITransaction* p) noexcept
{
    QuietStatus status;
    p->rollback(status.get());
    if (status.Failed())
        p->release();
}

void End(IStatement* p) noexcept
{
    QuietStatus status;
    p->free(status.get());
    if (status.Failed())
        p->release();
}

void End(IResultSet* p) noexcept
{
    QuietStatus status;
    p->close(status.get());
    if (status.Failed())
        p->release();
}

void End(IBlob* p) noexcept
{
    QuietStatus status;
    p->cancel(status.get());
    if (status.Failed())
        p->release();
}

void End(IMessageMetadata* p) noexcept
{
    p->release();
}

void End(IMetadataBuilder* p) noexcept
{
    p->release();
}

void End(IXpbBuilder* p) noexcept
{
    p->dispose();
}

void Commit(Ref<ITransaction>& transaction)
{
    if (!transaction)
        return;
    Status status;
    transaction->commit(&status);
    transaction.forget(); // a successful commit releases the interface
}

void Rollback(Ref<ITransaction>& transaction) noexcept
{
    transaction.reset();
}

// ---- dates and times: ISC_DATE counts days from 17 November 1858, ISC_TIME ten-thousandths of a second.

namespace
{
const int DaysFrom1858To1970 = 40587;
}

Date DecodeDate(int iscDate)
{
    int64_t z = static_cast<int64_t>(iscDate) - DaysFrom1858To1970 + 719468; // days since 1 March of year 0
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return Date{year, month, day};
}

int EncodeDate(const Date& date)
{
    int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<int>(era * 146097 + doe - 719468 + DaysFrom1858To1970);
}

TimeOfDay DecodeTime(unsigned iscTime)
{
    unsigned msec = iscTime / 10;
    return TimeOfDay{static_cast<int>(msec / 3600000), static_cast<int>(msec / 60000 % 60),
                     static_cast<int>(msec / 1000 % 60), static_cast<int>(msec % 1000)};
}

unsigned EncodeTime(const TimeOfDay& time)
{
    return ((static_cast<unsigned>(time.hour) * 60 + time.minute) * 60 + time.second) * 10000 + time.msec * 10;
}

// ---- row decoding

void RowDecoder::Prepare(IMessageMetadata* metadata)
{
    Status status;
    unsigned count = metadata->getCount(&status);
    columns_.clear();
    fields_.names.clear();
    columns_.reserve(count);
    fields_.names.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        Column column;
        column.type = metadata->getType(&status, i) & ~1u;
        column.scale = metadata->getScale(&status, i);
        column.offset = metadata->getOffset(&status, i);
        column.nullOffset = metadata->getNullOffset(&status, i);
        column.length = metadata->getLength(&status, i);
        columns_.push_back(column);
        const char* alias = metadata->getAlias(&status, i);
        if (!alias || !*alias)
            alias = metadata->getField(&status, i);
        fields_.names.emplace_back(alias ? alias : "");
    }
    messageLength_ = metadata->getMessageLength(&status);
}

void RowDecoder::Decode(const unsigned char* message, Row& row, IAttachment* attachment,
                        ITransaction* transaction) const
{
    using S = Value::Storage;
    row.clear();
    row.reserve(columns_.size());
    for (const Column& c : columns_) {
        if (Load<short>(message + c.nullOffset)) {
            row.emplace_back();
            continue;
        }
        const unsigned char* p = message + c.offset;
        switch (c.type) {
        case SQL_VARYING: {
            auto length = Load<unsigned short>(p);
            row.emplace_back(S(std::in_place_type<std::string>, reinterpret_cast<const char*>(p + 2), length));
            break;
        }
        case SQL_TEXT:
            row.emplace_back(S(std::in_place_type<std::string>, reinterpret_cast<const char*>(p), c.length));
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            int64_t v = c.type == SQL_SHORT  ? Load<int16_t>(p)
                        : c.type == SQL_LONG ? Load<int32_t>(p)
                                             : Load<int64_t>(p);
            if (c.scale < 0)
                row.emplace_back(S(Decimal{v, -c.scale}));
            else if (c.scale > 0)
                row.emplace_back(S(v * PowersOf10[std::min(c.scale, 18)]));
            else
                row.emplace_back(S(v));
            break;
        }
        case SQL_FLOAT:
            row.emplace_back(S(static_cast<double>(Load<float>(p))));
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            row.emplace_back(S(Load<double>(p)));
            break;
        case SQL_TYPE_DATE:
            row.emplace_back(S(DecodeDate(Load<ISC_DATE>(p))));
            break;
        case SQL_TYPE_TIME:
            row.emplace_back(S(DecodeTime(Load<ISC_TIME>(p))));
            break;
        case SQL_TIMESTAMP: {
            auto ts = Load<ISC_TIMESTAMP>(p);
            row.emplace_back(S(DateTime{DecodeDate(ts.timestamp_date), DecodeTime(ts.timestamp_time)}));
            break;
        }
        case SQL_BLOB:
            row.emplace_back(S(ReadBlob(attachment, transaction, Load<ISC_QUAD>(p))));
            break;
        case SQL_BOOLEAN:
            row.emplace_back(S(static_cast<int64_t>(*p != 0)));
            break;
        default: // arrays and types this program never reads
            row.emplace_back();
            break;
        }
    }
}

// ---- cursor

void Cursor::Open(FbConnection& connection, const std::string& sql)
{
    Close();
    try {
        attachment_ = connection.Attachment();
        transaction_ = connection.StartTransaction();
        Status status;
        statement_.reset(attachment_->prepare(&status, transaction_.get(), static_cast<unsigned>(sql.size()),
                                              sql.data(), connection.Dialect(), IStatement::PREPARE_PREFETCH_METADATA));
        metadata_.reset(statement_->getOutputMetadata(&status));
        decoder_.Prepare(metadata_.get());
        buffer_.assign(std::max(decoder_.MessageLength(), 1u), 0);
        resultSet_.reset(statement_->openCursor(&status, transaction_.get(), nullptr, nullptr, metadata_.get(), 0));
    } catch (...) {
        Close();
        throw;
    }
}

void QueryIn(FbConnection& connection, ITransaction* transaction, const std::string& sql, FieldList& fields,
             std::vector<Row>& rows)
{
    IAttachment* attachment = connection.Attachment();
    Status status;
    Ref<IStatement> statement(attachment->prepare(&status, transaction, static_cast<unsigned>(sql.size()), sql.data(),
                                                  connection.Dialect(), IStatement::PREPARE_PREFETCH_METADATA));
    Ref<IMessageMetadata> metadata(statement->getOutputMetadata(&status));
    RowDecoder decoder;
    decoder.Prepare(metadata.get());
    std::vector<unsigned char> buffer(std::max(decoder.MessageLength(), 1u), 0);
    Ref<IResultSet> resultSet(statement->openCursor(&status, transaction, nullptr, nullptr, metadata.get(), 0));
    while (resultSet->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
        rows.emplace_back();
        decoder.Decode(buffer.data(), rows.back(), attachment, transaction);
    }
    fields = decoder.Fields();
}

bool Cursor::Fetch(Row& row)
{
    if (!resultSet_)
        return false;
    Status status;
    if (resultSet_->fetchNext(&status, buffer_.data()) != IStatus::RESULT_OK)
        return false;
    decoder_.Decode(buffer_.data(), row, attachment_, transaction_.get());
    return true;
}

void Cursor::FetchAll(std::vector<Row>& rows)
{
    if (!resultSet_)
        return;
    Status status;
    while (resultSet_->fetchNext(&status, buffer_.data()) == IStatus::RESULT_OK) {
        rows.emplace_back();
        decoder_.Decode(buffer_.data(), rows.back(), attachment_, transaction_.get());
    }
}

void Cursor::Close() noexcept
{
    resultSet_.reset();
    statement_.reset();
    metadata_.reset();
    if (transaction_) {
        try {
            Commit(transaction_);
        } catch (...) {
            // A query changes nothing; a failed commit is rolled back below.
        }
        transaction_.reset();
    }
    attachment_ = nullptr;
}

// ---- prepared command with parameters

void PreparedCommand::Prepare(FbConnection& connection, ITransaction* transaction, const std::string& sql)
{
    Status status;
    attachment_ = connection.Attachment();
    dialect_ = connection.Dialect();
    statement_.reset(attachment_->prepare(&status, transaction, static_cast<unsigned>(sql.size()), sql.data(), dialect_,
                                          IStatement::PREPARE_PREFETCH_METADATA));
    input_.reset(statement_->getInputMetadata(&status));
    buffer_.assign(std::max(input_->getMessageLength(&status), 1u), 0);
}

void PreparedCommand::Execute(ITransaction* transaction, const Row& parameters)
{
    Status status;
    unsigned count = input_->getCount(&status);
    if (parameters.size() != count)
        throw DbError("Liczba parametrów nie zgadza się z poleceniem"_cp);
    unsigned char* message = buffer_.data();
    for (unsigned i = 0; i < count; ++i) {
        const Value& value = parameters[i];
        unsigned char* p = message + input_->getOffset(&status, i);
        Store<short>(message + input_->getNullOffset(&status, i), value.IsNull() ? -1 : 0);
        if (value.IsNull())
            continue;
        unsigned type = input_->getType(&status, i) & ~1u;
        unsigned length = input_->getLength(&status, i);
        int scale = input_->getScale(&status, i);
        switch (type) {
        case SQL_VARYING:
        case SQL_TEXT: {
            std::string text = value.AsString();
            if (text.size() > length)
                throw DbError("Tekst dłuższy niż pole: "_cp + text);
            if (type == SQL_VARYING) {
                Store<unsigned short>(p, static_cast<unsigned short>(text.size()));
                std::memcpy(p + 2, text.data(), text.size());
            } else {
                std::memset(p, ' ', length);
                std::memcpy(p, text.data(), text.size());
            }
            break;
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            // The amount in units of the column's scale, worked out in 128 bits: a number the column cannot hold
            // is refused instead of being stored wrapped around.
            const Decimal d = value.AsDecimal();
            __int128 wide = d.unscaled;
            for (int s = d.scale; s < -scale; ++s)
                wide *= 10;
            for (int s = -scale; s < d.scale; ++s)
                wide /= 10; // extra decimals are cut toward zero
            const __int128 limit = type == SQL_SHORT ? INT16_MAX : type == SQL_LONG ? INT32_MAX : INT64_MAX;
            if (wide > limit || wide < -limit - 1)
                throw DbError("Liczba nie mieści się w polu: "_cp + value.AsString());
            const int64_t v = static_cast<int64_t>(wide);
            if (type == SQL_SHORT)
                Store<int16_t>(p, static_cast<int16_t>(v));
            else if (type == SQL_LONG)
                Store<int32_t>(p, static_cast<int32_t>(v));
            else
                Store<int64_t>(p, v);
            break;
        }
        case SQL_FLOAT:
            Store<float>(p, static_cast<float>(value.AsFloat()));
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            Store<double>(p, value.AsFloat());
            break;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIMESTAMP: {
            DateTime dt;
            if (auto d = std::get_if<Date>(&value.Data()))
                dt.date = *d;
            else if (auto t = std::get_if<TimeOfDay>(&value.Data()))
                dt.time = *t;
            else if (auto s = std::get_if<DateTime>(&value.Data()))
                dt = *s;
            else
                throw DbError("Wartość nie jest datą: "_cp + value.AsString());
            if (type == SQL_TYPE_DATE)
                Store<ISC_DATE>(p, EncodeDate(dt.date));
            else if (type == SQL_TYPE_TIME)
                Store<ISC_TIME>(p, EncodeTime(dt.time));
            else
                Store<ISC_TIMESTAMP>(p, ISC_TIMESTAMP{EncodeDate(dt.date), EncodeTime(dt.time)});
            break;
        }
        case SQL_BLOB: {
            std::string text = value.AsString();
            ISC_QUAD id{};
            Ref<IBlob> blob(attachment_->createBlob(&status, transaction, &id, 0, nullptr));
            for (size_t done = 0; done < text.size();) {
                unsigned part = static_cast<unsigned>(std::min<size_t>(text.size() - done, 32768));
                blob->putSegment(&status, part, text.data() + done);
                done += part;
            }
            blob->close(&status);
            blob.forget();
            Store<ISC_QUAD>(p, id);
            break;
        }
        case SQL_BOOLEAN:
            *p = value.AsInteger() != 0;
            break;
        default:
            throw DbError("Nieobsługiwany typ parametru"_cp);
        }
    }
    statement_->execute(&status, transaction, input_.get(), message, nullptr, nullptr);
}

} // namespace fb

// ---- connection

FbConnection::FbConnection() = default;

FbConnection::~FbConnection()
{
    Close();
}

void fb::UseUtf8FileNames()
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

void FbConnection::Open(const fb::ConnectParams& params)
{
    Attach(params, nullptr);
}

void FbConnection::Create(const fb::ConnectParams& params, const fb::CreateParams& create)
{
    Attach(params, &create);
}

void FbConnection::Attach(const fb::ConnectParams& params, const fb::CreateParams* create)
{
    Close();
    if (!provider_)
        provider_.reset(fb::Master()->getDispatcher());
    fb::Status status;
    fb::Ref<IXpbBuilder> dpb(fb::Util()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0));
    if (!params.user.empty())
        dpb->insertString(&status, isc_dpb_user_name, params.user.c_str());
    if (!params.password.empty())
        dpb->insertString(&status, isc_dpb_password, params.password.c_str());
    if (!params.role.empty())
        dpb->insertString(&status, isc_dpb_sql_role_name, params.role.c_str());
    if (!params.charset.empty())
        dpb->insertString(&status, isc_dpb_lc_ctype, params.charset.c_str());
    dpb->insertInt(&status, isc_dpb_sql_dialect, params.dialect);
    if (!params.providers.empty())
        dpb->insertString(&status, isc_dpb_config, ("Providers=" + params.providers).c_str());
    if (create) {
        dpb->insertInt(&status, isc_dpb_page_size, create->pageSize);
        if (!create->defaultCharset.empty())
            dpb->insertString(&status, isc_dpb_set_db_charset, create->defaultCharset.c_str());
        if (!create->forcedWrites)
            dpb->insertInt(&status, isc_dpb_force_write, 0);
    }
    // The path comes from the configuration in Windows-1250, like every text of the program, while Firebird takes a
    // file name in the system's character set unless told it is UTF-8. A path with Polish letters is handed over in
    // UTF-8, marked as such, so that no conversion through the locale can fail on it; the connection's data stay
    // in WIN1250 (isc_dpb_lc_ctype).
    std::string database = params.database;
    if (std::any_of(database.begin(), database.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        database = Win1250ToUtf8(database);
        dpb->insertTag(&status, isc_dpb_utf8_filename);
    }
    unsigned length = dpb->getBufferLength(&status);
    const unsigned char* buffer = dpb->getBuffer(&status);
    IAttachment* attachment = create ? provider_->createDatabase(&status, database.c_str(), length, buffer)
                                     : provider_->attachDatabase(&status, database.c_str(), length, buffer);
    attachment_.reset(attachment);
    dialect_ = params.dialect;
}

void FbConnection::Close() noexcept
{
    attachment_.reset();
}

IAttachment* FbConnection::Attachment() const
{
    if (!attachment_)
        throw DbError(NotConnectedText);
    return attachment_.get();
}

fb::Ref<ITransaction> FbConnection::StartTransaction()
{
    static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                        isc_tpb_wait};
    fb::Status status;
    return fb::Ref<ITransaction>(Attachment()->startTransaction(&status, sizeof tpb, tpb));
}

void FbConnection::Execute(fb::Ref<ITransaction>& transaction, const std::string& sql)
{
    fb::Status status;
    ITransaction* after = Attachment()->execute(&status, transaction.get(), static_cast<unsigned>(sql.size()),
                                                sql.data(), dialect_, nullptr, nullptr, nullptr, nullptr);
    if (after != transaction.get()) {
        // The statement itself ended the transaction (COMMIT, ROLLBACK) or started another one.
        transaction.forget();
        transaction.reset(after);
    }
}

// ---- database errors as the operator sees them

bool DbError::Has(intptr_t code) const
{
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

bool fb::DbErrorIsConflict(const DbError& error)
{
    return error.Has(isc_lock_conflict) || error.Has(isc_update_conflict) || error.Has(isc_deadlock) ||
           error.Has(isc_concurrent_transaction);
}

bool DbError::DatabaseBusy() const
{
    return Has(isc_already_opened);
}

std::string DbError::OperatorText() const
{
    struct Advice {
        std::vector<intptr_t> codes;
        const char* text;
    };
    static const std::vector<Advice> advice = {
        {{isc_dsql_relation_err},
         "W bazie danych brakuje tabeli. Sprawdź datę sprzedaży (kartoteka towarów jest osobna dla każdego roku) i czy wybrano właściwą bazę."_cp},
        {{isc_dsql_field_err},
         "W tabeli bazy danych brakuje pola. Sprawdź ustawienia programu (np. nazwę pola z ceną)."_cp},
        {{isc_network_error, isc_net_connect_err, isc_net_read_err, isc_net_write_err, isc_conn_lost, isc_att_shutdown,
          isc_shutdown, isc_bad_db_handle, isc_unavailable},
         "Utracono połączenie z serwerem bazy danych. Sprawdź serwer i sieć, a potem uruchom program ponownie."_cp},
        {{isc_lock_conflict, isc_deadlock, isc_update_conflict},
         "Dane są w tej chwili zmieniane przez innego użytkownika bazy. Spróbuj ponownie za chwilę."_cp},
        {{isc_already_opened},
         "Plik bazy danych jest otwarty przez inny program wbudowanym silnikiem Firebird (np. Tarlo_db). Zamknij tamten program albo połącz oba przez lokalny serwer Firebird."_cp},
        {{isc_io_error},
         "Serwer nie ma dostępu do pliku bazy danych. Sprawdź ścieżkę do bazy i czy plik istnieje na serwerze."_cp},
        {{isc_login}, "Serwer odrzucił nazwę użytkownika lub hasło."_cp},
        {{isc_no_priv}, "Brak uprawnień do tych danych w bazie. Zaloguj się jako administrator bazy."_cp},
    };
    std::string text = "Błąd bazy danych."_cp;
    for (const Advice& a : advice) {
        if (std::any_of(a.codes.begin(), a.codes.end(), [this](intptr_t code) { return Has(code); })) {
            text += std::string(" ") + a.text;
            break;
        }
    }
    return text + "\n" + what();
}

std::string OperatorText(const std::exception& error)
{
    const auto* db = dynamic_cast<const DbError*>(&error);
    return db != nullptr ? db->OperatorText() : std::string(error.what());
}

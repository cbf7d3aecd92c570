#include "SqlDatabase.h"

#include <sqlite3.h>

#include <cctype>

SqlDatabase::SqlDatabase(const QString &path, bool create)
{
    // One thread uses a connection: the engine need not lock for it.
    // A "file:" URI may ask for more (mode=ro opens the file read-only).
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI |
                      (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError(message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    // A lock held by another connection or process (a second window, a
    // backup tool) is waited for before a statement gives up.
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
}

SqlDatabase::~SqlDatabase()
{
    sqlite3_close(m_db);
}

bool SqlDatabase::readOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

void SqlDatabase::setKey(const QByteArray &key)
{
    check(sqlite3_key(m_db, key.constData(), int(key.size())));
}

void SqlDatabase::execute(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(m_db);
        sqlite3_free(error);
        throw StoreError(message);
    }
}

void SqlDatabase::check(int rc) const
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw StoreError(sqlite3_errmsg(m_db));
}

SqlStatement::SqlStatement(SqlDatabase &db, const char *sql) : m_db(db)
{
    const char *tail = nullptr;
    db.check(sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, &tail));
    while (tail && std::isspace(static_cast<unsigned char>(*tail)))
        ++tail;
    if (!m_stmt || (tail && *tail)) {
        sqlite3_finalize(m_stmt);
        throw StoreError(std::string("not a single statement: ") + sql);
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

SqlCursor::SqlCursor(SqlStatement &statement) : m_statement(statement) {}

SqlCursor::~SqlCursor()
{
    sqlite3_reset(m_statement.m_stmt);
    sqlite3_clear_bindings(m_statement.m_stmt);
}

SqlCursor &SqlCursor::bind(int index, std::int64_t value)
{
    m_statement.m_db.check(sqlite3_bind_int64(m_statement.m_stmt, index, value));
    return *this;
}

SqlCursor &SqlCursor::bind(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    // SQLITE_TRANSIENT (the engine copies the text) is the C API's (void *)-1.
    m_statement.m_db.check(
        sqlite3_bind_text(m_statement.m_stmt, index, utf8.constData(), int(utf8.size()),
                          SQLITE_TRANSIENT)); // NOLINT(performance-no-int-to-ptr)
    return *this;
}

bool SqlCursor::step()
{
    const int rc = sqlite3_step(m_statement.m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement's own error, before a reset can replace it.
    throw StoreError(sqlite3_errmsg(m_statement.m_db.handle()));
}

void SqlCursor::run()
{
    while (step()) {
    }
}

std::int64_t SqlCursor::columnInt(int column) const
{
    return sqlite3_column_int64(m_statement.m_stmt, column);
}

QString SqlCursor::columnText(int column) const
{
    const auto *text =
        reinterpret_cast<const char *>(sqlite3_column_text(m_statement.m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement.m_stmt, column));
}

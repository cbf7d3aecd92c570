#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

// One connection to an encrypted database file.
class SqlDatabase
{
public:
    // Opens an existing file read-write; never creates one. With `create`
    // the file is made when missing (used only by the creation tool).
    SqlDatabase(const QString &path, bool create = false);
    static constexpr int BusyTimeoutMs = 5000;
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase &) = delete;
    SqlDatabase &operator=(const SqlDatabase &) = delete;

    // Applies the encryption key (before the first read).
    void setKey(const QByteArray &key);
    // True when the file could be opened for reading only (its mode, a
    // read-only disk).
    bool readOnly() const;
    // Runs statements that return no rows.
    void execute(const char *sql);

    sqlite3 *handle() const { return m_db; }
    // Throws a StoreError with the engine's message when rc is an error.
    void check(int rc) const;

private:
    sqlite3 *m_db = nullptr;
};

class SqlCursor;

// One prepared statement, run through a SqlCursor. Holds exactly one
// statement: text after it is refused when it is prepared, so that nothing
// is silently left unrun.
class SqlStatement
{
public:
    SqlStatement(SqlDatabase &db, const char *sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

private:
    friend class SqlCursor;
    SqlDatabase &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

// One run of a statement: parameters are bound 1-based, columns read
// 0-based. The statement is reset and its bindings cleared when the cursor
// goes, however the run ended, so the next run starts clean.
class SqlCursor
{
public:
    explicit SqlCursor(SqlStatement &statement);
    ~SqlCursor();
    SqlCursor(const SqlCursor &) = delete;
    SqlCursor &operator=(const SqlCursor &) = delete;

    SqlCursor &bind(int index, std::int64_t value);
    SqlCursor &bind(int index, const QString &text);

    // Advances to the next row; false when there is none left.
    bool step();
    // Runs a statement that returns no row.
    void run();

    std::int64_t columnInt(int column) const;
    QString columnText(int column) const;

private:
    SqlStatement &m_statement;
};

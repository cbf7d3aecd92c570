#pragma once

#include "ShouluRow.h"
#include "SqlDatabase.h"

#include "AnswerOutcome.h"
#include "QueryResult.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The saved domain list and the history of completed queries, in the
// encrypted database file setting.dat. Used from the main thread only.
class ResultStore
{
public:
    static constexpr const char *DefaultFileName = "setting.dat";
    // The database password, as UTF-8 text.
    static const QByteArray &password();

    // Opens an existing store file; never creates anything. Throws
    // StoreOpenError when the file is missing, is not an encrypted database
    // with this password, or lacks the tables; the file is left as it was.
    explicit ResultStore(const QString &path = DefaultFileName);
    ~ResultStore();
    ResultStore(const ResultStore &) = delete;
    ResultStore &operator=(const ResultStore &) = delete;

    // Makes a new, empty store file with the schema at `path`. Refuses
    // (throws StoreError) when a file is there already.
    static void create(const QString &path = DefaultFileName);

    // Appends the domain, trimmed, unless the text as given is stored
    // already (letter case ignored).
    void addDomain(const QString &domain);
    // Removes every saved domain; the history stays.
    void DeleteDomain();
    // The saved list, in saving order.
    QStringList domains();
    // What the domain list dialog saves: the old list removed and every
    // line added as addDomain does, in one transaction, so that a failure
    // leaves the stored list as it was.
    void replaceDomains(const QStringList &lines);
    // Appends one history row: the domain (trimmed), the answers and the
    // time the run began, whose calendar date is the row's day.
    // With `answers`, their outcomes go into the answer table in the same
    // transaction: the row and its seven outcomes are stored together or
    // not at all.
    void addshoulu(const QString &domain, const QDateTime &queryTime, const QueryResult &result,
                   const std::optional<AnswerRecords> &answers = std::nullopt);

    // The latest row of every saved domain that has rows, newest first.
    QList<ShouluRow> latestRows();
    // The last row of each day on which the domain has rows, newest first;
    // nothing when the domain is not saved.
    QList<ShouluRow> dayHistory(const QString &domain);
    // The 30 newest rows of dayHistory.
    QList<ShouluRow> chartRows(const QString &domain);

    // Why nothing can be written to this store (the engine's text), or
    // empty when it can be. A valid store on a read-only file still opens
    // and reads.
    QString writeProblem();

    // Whether commits fold the write-ahead log back into the file when it
    // grows (on by default). A window that checkpoints from its background
    // reader turns it off, so that no commit on the main thread has to
    // copy the log.
    void setAutoCheckpoint(bool on);
    // Folds as much of the log into the file as can be done without
    // waiting for anyone.
    void checkpoint();

    // Several operations as one: committed by commit(), rolled back when
    // left without it (an exception on the way).
    class Transaction
    {
    public:
        explicit Transaction(ResultStore &store);
        ~Transaction();
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;
        void commit();

    private:
        ResultStore &m_store;
        bool m_open = true;
    };

private:
    static QList<ShouluRow> readRows(SqlCursor &cursor);
    void insertRow(const QString &domain, const QDateTime &queryTime, const QueryResult &result);

    std::unique_ptr<SqlDatabase> m_db;
    struct Statements;
    std::unique_ptr<Statements> m_statements;
};

#include "ResultStore.h"

#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr const char *Schema = R"sql(
create table domain(id INTEGER PRIMARY KEY AUTOINCREMENT, domain TEXT COLLATE NOCASE);
create table shoulu(id INTEGER PRIMARY KEY AUTOINCREMENT, domain TEXT COLLATE NOCASE,
    baidu INTEGER, baidu1 INTEGER, baidu7 INTEGER, baidu30 INTEGER, baidu360 INTEGER,
    baidudomain INTEGER, baiduindex TEXT, baiduisfirst INTEGER,
    yyyy INTEGER, mm INTEGER, dd INTEGER, searchtime TEXT);
create index domain_by_name on domain(domain);
create index shoulu_latest on shoulu(domain, id);
create index shoulu_by_day on shoulu(domain, yyyy, mm, dd, id, searchtime);
)sql";

// What each answer of a row was; written with the row.
constexpr const char *AnswerSchema =
    "create table if not exists answer(shoulu_id INTEGER NOT NULL, kind INTEGER NOT NULL,"
    " outcome TEXT NOT NULL, status INTEGER NOT NULL, PRIMARY KEY(shoulu_id, kind));";

// The outcomes of the row being read, as "kind:outcome:status,…".
constexpr const char *AnswersColumn =
    "(select group_concat(a.kind || ':' || a.outcome || ':' || a.status)"
    " from answer a where a.shoulu_id = shoulu.id)";

const char *const DomainColumns[] = {"id", "domain"};
// The history table's columns in the order every statement reads them.
const char *const ShouluColumns[] = {
    "id",          "domain",     "baidu",        "baidu1", "baidu7", "baidu30", "baidu360",
    "baidudomain", "baiduindex", "baiduisfirst", "yyyy",   "mm",     "dd",      "searchtime"};
constexpr int ShouluColumnCount = int(std::size(ShouluColumns));

std::string joined(int first, const char *separator)
{
    std::string out;
    for (int i = first; i < ShouluColumnCount; ++i) {
        if (i > first)
            out += separator;
        out += ShouluColumns[i];
    }
    return out;
}

std::string selectRows(const std::string &rest)
{
    return "select " + joined(0, ", ") + ", " + AnswersColumn + " from shoulu " + rest;
}

std::optional<AnswerRecords> readAnswers(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    AnswerRecords records{};
    int seen = 0;
    for (const QString &item : text.split(u',')) {
        const QStringList parts = item.split(u':');
        bool kindOk = false, statusOk = false;
        const int kind = parts.value(0).toInt(&kindOk);
        const int status = parts.value(2).toInt(&statusOk);
        const std::optional<AnswerOutcome> read = outcome::fromName(parts.value(1));
        if (parts.size() != 3 || !kindOk || !statusOk || !read || kind < 0 || kind > 6)
            return std::nullopt; // not written by this program
        records[std::size_t(kind)] = AnswerRecord{*read, status};
        ++seen;
    }
    return seen == 7 ? std::optional(records) : std::nullopt;
}

std::string insertRowSql()
{
    std::string values;
    for (int i = 1; i < ShouluColumnCount; ++i)
        values += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return "insert into shoulu(" + joined(1, ", ") + ") values (" + values + ")";
}

// Latest row of every saved domain. The greatest id of each saved domain is
// found through the (domain, id) index instead of grouping the whole table;
// for a saved domain this is the same as grouping all rows, and every row
// it yields belongs to a saved domain.
const std::string LatestSql =
    selectRows("where id in (select (select max(s.id) from shoulu s where s.domain = d.domain)"
               " from domain d) order by searchtime desc, id desc");
// The last row of each day of one domain.
const std::string DayHistorySql =
    selectRows("where domain in (select domain from domain)"
               " and id in (select max(id) from shoulu where domain = ?1 group by yyyy, mm, dd)"
               " order by searchtime desc, id desc");
// The 30 newest of those. The 30 ids are chosen on the by-day index alone
// (searchtime of each day's greatest id rides along with max()), so that
// only 30 rows are read from the table.
const std::string ChartSql =
    selectRows("where domain in (select domain from domain)"
               " and id in (select id from (select max(id) as id, searchtime as st from shoulu"
               " where domain = ?1 group by yyyy, mm, dd) order by st desc, id desc limit 30)"
               " order by searchtime desc, id desc");

// Removes leading and trailing characters of code 32 or below.
QString trimmed(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

void applySettings(SqlDatabase &db)
{
    if (db.readOnly()) {
        // Nothing can be written, the journal mode included; reading works.
        db.execute("pragma cache_size = -32768;");
        return;
    }
    // A committed row must survive a crash of the process or the machine:
    // write-ahead log, synced at every commit. The log also lets the
    // overview be read on a second connection while rows are written.
    db.execute("pragma journal_mode = wal; pragma synchronous = full;");
    // Pages are decrypted on every cache miss: keep the hot ones (about 32 MB).
    db.execute("pragma cache_size = -32768;");
}

// Proves key and schema with reads only.
void checkSchema(SqlDatabase &db)
{
    auto columnsOf = [&db](const char *table) {
        SqlStatement info(db, (std::string("pragma table_info(") + table + ")").c_str());
        SqlCursor rows(info);
        QStringList names;
        while (rows.step())
            names << rows.columnText(1).toLower();
        return names;
    };
    const QStringList domain = columnsOf("domain");
    for (const char *column : DomainColumns) {
        if (!domain.contains(QLatin1String(column)))
            throw StoreError(std::string("table domain lacks column ") + column);
    }
    const QStringList shoulu = columnsOf("shoulu");
    for (const char *column : ShouluColumns) {
        if (!shoulu.contains(QLatin1String(column)))
            throw StoreError(std::string("table shoulu lacks column ") + column);
    }
}

} // namespace

struct ResultStore::Statements
{
    explicit Statements(SqlDatabase &db)
        : findDomain(db, "select 1 from domain where domain = ?1 limit 1"),
          insertDomain(db, "insert into domain(domain) values (?1)"),
          deleteDomains(db, "delete from domain"),
          listDomains(db, "select domain from domain order by id"),
          insertShoulu(db, ::insertRowSql().c_str()),
          insertAnswer(db, "insert into answer(shoulu_id, kind, outcome, status)"
                           " values (?1, ?2, ?3, ?4)"),
          latest(db, LatestSql.c_str()), dayHistory(db, DayHistorySql.c_str()),
          chart(db, ChartSql.c_str())
    {}
    SqlStatement findDomain, insertDomain, deleteDomains, listDomains, insertShoulu, insertAnswer;
    SqlStatement latest, dayHistory, chart;
};

const QByteArray &ResultStore::password()
{
    static const QByteArray key = QStringLiteral("松风竹影山高水长云淡").toUtf8();
    return key;
}

ResultStore::ResultStore(const QString &path)
{
    try {
        m_db = std::make_unique<SqlDatabase>(path);
        m_db->setKey(password());
        checkSchema(*m_db);
        applySettings(*m_db);
        // A store from before outcomes were kept gets their table now.
        if (!m_db->readOnly())
            m_db->execute(AnswerSchema);
        m_statements = std::make_unique<Statements>(*m_db);
    } catch (const StoreError &e) {
        throw StoreOpenError(e.what());
    }
}

ResultStore::~ResultStore() = default;

void ResultStore::create(const QString &path)
{
    // Claim the name atomically so that an existing file is never touched.
    // Only the user may read it; the engine gives its log and shared-memory
    // files the same mode.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        throw StoreError("cannot create " + path.toStdString() + ": " + std::strerror(errno));
    ::close(fd);
    try {
        SqlDatabase db(path, false);
        db.setKey(password());
        db.execute("begin");
        db.execute(Schema);
        db.execute(AnswerSchema);
        db.execute("commit");
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void ResultStore::addDomain(const QString &domain)
{
    {
        SqlCursor find(m_statements->findDomain);
        if (find.bind(1, domain).step())
            return;
    }
    SqlCursor(m_statements->insertDomain).bind(1, trimmed(domain)).run();
}

void ResultStore::DeleteDomain()
{
    SqlCursor(m_statements->deleteDomains).run();
}

QStringList ResultStore::domains()
{
    SqlCursor list(m_statements->listDomains);
    QStringList saved;
    while (list.step())
        saved << list.columnText(0);
    return saved;
}

void ResultStore::replaceDomains(const QStringList &lines)
{
    Transaction save(*this);
    DeleteDomain();
    for (const QString &line : lines)
        addDomain(line);
    save.commit();
}

void ResultStore::addshoulu(const QString &domain, const QDateTime &queryTime, const QueryResult &r,
                            const std::optional<AnswerRecords> &answers)
{
    if (answers) {
        // A savepoint, so that this also works inside a caller's transaction.
        m_db->execute("savepoint row");
        try {
            insertRow(domain, queryTime, r);
            const std::int64_t id = sqlite3_last_insert_rowid(m_db->handle());
            for (int kind = 0; kind < int(answers->size()); ++kind) {
                const AnswerRecord &a = (*answers)[std::size_t(kind)];
                SqlCursor(m_statements->insertAnswer)
                    .bind(1, id)
                    .bind(2, kind)
                    .bind(3, outcome::name(a.outcome))
                    .bind(4, a.status)
                    .run();
            }
            m_db->execute("release row");
        } catch (...) {
            try {
                m_db->execute("rollback to row; release row");
            } catch (const StoreError &) {
                // The engine rolled back already.
            }
            throw;
        }
        return;
    }
    insertRow(domain, queryTime, r);
}

void ResultStore::insertRow(const QString &domain, const QDateTime &queryTime, const QueryResult &r)
{
    const QDate day = queryTime.date();
    SqlCursor(m_statements->insertShoulu)
        .bind(1, trimmed(domain))
        .bind(2, r.baidu)
        .bind(3, r.baidu1)
        .bind(4, r.baidu7)
        .bind(5, r.baidu30)
        .bind(6, r.baidu360)
        .bind(7, r.baidudomain)
        .bind(8, datetime::toText(r.baiduindex))
        .bind(9, r.baiduisfirst ? 1 : 0)
        .bind(10, day.year())
        .bind(11, day.month())
        .bind(12, day.day())
        .bind(13, datetime::toText(queryTime))
        .run();
}

QList<ShouluRow> ResultStore::readRows(SqlCursor &cursor)
{
    QList<ShouluRow> rows;
    while (cursor.step()) {
        ShouluRow row;
        row.id = cursor.columnInt(0);
        row.domain = cursor.columnText(1);
        QueryResult &r = row.result;
        r.baidu = std::int32_t(cursor.columnInt(2));
        r.baidu1 = std::int32_t(cursor.columnInt(3));
        r.baidu7 = std::int32_t(cursor.columnInt(4));
        r.baidu30 = std::int32_t(cursor.columnInt(5));
        r.baidu360 = std::int32_t(cursor.columnInt(6));
        r.baidudomain = std::int32_t(cursor.columnInt(7));
        r.baiduindex = datetime::fromText(cursor.columnText(8));
        r.baiduisfirst = cursor.columnInt(9) != 0;
        row.yyyy = int(cursor.columnInt(10));
        row.mm = int(cursor.columnInt(11));
        row.dd = int(cursor.columnInt(12));
        row.searchtime = datetime::fromText(cursor.columnText(13));
        row.answers = readAnswers(cursor.columnText(14));
        rows.append(std::move(row));
    }
    return rows;
}

QList<ShouluRow> ResultStore::latestRows()
{
    SqlCursor cursor(m_statements->latest);
    return readRows(cursor);
}

QList<ShouluRow> ResultStore::dayHistory(const QString &domain)
{
    SqlCursor cursor(m_statements->dayHistory);
    cursor.bind(1, domain);
    return readRows(cursor);
}

QList<ShouluRow> ResultStore::chartRows(const QString &domain)
{
    SqlCursor cursor(m_statements->chart);
    cursor.bind(1, domain);
    return readRows(cursor);
}

QString ResultStore::writeProblem()
{
    if (!m_db->readOnly())
        return {};
    // The engine's own words for it.
    try {
        m_db->execute("begin immediate");
        m_db->execute("rollback");
    } catch (const StoreError &e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("attempt to write a readonly database");
}

void ResultStore::setAutoCheckpoint(bool on)
{
    m_db->execute(on ? "pragma wal_autocheckpoint = 1000;" : "pragma wal_autocheckpoint = 0;");
}

void ResultStore::checkpoint()
{
    m_db->execute("pragma wal_checkpoint(PASSIVE);");
}

ResultStore::Transaction::Transaction(ResultStore &store) : m_store(store)
{
    m_store.m_db->execute("begin immediate");
}

ResultStore::Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_store.m_db->execute("rollback");
    } catch (const StoreError &) {
        // The engine has already rolled back what it could not keep.
    }
}

void ResultStore::Transaction::commit()
{
    m_store.m_db->execute("commit");
    m_open = false;
}

#include "ResultStore.h"

#include "Codec.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

const char *const DomainColumns[] = {"id", "domain"};
const char *const ShouluColumns[] = {
    "id",          "domain",     "baidu",        "baidu1", "baidu7", "baidu30", "baidu360",
    "baidudomain", "baiduindex", "baiduisfirst", "yyyy",   "mm",     "dd",      "searchtime"};

#define SHOULU_COLUMNS                                                                             \
    "id, domain, baidu, baidu1, baidu7, baidu30, baidu360, baidudomain, baiduindex, "              \
    "baiduisfirst, yyyy, mm, dd, searchtime"

// Latest row of every saved domain. The greatest id of each saved domain is
// found through the (domain, id) index instead of grouping the whole table;
// for a saved domain this is the same as grouping all rows, and every row
// it yields belongs to a saved domain.
constexpr const char *LatestSql =
    "select " SHOULU_COLUMNS " from shoulu"
    " where id in (select (select max(s.id) from shoulu s where s.domain = d.domain)"
    " from domain d) order by searchtime desc, id desc";
// The last row of each day of one domain.
constexpr const char *DayHistorySql =
    "select " SHOULU_COLUMNS " from shoulu where domain in (select domain from domain)"
    " and id in (select max(id) from shoulu where domain = ?1 group by yyyy, mm, dd)"
    " order by searchtime desc, id desc";
// The 30 newest of those. The 30 ids are chosen on the by-day index alone
// (searchtime of each day's greatest id rides along with max()), so that
// only 30 rows are read from the table.
constexpr const char *ChartSql =
    "select " SHOULU_COLUMNS " from shoulu where domain in (select domain from domain)"
    " and id in (select id from (select max(id) as id, searchtime as st from shoulu"
    " where domain = ?1 group by yyyy, mm, dd) order by st desc, id desc limit 30)"
    " order by searchtime desc, id desc";

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
        QStringList names;
        while (info.step())
            names << info.columnText(1).toLower();
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
          insertShoulu(db, "insert into shoulu(domain, baidu, baidu1, baidu7, baidu30, baidu360,"
                           " baidudomain, baiduindex, baiduisfirst, yyyy, mm, dd, searchtime)"
                           " values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)"),
          latest(db, LatestSql), dayHistory(db, DayHistorySql), chart(db, ChartSql)
    {}
    SqlStatement findDomain, insertDomain, deleteDomains, listDomains, insertShoulu;
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
        m_statements = std::make_unique<Statements>(*m_db);
    } catch (const StoreError &e) {
        throw StoreOpenError(e.what());
    }
}

ResultStore::~ResultStore() = default;

void ResultStore::create(const QString &path)
{
    // Claim the name atomically so that an existing file is never touched.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        throw StoreError("cannot create " + path.toStdString() + ": " + std::strerror(errno));
    ::close(fd);
    try {
        SqlDatabase db(path, false);
        db.setKey(password());
        db.execute("begin");
        db.execute(Schema);
        db.execute("commit");
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void ResultStore::addDomain(const QString &domain)
{
    SqlStatement &find = m_statements->findDomain;
    find.reset();
    const bool found = find.bind(1, domain).step();
    find.reset();
    if (found)
        return;
    m_statements->insertDomain.bind(1, trimmed(domain)).run();
}

void ResultStore::DeleteDomain()
{
    m_statements->deleteDomains.run();
}

void ResultStore::loadDomain(DomainBox &box)
{
    box.clearItems();
    SqlStatement &list = m_statements->listDomains;
    list.reset();
    QString last;
    bool any = false;
    while (list.step()) {
        last = list.columnText(0);
        box.appendItem(last);
        any = true;
    }
    list.reset();
    if (any)
        box.setText(last);
}

void ResultStore::addshoulu(const QueryRun &run)
{
    const QueryResult &r = run.Result;
    const QDate day = run.QueryTime.date();
    SqlStatement &insert = m_statements->insertShoulu;
    insert.reset();
    insert.bind(1, trimmed(codec::fromCp936(run.CurrentDomain)))
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
        .bind(13, datetime::toText(run.QueryTime))
        .run();
}

QList<ShouluRow> ResultStore::readRows(SqlStatement &statement)
{
    QList<ShouluRow> rows;
    while (statement.step()) {
        ShouluRow row;
        row.id = statement.columnInt(0);
        row.domain = statement.columnText(1);
        row.baidu = std::int32_t(statement.columnInt(2));
        row.baidu1 = std::int32_t(statement.columnInt(3));
        row.baidu7 = std::int32_t(statement.columnInt(4));
        row.baidu30 = std::int32_t(statement.columnInt(5));
        row.baidu360 = std::int32_t(statement.columnInt(6));
        row.baidudomain = std::int32_t(statement.columnInt(7));
        row.baiduindex = datetime::fromText(statement.columnText(8));
        row.baiduisfirst = statement.columnInt(9) != 0;
        row.yyyy = int(statement.columnInt(10));
        row.mm = int(statement.columnInt(11));
        row.dd = int(statement.columnInt(12));
        row.searchtime = datetime::fromText(statement.columnText(13));
        rows.append(std::move(row));
    }
    statement.reset();
    return rows;
}

QList<ShouluRow> ResultStore::latestRows()
{
    m_statements->latest.reset();
    return readRows(m_statements->latest);
}

QList<ShouluRow> ResultStore::dayHistory(const QString &domain)
{
    m_statements->dayHistory.reset();
    m_statements->dayHistory.bind(1, domain);
    return readRows(m_statements->dayHistory);
}

QList<ShouluRow> ResultStore::chartRows(const QString &domain)
{
    m_statements->chart.reset();
    m_statements->chart.bind(1, domain);
    return readRows(m_statements->chart);
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

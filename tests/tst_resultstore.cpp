#include "ResultStore.h"

#include "StoreFixture.h"
#include "TestFiles.h"

#include "Codec.h"
#include "DomainList.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace {

QueryRun runFor(const QByteArray &domain, const QDateTime &time, int total)
{
    QueryRun run;
    run.CurrentDomain = domain;
    run.QueryTime = time;
    run.Result.baidu = total;
    run.Result.baidu1 = total + 1;
    run.Result.baidu7 = total + 7;
    run.Result.baidu30 = total + 30;
    run.Result.baidu360 = total + 360;
    run.Result.baidudomain = total + 5;
    run.Result.baiduindex = datetime::make(QDate(2008, 9, 5));
    run.Result.baiduisfirst = total % 2 == 0;
    return run;
}

QDateTime at(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    return datetime::make(QDate(year, month, day), QTime(hour, minute, second));
}

QList<int> totalsOf(const QList<ShouluRow> &rows)
{
    QList<int> totals;
    for (const ShouluRow &row : rows)
        totals.append(row.result.baidu);
    return totals;
}

} // namespace

class TestResultStore : public QObject
{
    Q_OBJECT
private slots:
    void addDomainLooksUpAsGivenAndStoresTrimmed_data();
    void addDomainLooksUpAsGivenAndStoresTrimmed();
    void loadDomainOrderAndText();
    void loadDomainOnEmptyListKeepsText();
    void quotingCharactersAreData_data();
    void quotingCharactersAreData();
    void rowRoundTrip();
    void latestRowPerSavedDomain();
    void latestOrderBreaksTiesByNewerId();
    void deleteHidesHistoryUntilReadded();
    void dayHistoryKeepsLastRowOfEachDay();
    void queryTimeDecidesTheDay();
    void chartKeepsThirtyNewestDays_data();
    void chartKeepsThirtyNewestDays();
    void lettercaseIsIgnoredEverywhere();
    void openFailuresLeaveFileAlone_data();
    void openFailuresLeaveFileAlone();
    void createRefusesExistingFile();
    void rolledBackSaveKeepsList();
    void statementsHoldOneStatementEach();
    void engineErrorsCarryTheEngineMessage();
    void shortLockIsWaitedFor();
    void filesOnlyTheUserCanRead();
    void readOnlyStoreOpensAndRefusesWrites();
    void answersKeptBesideTheRow();
    void rowAndOutcomesStandOrFallTogether();
    void storeWithoutAnswerTableGetsIt();
    void committedRowSurvivesKill();
};

void TestResultStore::addDomainLooksUpAsGivenAndStoresTrimmed_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("same text twice") << QStringList{"a.com", "a.com"} << QStringList{"a.com"};
    QTest::newRow("other letter case")
        << QStringList{"Example.com", "EXAMPLE.COM"} << QStringList{"Example.com"};
    QTest::newRow("leading blank stores again")
        << QStringList{"a.com", " a.com"} << QStringList{"a.com", "a.com"};
    QTest::newRow("trimmed on store") << QStringList{"\t b.com \r\n"} << QStringList{"b.com"};
    QTest::newRow("empty text") << QStringList{"", ""} << QStringList{""};
    QTest::newRow("non-ascii") << QStringList{"中文.com", "中文.com"} << QStringList{"中文.com"};
}

void TestResultStore::addDomainLooksUpAsGivenAndStoresTrimmed()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, stored);
    StoreFixture f;
    for (const QString &domain : added)
        f.store->addDomain(domain);
    QCOMPARE(f.store->domains(), stored);
}

void TestResultStore::loadDomainOrderAndText()
{
    StoreFixture f;
    for (const char *d : {"c.com", "a.com", "b.com"})
        f.store->addDomain(QString::fromLatin1(d));
    PlainDomainList box({"stale"});
    box.load(f.store->domains());
    QCOMPARE(box.items(), (QStringList{"c.com", "a.com", "b.com"}));
    QCOMPARE(box.text(), QStringLiteral("b.com"));
}

void TestResultStore::loadDomainOnEmptyListKeepsText()
{
    StoreFixture f;
    PlainDomainList box({"stale"}, QStringLiteral("typed.com"));
    box.load(f.store->domains());
    QVERIFY(box.items().isEmpty());
    QCOMPARE(box.text(), QStringLiteral("typed.com"));
}

void TestResultStore::quotingCharactersAreData_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("lookalike");
    QTest::newRow("single quote") << "it's.com"
                                  << "its.com";
    QTest::newRow("closing quote and or") << "x' or '1'='1"
                                          << "x";
    QTest::newRow("double quote") << "a\"b.com"
                                  << "ab.com";
    QTest::newRow("percent") << "a%.com"
                             << "ab.com";
    QTest::newRow("underscore") << "a_c.com"
                                << "abc.com";
    QTest::newRow("semicolon and drop") << "a.com'; delete from shoulu; --"
                                        << "a.com";
    QTest::newRow("comment") << "a.com--"
                             << "a.com";
    QTest::newRow("backslash") << "a\\'.com"
                               << "a\\.com";
}

void TestResultStore::quotingCharactersAreData()
{
    QFETCH(QString, domain);
    QFETCH(QString, lookalike);
    StoreFixture f;
    f.store->addDomain(lookalike);
    f.store->addDomain(domain);
    f.store->addDomain(domain); // found, not stored twice
    addRow(*f.store, runFor(codec::toCp936(domain), at(2020, 1, 1), 10));
    addRow(*f.store, runFor(codec::toCp936(lookalike), at(2020, 1, 1), 20));

    QCOMPARE(f.store->domains(), (QStringList{lookalike, domain}));
    const QList<ShouluRow> history = f.store->dayHistory(domain);
    QCOMPARE(history.size(), 1);
    QCOMPARE(history[0].domain, domain);
    QCOMPARE(history[0].result.baidu, 10);
    QCOMPARE(f.store->chartRows(domain).size(), 1);
    QCOMPARE(f.store->latestRows().size(), 2);
}

void TestResultStore::rowRoundTrip()
{
    StoreFixture f;
    f.store->addDomain(QStringLiteral("中文.com"));
    QueryRun run;
    run.CurrentDomain = codec::toCp936(u" 中文.com\t");
    run.QueryTime = at(2024, 2, 29, 23, 59, 58);
    run.Result.baidu = -1;
    run.Result.baidu1 = 0;
    run.Result.baidu7 = 2147483647;
    run.Result.baidu30 = 30;
    run.Result.baidu360 = 360;
    run.Result.baidudomain = -1;
    run.Result.baiduindex = datetime::noSnapshot();
    run.Result.baiduisfirst = true;
    addRow(*f.store, run);

    const QList<ShouluRow> rows = f.store->latestRows();
    QCOMPARE(rows.size(), 1);
    const ShouluRow &row = rows[0];
    QCOMPARE(row.domain, QStringLiteral("中文.com"));
    QCOMPARE(row.result.baidu, -1);
    QCOMPARE(row.result.baidu1, 0);
    QCOMPARE(row.result.baidu7, 2147483647);
    QCOMPARE(row.result.baidu30, 30);
    QCOMPARE(row.result.baidu360, 360);
    QCOMPARE(row.result.baidudomain, -1);
    QCOMPARE(row.result.baiduindex, datetime::noSnapshot());
    QCOMPARE(row.result.baiduisfirst, true);
    QCOMPARE(row.yyyy, 2024);
    QCOMPARE(row.mm, 2);
    QCOMPARE(row.dd, 29);
    QCOMPARE(row.searchtime, run.QueryTime);

    // The zero date-time of a slot that never got an answer reads back too.
    QueryRun fresh;
    fresh.CurrentDomain = codec::toCp936(u"中");
    fresh.QueryTime = at(2024, 3, 1);
    addRow(*f.store, fresh);
    f.store->addDomain(QStringLiteral("中"));
    QCOMPARE(f.store->dayHistory(QStringLiteral("中")).value(0).result.baiduindex,
             datetime::zero());
}

void TestResultStore::latestRowPerSavedDomain()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    f.store->addDomain("b.com");
    addRow(*f.store, runFor("a.com", at(2020, 1, 1), 1));
    addRow(*f.store, runFor("b.com", at(2020, 1, 2), 2));
    addRow(*f.store, runFor("a.com", at(2020, 1, 3), 3));
    addRow(*f.store, runFor("gone.com", at(2020, 1, 4), 4)); // not saved
    // The latest row of a domain is its greatest id even when an older
    // query time was stored after it.
    addRow(*f.store, runFor("b.com", at(2019, 1, 1), 5));
    const QList<ShouluRow> rows = f.store->latestRows();
    QCOMPARE(totalsOf(rows), (QList<int>{3, 5}));
}

void TestResultStore::latestOrderBreaksTiesByNewerId()
{
    StoreFixture f;
    const QDateTime batch = at(2021, 5, 6, 7, 8, 9);
    for (const char *d : {"a.com", "b.com", "c.com"}) {
        f.store->addDomain(d);
        addRow(*f.store, runFor(d, batch, int(d[0])));
    }
    f.store->addDomain("d.com");
    addRow(*f.store, runFor("d.com", at(2021, 5, 6, 7, 8, 10), 1));
    QCOMPARE(totalsOf(f.store->latestRows()), (QList<int>{1, 'c', 'b', 'a'}));
}

void TestResultStore::deleteHidesHistoryUntilReadded()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    addRow(*f.store, runFor("a.com", at(2020, 1, 1), 1));
    f.store->DeleteDomain();
    QVERIFY(f.store->latestRows().isEmpty());
    QVERIFY(f.store->dayHistory("a.com").isEmpty());
    QVERIFY(f.store->chartRows("a.com").isEmpty());
    f.store->addDomain("A.COM");
    QCOMPARE(f.store->latestRows().size(), 1);
    QCOMPARE(f.store->dayHistory("a.com").size(), 1);
    QCOMPARE(f.store->chartRows("a.com").size(), 1);
}

void TestResultStore::dayHistoryKeepsLastRowOfEachDay()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    addRow(*f.store, runFor("a.com", at(2020, 1, 1, 9), 1));
    addRow(*f.store, runFor("a.com", at(2020, 1, 1, 18), 2));
    addRow(*f.store, runFor("a.com", at(2020, 1, 2, 8), 3));
    // Appended last on the 1st, though its time is earlier.
    addRow(*f.store, runFor("a.com", at(2020, 1, 1, 7), 4));
    QCOMPARE(totalsOf(f.store->dayHistory("a.com")), (QList<int>{3, 4}));
    QCOMPARE(totalsOf(f.store->chartRows("a.com")), (QList<int>{3, 4}));
    QCOMPARE(totalsOf(f.store->latestRows()), (QList<int>{4}));
    // Trimmed on store, not on lookup.
    QVERIFY(f.store->dayHistory(" a.com").isEmpty());
}

void TestResultStore::queryTimeDecidesTheDay()
{
    // A batch started before midnight stores every row under its start day.
    StoreFixture f;
    f.store->addDomain("a.com");
    f.store->addDomain("b.com");
    const QDateTime start = at(2020, 12, 31, 23, 59, 59);
    addRow(*f.store, runFor("a.com", start, 1));
    addRow(*f.store, runFor("b.com", start, 2));
    for (const ShouluRow &row : f.store->latestRows()) {
        QCOMPARE(row.yyyy, 2020);
        QCOMPARE(row.mm, 12);
        QCOMPARE(row.dd, 31);
        QCOMPARE(row.searchtime, start);
    }
}

void TestResultStore::chartKeepsThirtyNewestDays_data()
{
    QTest::addColumn<int>("days");
    QTest::newRow("31 days") << 31;
    QTest::newRow("35 days") << 35;
    QTest::newRow("5 days") << 5;
}

void TestResultStore::chartKeepsThirtyNewestDays()
{
    QFETCH(int, days);
    StoreFixture f;
    f.store->addDomain("a.com");
    const QDate first(2020, 1, 30);
    for (int i = 0; i < days; ++i)
        addRow(*f.store, runFor("a.com", datetime::make(first.addDays(i), QTime(10, 0)), i));
    const QList<ShouluRow> history = f.store->dayHistory("a.com");
    const QList<ShouluRow> chart = f.store->chartRows("a.com");
    QCOMPARE(history.size(), days);
    QCOMPARE(chart.size(), qMin(days, 30));
    QCOMPARE(chart.first().result.baidu, days - 1);
    QCOMPARE(chart.last().result.baidu, days - chart.size());
    QCOMPARE(chart, history.mid(0, chart.size()));
}

void TestResultStore::lettercaseIsIgnoredEverywhere()
{
    StoreFixture f;
    f.store->addDomain("Mixed.com");
    addRow(*f.store, runFor("MIXED.COM", at(2020, 1, 1), 1));
    addRow(*f.store, runFor("mixed.com", at(2020, 1, 2), 2));
    QCOMPARE(totalsOf(f.store->latestRows()), (QList<int>{2}));
    QCOMPARE(totalsOf(f.store->dayHistory("mIxEd.CoM")), (QList<int>{2, 1}));
}

void TestResultStore::openFailuresLeaveFileAlone_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"missing", "wrong key", "random bytes", "truncated", "plain sqlite",
                             "no tables", "missing column", "empty file"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestResultStore::openFailuresLeaveFileAlone()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.dat");
    auto makeWith = [&](const QByteArray &key, const char *sql) {
        QFile(path).open(QIODevice::WriteOnly); // an empty file is a new database
        SqlDatabase db(path);
        if (!key.isEmpty())
            db.setKey(key);
        db.execute(sql);
    };
    if (kind == "wrong key") {
        makeWith("another key", "create table domain(id, domain); create table x(y)");
    } else if (kind == "random bytes") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes(8192, Qt::Uninitialized);
        for (char &c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        file.write(bytes);
    } else if (kind == "truncated") {
        ResultStore::create(path);
        {
            ResultStore store(path);
            for (int i = 0; i < 200; ++i)
                store.addDomain(QString("domain%1.com").arg(i));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 2048);
        file.resize(1500);
    } else if (kind == "plain sqlite") {
        makeWith({}, "create table domain(id INTEGER PRIMARY KEY AUTOINCREMENT, domain TEXT);"
                     "create table shoulu(id, domain, baidu, baidu1, baidu7, baidu30, baidu360,"
                     " baidudomain, baiduindex, baiduisfirst, yyyy, mm, dd, searchtime)");
    } else if (kind == "no tables") {
        makeWith(ResultStore::password(), "create table other(x)");
    } else if (kind == "missing column") {
        makeWith(ResultStore::password(),
                 "create table domain(id, domain); create table shoulu(id, domain, baidu)");
    } else if (kind == "empty file") {
        QFile(path).open(QIODevice::WriteOnly);
    }
    const QByteArray before = digestOf(path);
    QVERIFY_THROWS_EXCEPTION(StoreOpenError, ResultStore store(path));
    QCOMPARE(digestOf(path), before);
    QCOMPARE(QFile::exists(path), kind != "missing");
}

void TestResultStore::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.dat");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QVERIFY_THROWS_EXCEPTION(StoreError, ResultStore::create(path));
    QCOMPARE(digestOf(path), QCryptographicHash::hash("keep me", QCryptographicHash::Sha256));
}

void TestResultStore::rolledBackSaveKeepsList()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    f.store->addDomain("b.com");
    {
        // Another program's trigger refuses one line part-way through.
        SqlDatabase other(f.path());
        other.setKey(ResultStore::password());
        other.execute("create trigger refuse before insert on domain when new.domain = 'bad.com'"
                      " begin select raise(abort, 'refused'); end;");
    }
    try {
        f.store->replaceDomains({"c.com", "bad.com", "d.com"});
        QFAIL("no error");
    } catch (const StoreError &e) {
        QVERIFY2(QByteArray(e.what()).contains("refused"), e.what());
    }
    QCOMPARE(f.store->domains(), (QStringList{"a.com", "b.com"}));

    f.store->replaceDomains({"c.com", "C.COM", "", "d.com"});
    QCOMPARE(f.store->domains(), (QStringList{"c.com", "", "d.com"}));
}

void TestResultStore::statementsHoldOneStatementEach()
{
    StoreFixture f;
    SqlDatabase db(f.path());
    db.setKey(ResultStore::password());
    SqlStatement single(db, "select count(*) from domain;  \n");
    QCOMPARE(SqlCursor(single).step(), true);
    QVERIFY_THROWS_EXCEPTION(StoreError, SqlStatement(db, "select 1; delete from domain"));
    QVERIFY_THROWS_EXCEPTION(StoreError, SqlStatement(db, "select 1 -- fine\n; select 2"));
    QVERIFY_THROWS_EXCEPTION(StoreError, SqlStatement(db, "  "));

    // A run left part-way (a row still pending) does not hold the next one.
    SqlStatement list(db, "select domain from domain order by id");
    f.store->addDomain("a.com");
    f.store->addDomain("b.com");
    {
        SqlCursor first(list);
        QVERIFY(first.step());
        QCOMPARE(first.columnText(0), QStringLiteral("a.com"));
    }
    SqlCursor again(list);
    QVERIFY(again.step());
    QCOMPARE(again.columnText(0), QStringLiteral("a.com"));
}

void TestResultStore::engineErrorsCarryTheEngineMessage()
{
    StoreFixture f;
    // A second connection holding the write lock makes every write fail.
    SqlDatabase other(f.path());
    other.setKey(ResultStore::password());
    other.execute("begin exclusive");
    try {
        f.store->addDomain("a.com");
        QFAIL("no error");
    } catch (const StoreError &e) {
        QVERIFY2(QByteArray(e.what()).contains("locked"), e.what());
    }
    other.execute("rollback");
    f.store->addDomain("a.com");
    QCOMPARE(f.store->dayHistory("a.com").size(), 0);
}

void TestResultStore::shortLockIsWaitedFor()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    SqlDatabase other(f.path());
    other.setKey(ResultStore::password());
    other.execute("begin exclusive");
    QueryResult r;
    r.baidu = 42;
    QElapsedTimer clock;
    clock.start();
    // The wait happens inside the engine on this thread; the release comes
    // from a helper thread so that nothing needs the event loop meanwhile.
    std::thread releaser([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(SqlDatabase::BusyTimeoutMs / 5));
        other.execute("rollback");
    });
    f.store->addshoulu("a.com", datetime::make(QDate(2026, 1, 1)), r);
    releaser.join();
    QVERIFY(clock.elapsed() >= SqlDatabase::BusyTimeoutMs / 5 - 50);
    QCOMPARE(f.store->dayHistory("a.com").value(0).result.baidu, 42);
}

void TestResultStore::filesOnlyTheUserCanRead()
{
    const mode_t old = ::umask(022);
    StoreFixture f;
    f.store->addDomain("a.com"); // the log and shared-memory files exist now
    ::umask(old);
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        struct stat info
        {};
        QCOMPARE(::stat(QFile::encodeName(f.path() + suffix).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
    }
}

void TestResultStore::readOnlyStoreOpensAndRefusesWrites()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    addRow(*f.store, runFor("a.com", at(2020, 1, 1), 7));
    f.store.reset();
    const QByteArray digest = digestOf(f.path());
    ResultStore store("file:" + f.path() + "?mode=ro");
    QVERIFY2(store.writeProblem().contains("readonly"), qPrintable(store.writeProblem()));
    QCOMPARE(store.latestRows().size(), 1);
    try {
        store.addshoulu("a.com", at(2020, 1, 2), QueryResult{});
        QFAIL("no error");
    } catch (const StoreError &e) {
        QVERIFY2(QByteArray(e.what()).contains("readonly"), e.what());
    }
    QCOMPARE(store.latestRows().value(0).result.baidu, 7);
    QCOMPARE(digestOf(f.path()), digest);
    QCOMPARE(ResultStore(f.path()).writeProblem(), QString());
}

void TestResultStore::answersKeptBesideTheRow()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    AnswerRecords records{};
    for (int k = 0; k < 7; ++k)
        records[std::size_t(k)] = AnswerRecord{AnswerOutcome(k % 6), 200 + k};
    records[4] = AnswerRecord{AnswerOutcome::Blocked, 429};
    f.store->addshoulu("a.com", at(2020, 1, 1), QueryResult{}, records);
    addRow(*f.store, runFor("a.com", at(2020, 1, 2), 3)); // stored without outcomes
    const QList<ShouluRow> history = f.store->dayHistory("a.com");
    QCOMPARE(history.size(), 2);
    QVERIFY(!history[0].answers.has_value());
    QCOMPARE(history[1].answers, std::optional(records));
    QCOMPARE(f.store->chartRows("a.com").value(1).answers, std::optional(records));

    // Any tool reads them as plain rows beside the row's id.
    SqlDatabase other(f.path());
    other.setKey(ResultStore::password());
    SqlStatement rows(other, "select kind, outcome, status from answer where shoulu_id = "
                             "(select min(id) from shoulu) order by kind");
    SqlCursor cursor(rows);
    QStringList seen;
    while (cursor.step())
        seen << QString("%1 %2 %3")
                    .arg(cursor.columnInt(0))
                    .arg(cursor.columnText(1))
                    .arg(cursor.columnInt(2));
    QCOMPARE(seen, (QStringList{"0 read 200", "1 current 201", "2 none 202", "3 blocked 203",
                                "4 blocked 429", "5 unrecognised 205", "6 read 206"}));
}

void TestResultStore::rowAndOutcomesStandOrFallTogether()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    {
        // Another program's trigger refuses the fifth outcome.
        SqlDatabase other(f.path());
        other.setKey(ResultStore::password());
        other.execute("create trigger refuse before insert on answer when new.kind = 4"
                      " begin select raise(abort, 'refused'); end;");
    }
    QVERIFY_THROWS_EXCEPTION(
        StoreError, f.store->addshoulu("a.com", at(2020, 1, 1), QueryResult{}, AnswerRecords{}));
    QVERIFY(f.store->dayHistory("a.com").isEmpty());
}

void TestResultStore::storeWithoutAnswerTableGetsIt()
{
    StoreFixture f;
    f.store->addDomain("a.com");
    addRow(*f.store, runFor("a.com", at(2020, 1, 1), 1));
    f.store.reset();
    {
        SqlDatabase other(f.path());
        other.setKey(ResultStore::password());
        other.execute("drop table answer");
    }
    ResultStore store(f.path());
    QVERIFY(!store.dayHistory("a.com").value(0).answers.has_value());
    store.addshoulu("a.com", at(2020, 1, 2), QueryResult{}, AnswerRecords{});
    QVERIFY(store.dayHistory("a.com").value(0).answers.has_value());
}

void TestResultStore::committedRowSurvivesKill()
{
    // A writer appends rows and reports each commit; it is killed at an
    // arbitrary moment, and every reported row must be in the file.
    StoreFixture f;
    f.store.reset();
    QProcess writer;
    writer.start(QCoreApplication::applicationDirPath() + "/store_writer", {f.path()});
    QVERIFY(writer.waitForStarted());
    qint64 committed = 0;
    while (committed < 40 && writer.waitForReadyRead(10000)) {
        while (writer.canReadLine())
            committed = writer.readLine().trimmed().toLongLong();
    }
    QVERIFY(committed >= 40);
    writer.kill();
    QVERIFY(writer.waitForFinished());
    while (writer.canReadLine())
        committed = qMax(committed, writer.readLine().trimmed().toLongLong());

    ResultStore store(f.path());
    QVERIFY(qint64(store.dayHistory("kill.com").size()) >= committed);
}

QTEST_GUILESS_MAIN(TestResultStore)
#include "tst_resultstore.moc"

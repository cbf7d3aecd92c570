#include "QueryRunner.h"

#include "FakeEnginePages.h"
#include "MockClock.h"

#include <QTest>

#include <stdexcept>

namespace {

// The run's collaborators, recorded: the domain box, the requests and the
// history, with what the run reports.
class FakeWindow : public DomainList, public QueryFetcher, public QueryHistory
{
public:
    struct Request
    {
        QByteArray url;
        QByteArray domain;
        int kind;
        int launch;
    };

    QString boxText;
    QStringList boxItems;
    int delayValue = 2;
    QStringList statuses;
    int gaugeMaximum = 100;
    QList<int> gaugeValues;
    QList<QueryRun> rows;
    QList<AnswerRecords> rowAnswers;
    int reloads = 0;
    int saves = 0;
    QList<Request> requests;
    QStringList errors;
    bool failStarts = false;
    bool failSave = false;
    bool failRows = false;

    // Follows what the runner reports.
    void attach(QueryRunner &runner)
    {
        runner.setDelay(delayValue);
        QObject::connect(&runner, &QueryRunner::statusChanged,
                         [this](const QString &t) { statuses << t; });
        QObject::connect(&runner, &QueryRunner::gaugeMaximumChanged,
                         [this](int m) { gaugeMaximum = m; });
        QObject::connect(&runner, &QueryRunner::gaugeValueChanged,
                         [this](int v) { gaugeValues << v; });
        QObject::connect(&runner, &QueryRunner::failed, [this](const QString &t) { errors << t; });
    }

    QString text() const override { return boxText; }
    void setText(const QString &t) override { boxText = t; }
    QStringList items() const override { return boxItems; }
    void setItems(const QStringList &i) override { boxItems = i; }

    QStringList saveDomains(const QStringList &saved) override
    {
        if (failSave)
            throw std::runtime_error("database is locked");
        ++saves;
        return saved;
    }
    void storeRow(const QString &domain, const QDateTime &queryTime, const QueryResult &result,
                  const AnswerRecords &answers) override
    {
        if (failRows)
            throw std::runtime_error("disk I/O error");
        QueryRun row;
        row.CurrentDomain = codec::toCp936(domain);
        row.QueryTime = queryTime;
        row.Result = result;
        rows << row;
        rowAnswers << answers;
    }
    void reloadOverview() override { ++reloads; }

    bool start(const QueryRequest &r, AnswerHandler) override
    {
        if (failStarts)
            return false;
        requests << Request{r.url, r.domain, r.kind, r.launch};
        return true;
    }
};

// The page a request of this kind gets: counts that tell kind and domain.
QByteArray pageFor(const FakeWindow::Request &r, int base)
{
    if (r.kind == 6)
        return enginePage("1",
                          snapshotResults(r.domain, "2020-1-" + QByteArray::number(base % 28 + 1)));
    const QByteArray count = QByteArray::number(base + r.kind);
    return enginePage(count, r.kind == 0 ? siteResults(r.domain, true) : QByteArray());
}

void answer(QueryRunner &runner, const FakeWindow::Request &r, int base)
{
    runner.getstr(r.launch, r.kind, r.domain, pageFor(r, base));
}

// Ticks until `launches` domains have been launched (or 100 ticks); the
// tick numbers at which they were.
QList<int> tickUntil(QueryRunner &runner, FakeWindow &w, int launches,
                     const std::function<void(int tick)> &onTick = {})
{
    QList<int> at;
    for (int tick = 1; tick <= 100 && at.size() < launches; ++tick) {
        const qsizetype before = w.requests.size();
        if (onTick)
            onTick(tick);
        runner.Timer1Timer();
        if (w.requests.size() > before)
            at << tick;
    }
    return at;
}

} // namespace

class TestQueryRunner : public QObject
{
    Q_OBJECT
private slots:
    void singleQuery();
    void singleQueryListHandling_data();
    void singleQueryListHandling();
    void busyButtonsChangeNothing();
    void batchCountsAndGauge();
    void pacing_data();
    void pacing();
    void overlappingDomainsKeepTheirAnswers();
    void listShortenedDuringBatch();
    void listLengthenedDuringBatch();
    void emptyBatchEndsAtOnce();
    void unstartedRequestsCountAsFailures();
    void failedListSaveStillQueries();
    void failedRowsWaitAndAreWrittenInOrder();
    void rowsStillWaitingAtTheEndAreKept();
    void batchAcrossMidnightKeepsItsStartTime();
    void stopEndsTheLaunches();
    void verificationPausesTheBatch();
    void batchOverGivenDomains();
    void summaryTellsWhatWasNotObtained();
};

void TestQueryRunner::singleQuery()
{
    FakeWindow w;
    w.boxText = "www.a.com/";
    w.boxItems = {"b.com"};
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    QVERIFY(runner.run().Busy);
    QCOMPARE(w.statuses, QStringList{"正在查询：www.a.com"});
    QCOMPARE(w.gaugeMaximum, 7);
    QCOMPARE(w.boxItems, (QStringList{"b.com", "www.a.com/"})); // typed text kept as typed
    QCOMPARE(w.saves, 1);
    QCOMPARE(w.boxText, QStringLiteral("www.a.com")); // shown cleaned afterwards
    QCOMPARE(w.requests.size(), 7);
    for (int k = 0; k < 7; ++k) {
        QCOMPARE(w.requests[k].kind, k);
        QCOMPARE(w.requests[k].url, urls.requestUrl(QueryKind(k), "www.a.com"));
        QCOMPARE(w.requests[k].domain, QByteArray("www.a.com"));
    }
    // Answers in any order; the gauge counts them.
    for (int k : {6, 2, 0, 5, 1, 4})
        answer(runner, w.requests[k], 1000);
    QCOMPARE(w.gaugeValues, (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    QVERIFY(w.rows.isEmpty());
    QVERIFY(runner.run().Busy);
    runner.geterror(w.requests[3].launch, 3); // the month count failed
    QCOMPARE(w.rows.size(), 1);
    const QueryRun &row = w.rows[0];
    QCOMPARE(row.CurrentDomain, QByteArray("www.a.com"));
    QCOMPARE(row.Result.baidu, 1000);
    QCOMPARE(row.Result.baidu1, 1001);
    QCOMPARE(row.Result.baidu7, 1002);
    QCOMPARE(row.Result.baidu30, 0);
    QCOMPARE(row.Result.baidu360, 1004);
    QCOMPARE(row.Result.baidudomain, 1005);
    QCOMPARE(row.Result.baiduindex.date(), QDate(2020, 1, 1000 % 28 + 1));
    QVERIFY(row.Result.baiduisfirst);
    QCOMPARE(row.QueryTime, runner.run().QueryTime);
    QCOMPARE(w.statuses.last(), QStringLiteral("查询完毕：www.a.com"));
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.reloads, 1); // after the row; the run's end finds the list fresh
    QCOMPARE(w.gaugeValues.last(), 7);
}

void TestQueryRunner::singleQueryListHandling_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("itemsAfter");
    QTest::addColumn<QByteArray>("urlDomain");
    QTest::newRow("other letter case not added")
        << "A.COM" << QStringList{"a.com"} << QStringList{"a.com"} << QByteArray("A.COM");
    QTest::newRow("empty text not added")
        << "" << QStringList{"a.com"} << QStringList{"a.com"} << QByteArray();
    QTest::newRow("backslash removed from the query")
        << "a\\b.com" << QStringList{} << QStringList{"a\\b.com"} << QByteArray("ab.com");
    QTest::newRow("non-ascii as code page 936")
        << "中文.com" << QStringList{} << QStringList{"中文.com"}
        << QByteArray("\xD6\xD0\xCE\xC4.com");
}

void TestQueryRunner::singleQueryListHandling()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, items);
    QFETCH(QStringList, itemsAfter);
    QFETCH(QByteArray, urlDomain);
    FakeWindow w;
    w.boxText = typed;
    w.boxItems = items;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    QCOMPARE(w.boxItems, itemsAfter);
    QCOMPARE(w.requests.value(6).url, urls.prefix(QueryKind::Snapshot) + urlDomain);
    for (const auto &r : std::as_const(w.requests))
        runner.geterror(r.launch, r.kind);
    QCOMPARE(w.rows.size(), 1);
    QCOMPARE(w.rows[0].CurrentDomain, urlDomain);
    QCOMPARE(w.rows[0].Result.baiduindex, datetime::noSnapshot());
}

void TestQueryRunner::busyButtonsChangeNothing()
{
    FakeWindow w;
    w.boxText = "a.com";
    w.boxItems = {"a.com", "b.com"};
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    const QueryRun before = runner.run();
    const QStringList statuses = w.statuses;
    const QList<int> gauge = w.gaugeValues;
    const int saves = w.saves;
    w.boxText = "other.com";
    runner.bsSkinXFormButton1Click();
    runner.bsSkinXFormButton2Click();
    QCOMPARE(w.requests.size(), 7);
    QCOMPARE(w.statuses, statuses);
    QCOMPARE(w.gaugeValues, gauge);
    QCOMPARE(w.saves, saves);
    QCOMPARE(w.boxItems, (QStringList{"a.com", "b.com"}));
    QCOMPARE(w.boxText, QStringLiteral("other.com"));
    QCOMPARE(runner.run().QueryTime, before.QueryTime);
    QCOMPARE(runner.run().ExpectedAnswers, before.ExpectedAnswers);
    QVERIFY(!runner.timer().isActive());
}

void TestQueryRunner::batchCountsAndGauge()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b/c.com", "d.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    QCOMPARE(w.statuses, QStringList{"开始查询所有域名收录量..."});
    QCOMPARE(w.gaugeMaximum, 21);
    QVERIFY(runner.timer().isActive());
    QCOMPARE(runner.timer().interval(), 10);
    int answered = 0;
    for (int tick = 0; tick < 20 && runner.run().Busy; ++tick) {
        runner.Timer1Timer();
        // Answer everything launched so far.
        for (; answered < w.requests.size(); ++answered)
            answer(runner, w.requests[answered], 100 * (answered / 7 + 1));
    }
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.requests.size(), 21);
    // The list entry goes into the URL unchanged; only the probe's domain is cleaned.
    QCOMPARE(w.requests[7].url, urls.requestUrl(QueryKind::TotalIndexed, "b/c.com"));
    QCOMPARE(w.requests[7].domain, QByteArray("bc.com"));
    QCOMPARE(w.rows.size(), 3);
    QCOMPARE(w.rows[1].CurrentDomain, QByteArray("b/c.com"));
    QCOMPARE(w.rows[1].Result.baidu, 200);
    QCOMPARE(w.gaugeValues.last(), 21);
    QVERIFY(!runner.timer().isActive());
    for (const QueryRun &row : std::as_const(w.rows))
        QCOMPARE(row.QueryTime, runner.run().QueryTime); // one time for the whole batch
}

void TestQueryRunner::pacing_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("changeAtTick"); // 0: never
    QTest::addColumn<int>("changedDelay");
    QTest::addColumn<QList<int>>("launchTicks");
    QTest::newRow("delay 1") << 1 << 0 << 0 << QList<int>{2, 4, 6, 8};
    QTest::newRow("delay 2") << 2 << 0 << 0 << QList<int>{2, 5, 8, 11};
    QTest::newRow("delay 60") << 60 << 0 << 0 << QList<int>{2, 63, 124, 185};
    QTest::newRow("2 then 1 after the first launch") << 2 << 3 << 1 << QList<int>{2, 4, 6, 8};
    QTest::newRow("1 then 3 after the second launch") << 1 << 5 << 3 << QList<int>{2, 4, 8, 12};
}

void TestQueryRunner::pacing()
{
    QFETCH(int, delay);
    QFETCH(int, changeAtTick);
    QFETCH(int, changedDelay);
    QFETCH(QList<int>, launchTicks);
    FakeWindow w;
    w.boxItems = {"a.com", "b.com", "c.com", "d.com"};
    w.delayValue = delay;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    QList<int> intervals;
    QList<int> at;
    for (int tick = 1; tick <= 300 && at.size() < 4; ++tick) {
        if (tick == changeAtTick)
            runner.setDelay(changedDelay);
        const qsizetype before = w.requests.size();
        runner.Timer1Timer();
        if (w.requests.size() > before)
            at << tick;
        if (tick == 1)
            intervals << runner.timer().interval();
    }
    QCOMPARE(at, launchTicks);
    QCOMPARE(intervals, QList<int>{10}); // the first tick only counts
    QCOMPARE(runner.timer().interval(), 1000);
    QVERIFY(!runner.timer().isActive()); // off right after the last launch
    QVERIFY(runner.run().Busy);          // until the answers are in
}

void TestQueryRunner::overlappingDomainsKeepTheirAnswers()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    QCOMPARE(tickUntil(runner, w, 2).size(), 2);
    QCOMPARE(w.requests.size(), 14);
    // Interleaved: a0 b0 a1 b1 ... ; b finishes first.
    for (int k = 0; k < 7; ++k) {
        if (k < 6)
            answer(runner, w.requests[k], 100);
        answer(runner, w.requests[7 + k], 200);
    }
    QCOMPARE(w.rows.size(), 1);
    QCOMPARE(w.rows[0].CurrentDomain, QByteArray("b.com"));
    QCOMPARE(w.rows[0].Result.baidu, 200);
    QCOMPARE(w.rows[0].Result.baidudomain, 205);
    QCOMPARE(w.statuses.last(), QStringLiteral("查询完毕：b.com"));
    answer(runner, w.requests[6], 100);
    QCOMPARE(w.rows.size(), 2);
    QCOMPARE(w.rows[1].CurrentDomain, QByteArray("a.com"));
    QCOMPARE(w.rows[1].Result.baidu, 100);
    QCOMPARE(w.rows[1].Result.baidu360, 104);
    QCOMPARE(w.rows[1].Result.baiduindex.date(), QDate(2020, 1, 100 % 28 + 1));
    QCOMPARE(w.statuses.last(), QStringLiteral("查询完毕：a.com"));
    QVERIFY(!runner.run().Busy);
}

void TestQueryRunner::listShortenedDuringBatch()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com", "c.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 1);
    w.boxItems = {"a.com"}; // saved from the dialog meanwhile
    for (int i = 0; i < 5; ++i)
        runner.Timer1Timer();
    QCOMPARE(w.requests.size(), 7);
    QVERIFY(!runner.timer().isActive());
    QVERIFY(runner.run().Busy);
    for (const auto &r : std::as_const(w.requests))
        answer(runner, r, 10);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 1);
    QCOMPARE(w.gaugeMaximum, 7);
}

void TestQueryRunner::listLengthenedDuringBatch()
{
    FakeWindow w;
    w.boxItems = {"a.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 1, [&](int tick) {
        if (tick == 2)
            w.boxItems << "b.com"; // added just before the first launch
    });
    for (const auto &r : QList(w.requests))
        answer(runner, r, 10);
    QVERIFY(runner.run().Busy); // b.com is still to come
    tickUntil(runner, w, 1);
    QCOMPARE(w.requests.size(), 14);
    QCOMPARE(w.requests[7].domain, QByteArray("b.com"));
    for (int i = 7; i < 14; ++i)
        answer(runner, w.requests[i], 20);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 2);
    QCOMPARE(w.gaugeMaximum, 14);
    QCOMPARE(w.gaugeValues.last(), 14);
}

void TestQueryRunner::emptyBatchEndsAtOnce()
{
    FakeWindow w;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    QVERIFY(!runner.run().Busy);
    QVERIFY(!runner.timer().isActive());
    QVERIFY(w.requests.isEmpty());
    QCOMPARE(w.reloads, 1);
    runner.Timer1Timer(); // a tick already queued does nothing
    QVERIFY(w.requests.isEmpty());
}

void TestQueryRunner::unstartedRequestsCountAsFailures()
{
    FakeWindow w;
    w.failStarts = true;
    w.boxText = "a.com";
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 1);
    QCOMPARE(w.rows[0].Result.baidu, 0);
    QCOMPARE(w.rows[0].Result.baiduindex, datetime::noSnapshot());

    w.boxItems = {"a.com", "b.com"};
    runner.setDelay(1);
    runner.bsSkinXFormButton2Click();
    for (int i = 0; i < 10 && runner.run().Busy; ++i)
        runner.Timer1Timer();
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 3);
    QCOMPARE(w.gaugeValues.last(), 14);
}

void TestQueryRunner::failedListSaveStillQueries()
{
    FakeWindow w;
    w.failSave = true;
    w.boxText = "a.com";
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    QCOMPARE(w.errors, QStringList{"database is locked"});
    QVERIFY(runner.run().Busy);
    QCOMPARE(w.requests.size(), 7);
    QCOMPARE(w.boxItems, QStringList{"a.com"}); // the box keeps the typed domain
    for (const auto &r : QList(w.requests))
        answer(runner, r, 3);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 1);
    w.failSave = false;
    runner.bsSkinXFormButton1Click(); // a new run can start
    QCOMPARE(w.requests.size(), 14);
}

void TestQueryRunner::failedRowsWaitAndAreWrittenInOrder()
{
    FakeWindow w;
    w.failRows = true; // say, another program holds the store locked
    w.boxItems = {"a.com", "b.com", "c.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 3);
    for (int i = 0; i < 14; ++i)
        answer(runner, w.requests[i], 100 * (i / 7 + 1));
    QVERIFY(w.rows.isEmpty());
    QCOMPARE(runner.unsavedRows(), 2);
    // Every failure is told, with how many rows wait.
    QCOMPARE(w.errors.size(), 2);
    QVERIFY(w.errors[0].startsWith("disk I/O error\n") && w.errors[0].contains(" 1 "));
    QVERIFY(w.errors[1].contains(" 2 "));
    QCOMPARE(w.gaugeValues.last(), 14); // the counting goes on

    w.failRows = false; // the lock is gone
    for (int i = 14; i < 21; ++i)
        answer(runner, w.requests[i], 300);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(runner.unsavedRows(), 0);
    QCOMPARE(w.rows.size(), 3);
    QCOMPARE(w.rows[0].CurrentDomain, QByteArray("a.com"));
    QCOMPARE(w.rows[0].Result.baidu, 100);
    QCOMPARE(w.rows[1].CurrentDomain, QByteArray("b.com"));
    QCOMPARE(w.rows[2].CurrentDomain, QByteArray("c.com"));
    QCOMPARE(w.rows[2].Result.baidu, 300);
    for (const QueryRun &row : std::as_const(w.rows))
        QCOMPARE(row.QueryTime, runner.run().QueryTime);
    QCOMPARE(w.statuses.last(), QStringLiteral("查询完毕：c.com"));
}

void TestQueryRunner::rowsStillWaitingAtTheEndAreKept()
{
    FakeWindow w;
    w.failRows = true;
    w.boxText = "a.com";
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton1Click();
    for (const auto &r : QList(w.requests))
        answer(runner, r, 5);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(runner.unsavedRows(), 1);
    QCOMPARE(w.errors.size(), 1);

    QVERIFY(!runner.retryUnsaved()); // still failing: told again, still kept
    QCOMPARE(w.errors.size(), 2);
    QCOMPARE(runner.unsavedRows(), 1);
    w.failRows = false;
    const int reloads = w.reloads;
    QVERIFY(runner.retryUnsaved());
    QCOMPARE(w.rows.size(), 1);
    QCOMPARE(w.rows[0].Result.baidu, 5);
    QCOMPARE(w.reloads, reloads + 1);

    // A later run writes what an earlier one left before its own rows.
    w.failRows = true;
    runner.bsSkinXFormButton1Click();
    for (const auto &r : w.requests.mid(7))
        answer(runner, r, 6);
    QCOMPARE(runner.unsavedRows(), 1);
    w.failRows = false;
    w.boxText = "b.com";
    runner.bsSkinXFormButton1Click();
    for (const auto &r : w.requests.mid(14))
        answer(runner, r, 7);
    QCOMPARE(w.rows.size(), 3);
    QCOMPARE(w.rows[1].Result.baidu, 6);
    QCOMPARE(w.rows[2].CurrentDomain, QByteArray("b.com"));
    runner.discardUnsaved();
    QCOMPARE(runner.unsavedRows(), 0);
}

void TestQueryRunner::batchAcrossMidnightKeepsItsStartTime()
{
    const QDateTime start(QDate(2026, 12, 31), QTime(23, 59, 58, 700));
    MockClock clock(start);
    FakeWindow w;
    w.boxItems = {"a.com", "b.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.bsSkinXFormButton2Click();
    QList<int> launches = tickUntil(runner, w, 1);
    clock.advanceSeconds(2); // the second domain starts in the new year
    launches += tickUntil(runner, w, 1);
    QCOMPARE(launches.size(), 2);
    for (const auto &r : QList(w.requests))
        answer(runner, r, 1);
    QCOMPARE(w.rows.size(), 2);
    // Whole seconds of the moment the batch began, for every row.
    const QDateTime expected = datetime::make(QDate(2026, 12, 31), QTime(23, 59, 58));
    QCOMPARE(w.rows[0].QueryTime, expected);
    QCOMPARE(w.rows[1].QueryTime, expected);

    clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5)));
    w.boxText = "c.com";
    runner.bsSkinXFormButton1Click();
    for (const auto &r : w.requests.mid(14))
        runner.geterror(r.launch, r.kind);
    QCOMPARE(w.rows.size(), 3);
    QCOMPARE(w.rows[2].QueryTime, datetime::make(QDate(2027, 1, 1), QTime(0, 0, 5)));
}

void TestQueryRunner::stopEndsTheLaunches()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com", "c.com", "d.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    QList<QueryRunner::Progress> seen;
    connect(&runner, &QueryRunner::batchProgress,
            [&seen](const QueryRunner::Progress &p) { seen << p; });
    QList<QueryRunner::RunSummary> ends;
    connect(&runner, &QueryRunner::runFinished,
            [&ends](const QueryRunner::RunSummary &s) { ends << s; });
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 2);
    QCOMPARE(seen.last().launched, 2);
    QCOMPARE(seen.last().total, 4);
    QCOMPARE(seen.last().domain, QStringLiteral("b.com"));
    QCOMPARE(seen.last().secondsLeft, 2 * 2); // two more launches, 2 s apart
    runner.stopBatch();
    QVERIFY(!runner.timer().isActive());
    QVERIFY(runner.run().Busy); // the 14 answers out are still to come
    for (int i = 0; i < 20; ++i)
        runner.Timer1Timer();
    QCOMPARE(w.requests.size(), 14); // no launch after the stop
    for (const auto &r : QList(w.requests))
        answer(runner, r, 10);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 2);
    QCOMPARE(w.gaugeMaximum, 14);
    QCOMPARE(w.gaugeValues.last(), 14);
    QCOMPARE(ends.size(), 1);
    QVERIFY(ends[0].stopped);
    QCOMPARE(ends[0].launched, 2);
    QCOMPARE(ends[0].total, 4);
}

void TestQueryRunner::verificationPausesTheBatch()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com", "c.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    int pauses = 0;
    connect(&runner, &QueryRunner::pausedForVerification,
            [&pauses](const QueryRunner::Progress &) { ++pauses; });
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 1);
    // The first domain's first answer is the verification page.
    const QByteArray verification = todayPage::verification();
    runner.getstr(w.requests[0].launch, 0, "a.com", verification);
    QCOMPARE(pauses, 1);
    QVERIFY(runner.paused());
    QVERIFY(!runner.timer().isActive());
    for (int i = 0; i < 10; ++i)
        runner.Timer1Timer(); // nothing is launched meanwhile
    QCOMPARE(w.requests.size(), 7);
    for (int i = 1; i < 7; ++i)
        answer(runner, w.requests[i], 10);
    QVERIFY(runner.run().Busy); // the user has not decided yet
    const QDateTime started = runner.run().QueryTime;

    runner.resumeBatch();
    QVERIFY(!runner.paused());
    runner.Timer1Timer();
    QCOMPARE(w.requests.size(), 14); // on from the next domain, at once
    QCOMPARE(w.requests[7].domain, QByteArray("b.com"));
    for (const auto &r : w.requests.mid(7))
        answer(runner, r, 20);
    tickUntil(runner, w, 1);
    for (const auto &r : w.requests.mid(14))
        answer(runner, r, 30);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.rows.size(), 3);
    for (const QueryRun &row : std::as_const(w.rows))
        QCOMPARE(row.QueryTime, started); // the same run throughout
    QCOMPARE(pauses, 1);

    // Paused again, the user stops: the run ends with what was out.
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 1);
    runner.getstr(w.requests[21].launch, 0, "a.com", verification);
    for (const auto &r : w.requests.mid(22))
        answer(runner, r, 1);
    QVERIFY(runner.run().Busy);
    runner.stopBatch();
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.requests.size(), 28);
}

void TestQueryRunner::batchOverGivenDomains()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com", "c.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.startBatch({"c.com", "a.com"});
    QCOMPARE(w.gaugeMaximum, 14);
    tickUntil(runner, w, 2);
    QCOMPARE(w.requests.size(), 14);
    QCOMPARE(w.requests[0].domain, QByteArray("c.com"));
    QCOMPARE(w.requests[7].domain, QByteArray("a.com"));
    for (const auto &r : QList(w.requests))
        answer(runner, r, 1);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(w.boxItems, (QStringList{"a.com", "b.com", "c.com"})); // the list is not touched
    QCOMPARE(w.saves, 0);
    // A plain batch afterwards goes over the list again.
    runner.bsSkinXFormButton2Click();
    QCOMPARE(w.gaugeMaximum, 21);
}

void TestQueryRunner::summaryTellsWhatWasNotObtained()
{
    FakeWindow w;
    w.boxItems = {"a.com", "b.com"};
    w.delayValue = 1;
    const QueryUrls urls;
    QueryRunner runner(w, w, w, urls);
    w.attach(runner);
    runner.setPauseOnVerification(false); // as the command line's --keep-going
    QList<QueryRunner::RunSummary> ends;
    QList<bool> busy;
    connect(&runner, &QueryRunner::runFinished,
            [&ends](const QueryRunner::RunSummary &s) { ends << s; });
    connect(&runner, &QueryRunner::busyChanged, [&busy](bool b) { busy << b; });
    runner.bsSkinXFormButton2Click();
    tickUntil(runner, w, 2);
    for (int i = 0; i < 7; ++i)
        answer(runner, w.requests[i], 10); // a.com: all read
    runner.getstr(w.requests[7].launch, 0, "b.com", todayPage::verification());
    runner.getstr(w.requests[8].launch, 1, "b.com", todayPage::unknown());
    for (int i = 9; i < 13; ++i)
        answer(runner, w.requests[i], 20);
    runner.geterror(w.requests[13].launch, 6);
    QVERIFY(!runner.run().Busy);
    QCOMPARE(ends.size(), 1);
    const QueryRunner::RunSummary &s = ends[0];
    QVERIFY(s.batch && !s.stopped);
    QCOMPARE(s.stored, 2);
    QCOMPARE(s.complete, 1);
    QCOMPARE(s.blocked, 1);
    QCOMPARE(s.unrecognised, 1);
    QCOMPARE(s.failed, 1);
    QCOMPARE(s.incompleteDomains, QStringList{"b.com"});
    QCOMPARE(busy, (QList<bool>{true, false}));
    QCOMPARE(int(w.rowAnswers[1][0].outcome), int(AnswerOutcome::Blocked));
    QCOMPARE(int(w.rowAnswers[1][6].outcome), int(AnswerOutcome::Failed));
}

QTEST_GUILESS_MAIN(TestQueryRunner)
#include "tst_queryrunner.moc"

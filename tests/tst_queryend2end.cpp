// The real main window against a fake search engine on loopback, reached
// through http_proxy as the real host name.
#include "BannerPane.h"
#include "BatchLock.h"
#include "HttpQueryFetcher.h"
#include "NoticeStrip.h"
#include "Program.h"
#include "TForm1.h"
#include "THTTPGet.h"
#include "THTTPGetThread.h"
#include "Toolkit.h"

#include "FakeEnginePages.h"
#include "LoopbackServer.h"
#include "SqlDatabase.h"
#include "StoreFixture.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QByteArray Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)";
const QList<QByteArray> QueryStrings = {"wd=site%3A",
                                        "lm=1&wd=site%3A",
                                        "lm=7&wd=site%3A",
                                        "lm=30&wd=site%3A",
                                        "lm=360&wd=site%3A",
                                        "wd=domain%3A",
                                        "wd="};

// Answers like the search engine: counts that tell the kind and the
// domain's length, the home page shown first, a snapshot date.
void engine(LoopbackServer::Connection &c)
{
    const QByteArray line = c.request().requestLine;
    const QByteArray prefix = "GET http://www.baidu.com/s?";
    if (!line.startsWith(prefix) || !line.endsWith(" HTTP/1.1")) {
        c.respond("unexpected", "400 Bad Request");
        return;
    }
    QByteArray domain;
    const int kind = engineQueryKind(line.mid(4, line.size() - 4 - 9), domain);
    if (kind < 0) {
        c.respond("unexpected", "400 Bad Request");
        return;
    }
    if (kind == 6) {
        c.respond(enginePage("3", snapshotResults(domain, "2021-3-4")));
        return;
    }
    const QByteArray count = QByteArray::number(qsizetype(1000) * (kind + 1) + domain.size());
    c.respond(enginePage(count, kind == 0 ? siteResults(domain, true) : QByteArray()));
}

void todaysEngine(LoopbackServer::Connection &c)
{
    const QByteArray line = c.request().requestLine;
    QByteArray domain;
    switch (engineQueryKind(line.split(' ').value(1), domain)) {
    case 0:
        c.respond(todayPage::siteTip("1,234"), "200 OK",
                  "Content-Type: text/html; charset=utf-8\r\n");
        break;
    case 1:
        c.respond("", "302 Found",
                  "Location: https://wappass.baidu.com/static/captcha/tuxing.html?ak=1\r\n");
        break;
    case 2:
        c.respond(todayPage::verification(), "403 Forbidden");
        break;
    case 3:
        c.respond("too many", "429 Too Many Requests");
        break;
    case 4:
        c.respond(enginePage("55"), "500 Internal Server Error");
        break;
    case 5:
        c.respond(todayPage::noResult());
        break;
    default:
        c.respond(todayPage::unknown());
    }
}

// Classic and today's pages mixed, nothing blocked.
void mixedEngine(LoopbackServer::Connection &c)
{
    QByteArray domain;
    switch (engineQueryKind(c.request().requestLine.split(' ').value(1), domain)) {
    case 0:
        c.respond(todayPage::siteTip(QByteArray::number(domain.size()) + ",000"));
        break;
    case 1:
        c.respond(todayPage::noResult());
        break;
    case 3:
        c.respond(todayPage::unknown());
        break;
    default:
        engine(c);
    }
}

struct Fixture
{
    StoreFixture files;
    LoopbackServer server;
    QStringList messages;
    std::unique_ptr<TForm1> form;

    explicit Fixture(LoopbackServer::Handler handler = engine) : server(std::move(handler))
    {
        qputenv("http_proxy", "http://" + server.address());
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
        toolkit::setMessageSink([this](const QString &t) { messages << t; });
    }
    ~Fixture()
    {
        form.reset();
        THTTPGetThread::finishAll();
        toolkit::setMessageSink({});
        qunsetenv("http_proxy");
    }
    void open()
    {
        files.store.reset();
        TForm1::Options options;
        options.storePath = files.path();
        options.bannerUrl = QUrl();
        form = std::make_unique<TForm1>(options);
        QVERIFY(form->FormCreate());
    }
    bool waitForRunEnd(int ms)
    {
        QDeadlineTimer deadline(ms);
        while ((form->Run().Busy || form->overviewPending()) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !form->Run().Busy && !form->overviewPending();
    }
    QList<ShouluRow> history(const QString &domain) { return form->store().dayHistory(domain); }
    // Query requests the window still holds, once released ones are gone.
    int requestsHeld()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(form->findChildren<THTTPGet *>().size() +
                   form->fetcher()->findChildren<THTTPGet *>().size());
    }
};

} // namespace

class TestQueryEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void singleQuery();
    void batchOfThree();
    void silentEngineStillEndsTheRun();
    void outcomesOfTodaysEngineAreStored();
    void stripFollowsAndStopsABatch();
    void verificationPausesUntilTheUserGoesOn();
    void retryLaunchesWhatWasNotObtained();
    void enterQueriesAndBusyButtonsAreUnavailable();
    void lockedStoreKeepsRowsUntilItIsFree();
    void commandLineStoresWhatTheWindowStores();
    void secondBatchOnOneStoreIsRefused();
    void readOnlyStoreTellsAndKeepsRows();
};

void TestQueryEndToEnd::singleQuery()
{
    Fixture f;
    f.open();
    const QString domain = QStringLiteral("a&b%c中文.com");
    const QByteArray bytes = "a&b%c\xD6\xD0\xCE\xC4.com";
    f.form->cbb1->setEditText(domain);
    f.form->bsSkinXFormButton1->click();
    QCOMPARE(f.form->bsSkinStatusPanel1->text(), "正在查询：" + domain);
    QVERIFY(f.waitForRunEnd(15000));
    QCOMPARE(f.form->bsSkinStatusPanel1->text(), "查询完毕：" + domain);
    QCOMPARE(f.form->bskng1->value(), 7);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.requestsHeld(), 0);

    QList<QByteArray> lines;
    for (const auto &r : f.server.requests()) {
        lines << r.requestLine;
        QCOMPARE(r.header("User-Agent"), Agent);
        QCOMPARE(r.header("Cache-Control"), QByteArray("no-cache"));
        QCOMPARE(r.header("Pragma"), QByteArray("no-cache"));
        QCOMPARE(r.header("Accept"), QByteArray("*/*"));
    }
    std::sort(lines.begin(), lines.end());
    QList<QByteArray> expected;
    for (const QByteArray &q : QueryStrings)
        expected << "GET http://www.baidu.com/s?" + q + bytes + " HTTP/1.1";
    std::sort(expected.begin(), expected.end());
    QCOMPARE(lines, expected);

    const QList<ShouluRow> rows = f.history(domain);
    QCOMPARE(rows.size(), 1);
    const ShouluRow &row = rows[0];
    QCOMPARE(row.domain, domain);
    const int n = int(bytes.size());
    QCOMPARE(row.result.baidu, 1000 + n);
    QCOMPARE(row.result.baidu1, 2000 + n);
    QCOMPARE(row.result.baidu7, 3000 + n);
    QCOMPARE(row.result.baidu30, 4000 + n);
    QCOMPARE(row.result.baidu360, 5000 + n);
    QCOMPARE(row.result.baidudomain, 6000 + n);
    QCOMPARE(row.result.baiduindex, datetime::make(QDate(2021, 3, 4)));
    QVERIFY(row.result.baiduisfirst);
    // The typed domain joined the list, and the overview shows its row.
    QCOMPARE(f.form->cbb1->findText(domain), 0);
    QCOMPARE(f.form->store().latestRows().size(), 1);
}

void TestQueryEndToEnd::batchOfThree()
{
    Fixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com"})
        f.files.store->addDomain(QString::fromLatin1(d));
    f.open();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    QCOMPARE(f.form->bsSkinStatusPanel1->text(), QStringLiteral("开始查询所有域名收录量..."));
    QCOMPARE(f.form->bskng1->maximum(), 21);
    QVERIFY(f.waitForRunEnd(20000));
    QCOMPARE(f.form->bskng1->value(), 21);
    QCOMPARE(f.server.requests().size(), 21);
    QCOMPARE(f.requestsHeld(), 0);
    for (const char *d : {"a.com", "bb.com", "ccc.com"}) {
        const QList<ShouluRow> rows = f.history(QString::fromLatin1(d));
        QCOMPARE(rows.size(), 1);
        const int n = int(qstrlen(d));
        QCOMPARE(rows[0].result.baidu, 1000 + n);
        QCOMPARE(rows[0].result.baidudomain, 6000 + n);
        QVERIFY(rows[0].result.baiduisfirst);
    }
    QCOMPARE(f.form->lv1->model()->rowCount(), 3);
}

void TestQueryEndToEnd::silentEngineStillEndsTheRun()
{
    THTTPGetThread::setTimeouts({1000ms, 1s});
    Fixture f([](LoopbackServer::Connection &c) { c.stall(30s); });
    f.open();
    f.form->cbb1->setEditText("quiet.com");
    f.form->bsSkinXFormButton1->click();
    QVERIFY(f.waitForRunEnd(20000));
    THTTPGetThread::setTimeouts({});
    QCOMPARE(f.requestsHeld(), 0);
    const QList<ShouluRow> rows = f.history("quiet.com");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].result.baidu, 0);
    QCOMPARE(rows[0].result.baiduindex, datetime::noSnapshot());
    QVERIFY(!rows[0].result.baiduisfirst);
}

void TestQueryEndToEnd::outcomesOfTodaysEngineAreStored()
{
    // Today's engine, one behaviour per question.
    Fixture f(todaysEngine);
    f.open();
    f.form->cbb1->setEditText("today.example");
    f.form->bsSkinXFormButton1->click();
    QVERIFY(f.waitForRunEnd(15000));
    const QList<ShouluRow> rows = f.history("today.example");
    QCOMPARE(rows.size(), 1);
    const ShouluRow &row = rows[0];
    QCOMPARE(row.result.baidu, 1234);
    QCOMPARE(row.result.baidu1, 0);
    QCOMPARE(row.result.baidu30, 0);
    QCOMPARE(row.result.baidu360, 55);
    QCOMPARE(row.result.baidudomain, 0);
    QCOMPARE(row.result.baiduindex, datetime::noSnapshot());
    QVERIFY(row.answers.has_value());
    const AnswerRecords expected = {
        AnswerRecord{AnswerOutcome::Current, 200},     AnswerRecord{AnswerOutcome::Blocked, 302},
        AnswerRecord{AnswerOutcome::Blocked, 403},     AnswerRecord{AnswerOutcome::Blocked, 429},
        AnswerRecord{AnswerOutcome::Read, 500},        AnswerRecord{AnswerOutcome::None, 200},
        AnswerRecord{AnswerOutcome::Unrecognised, 200}};
    for (int k = 0; k < 7; ++k) {
        QCOMPARE(int((*row.answers)[k].outcome), int(expected[k].outcome));
        QCOMPARE((*row.answers)[k].status, expected[k].status);
    }
    // The verification redirect was not followed.
    QCOMPARE(f.server.requests().size(), 7);
    for (const auto &r : f.server.requests())
        QVERIFY2(!r.requestLine.contains("wappass"), r.requestLine.constData());
}

void TestQueryEndToEnd::stripFollowsAndStopsABatch()
{
    Fixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com", "dddd.com"})
        f.files.store->addDomain(QString::fromLatin1(d));
    f.open();
    f.form->show();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    QTRY_VERIFY_WITH_TIMEOUT(f.form->Notice->text().startsWith("批量查询 2/4：bb.com"), 10000);
    QVERIFY(f.form->Notice->isVisible());
    QVERIFY2(f.form->Notice->text().contains(" · 剩余约 "), qPrintable(f.form->Notice->text()));
    QCOMPARE(f.form->Notice->geometry(), f.form->WebBrowser1->geometry()); // over the banner
    QTest::keyClick(f.form.get(), Qt::Key_Escape);
    QVERIFY(f.waitForRunEnd(15000));
    QTest::qWait(2500); // a launch would have come by now
    QCOMPARE(f.server.requests().size(), 14);
    QCOMPARE(f.history("a.com").size(), 1);
    QCOMPARE(f.history("bb.com").size(), 1);
    QCOMPARE(f.history("ccc.com").size(), 0);
    QCOMPARE(f.form->Notice->text(),
             QStringLiteral("批量查询已停止（已开始 2/4）：2 个域名全部取得。"));
    QVERIFY(!f.form->Notice->retryButton()->isVisible());
    f.form->Notice->closeButton()->click();
    QVERIFY(!f.form->Notice->isVisible());
}

void TestQueryEndToEnd::verificationPausesUntilTheUserGoesOn()
{
    std::atomic<bool> blocking{true};
    Fixture f([&blocking](LoopbackServer::Connection &c) {
        if (blocking)
            c.respond(todayPage::verification(), "200 OK",
                      "Content-Type: text/html; charset=utf-8\r\n");
        else
            engine(c);
    });
    for (const char *d : {"a.com", "bb.com", "ccc.com"})
        f.files.store->addDomain(QString::fromLatin1(d));
    f.open();
    f.form->show();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    QTRY_VERIFY_WITH_TIMEOUT(f.form->Runner->paused(), 10000);
    QVERIFY(f.form->Notice->text().startsWith("百度要求安全验证"));
    QVERIFY(f.form->Notice->resumeButton()->isVisible());
    QTest::qWait(4500); // two launches' worth: none comes
    QCOMPARE(f.server.requests().size(), 7);
    QVERIFY(f.form->Run().Busy);
    blocking = false; // the user has passed the verification
    f.form->Notice->resumeButton()->click();
    QVERIFY(f.waitForRunEnd(20000));
    QCOMPARE(f.server.requests().size(), 21);
    QCOMPARE(f.history("ccc.com").value(0).result.baidu, 1000 + 7); // 7 letters
    QVERIFY(f.form->Notice->text().contains("1 个有未取得的结果"));
    QVERIFY(f.form->Notice->retryButton()->isVisible());
}

void TestQueryEndToEnd::retryLaunchesWhatWasNotObtained()
{
    Fixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com", "dddd.com"})
        f.files.store->addDomain(QString::fromLatin1(d));
    AnswerRecords fine{}, failed{};
    fine.fill(AnswerRecord{AnswerOutcome::Read, 200});
    failed = fine;
    failed[3] = AnswerRecord{AnswerOutcome::Failed, 0};
    const QDateTime t = datetime::make(QDate(2026, 1, 1), QTime(9, 0));
    f.files.store->addshoulu("dddd.com", t, QueryResult{}, failed);
    f.files.store->addshoulu("a.com", t, QueryResult{}, fine);
    f.files.store->addshoulu("bb.com", t, QueryResult{}, failed);
    f.files.store->addshoulu("ccc.com", t, QueryResult{}); // no outcomes kept
    f.open();
    QCOMPARE(f.form->domainsNotObtained(), (QStringList{"bb.com", "dddd.com"})); // list order
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->retryNotObtained();
    QVERIFY(f.waitForRunEnd(20000));
    QCOMPARE(f.server.requests().size(), 14);
    QSet<QByteArray> asked;
    for (const auto &r : f.server.requests()) {
        QByteArray domain;
        engineQueryKind(r.requestLine.split(' ').value(1), domain);
        asked << domain;
    }
    QCOMPARE(asked, (QSet<QByteArray>{"bb.com", "dddd.com"}));
    QVERIFY(f.form->domainsNotObtained().isEmpty());
}

void TestQueryEndToEnd::enterQueriesAndBusyButtonsAreUnavailable()
{
    THTTPGetThread::setTimeouts({1000ms, 1s});
    Fixture f([](LoopbackServer::Connection &c) { c.stall(2s); });
    f.open();
    f.form->show();
    f.form->cbb1->setEditText("enter.com");
    QTest::keyClick(f.form->cbb1->lineEdit(), Qt::Key_Return);
    QVERIFY(f.form->Run().Busy);
    QCOMPARE(f.form->bsSkinStatusPanel1->text(), QStringLiteral("正在查询：enter.com"));
    QVERIFY(!f.form->bsSkinXFormButton1->isEnabled());
    QVERIFY(!f.form->bsSkinXFormButton2->isEnabled());
    QVERIFY(f.form->bsSkinXFormButton3->isEnabled());
    QVERIFY(f.form->btn2->isEnabled());
    QVERIFY(f.waitForRunEnd(20000));
    THTTPGetThread::setTimeouts({});
    QVERIFY(f.form->bsSkinXFormButton1->isEnabled());
    QVERIFY(f.form->bsSkinXFormButton2->isEnabled());
    // Every answer failed: the strip says so for this one domain.
    QVERIFY2(f.form->Notice->text().startsWith("查询完毕：enter.com 有未取得的结果"),
             qPrintable(f.form->Notice->text()));
    QVERIFY(f.form->Notice->text().contains("查询失败 7 项"));
}

void TestQueryEndToEnd::commandLineStoresWhatTheWindowStores()
{
    Fixture f(mixedEngine);
    const QStringList domains = {"a.com", "bb.com", "ccc.com"};
    for (const QString &d : domains)
        f.files.store->addDomain(d);
    StoreFixture cliFiles;
    for (const QString &d : domains)
        cliFiles.store->addDomain(d);
    cliFiles.store.reset();
    f.open();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    QVERIFY(f.waitForRunEnd(30000));

    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    cli.setProcessEnvironment(env); // http_proxy is the fixture's engine
    cli.start(QStringLiteral(TALVEXA_CLI), {"run", "--store", cliFiles.path(), "--delay", "1"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 3); // the unknown page is an answer not obtained
    ResultStore other(cliFiles.path());
    for (const QString &d : domains) {
        const QList<ShouluRow> fromWindow = f.history(d), fromCli = other.dayHistory(d);
        QCOMPARE(fromWindow.size(), 1);
        QCOMPARE(fromCli.size(), 1);
        QCOMPARE(fromCli[0].domain, fromWindow[0].domain);
        QCOMPARE(fromCli[0].result, fromWindow[0].result);
        QCOMPARE(fromCli[0].answers, fromWindow[0].answers);
        QCOMPARE(fromCli[0].searchtime.date(), fromWindow[0].searchtime.date());
    }
    QCOMPARE(other.dayHistory("bb.com").value(0).result.baidu, 6000);
}

void TestQueryEndToEnd::secondBatchOnOneStoreIsRefused()
{
    Fixture f;
    f.files.store->addDomain("a.com");
    f.open();
    BatchLock other(f.files.path()); // the command line's batch, say
    QVERIFY(other.tryLock());
    f.form->bsSkinXFormButton2->click();
    QVERIFY(!f.form->Run().Busy);
    QVERIFY(f.form->Notice->text().startsWith("另一个批量查询"));
    QTest::qWait(500);
    QCOMPARE(f.server.requests().size(), 0);
    other.unlock();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    QVERIFY(f.form->Run().Busy);
    BatchLock meanwhile(f.files.path());
    QVERIFY(!meanwhile.tryLock()); // the window's batch holds it now
    QVERIFY(f.waitForRunEnd(15000));
    QVERIFY(meanwhile.tryLock());
}

void TestQueryEndToEnd::lockedStoreKeepsRowsUntilItIsFree()
{
    Fixture f;
    for (const char *d : {"a.com", "bb.com"})
        f.files.store->addDomain(QString::fromLatin1(d));
    f.open();
    // Another program takes the store for longer than the busy timeout.
    std::promise<void> locked;
    std::thread holder([&locked, path = f.files.path()] {
        SqlDatabase other(path);
        other.setKey(ResultStore::password());
        other.execute("begin exclusive");
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(SqlDatabase::BusyTimeoutMs + 1500));
        other.execute("rollback");
    });
    locked.get_future().wait();
    f.form->bsSkinSpinEdit1->setValue(1);
    f.form->bsSkinXFormButton2->click();
    const bool ended = f.waitForRunEnd(40000);
    holder.join();
    QVERIFY(ended);
    // The first row waited through the lock and went in, before the second.
    QCOMPARE(f.form->Runner->unsavedRows(), 0);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages[0].contains("locked") && f.messages[0].contains(" 1 "),
             qPrintable(f.messages[0]));
    const QList<ShouluRow> a = f.history("a.com"), b = f.history("bb.com");
    QCOMPARE(a.size(), 1);
    QCOMPARE(b.size(), 1);
    QVERIFY(a[0].id < b[0].id);
    QCOMPARE(a[0].result.baidu, 1000 + 5);
}

void TestQueryEndToEnd::readOnlyStoreTellsAndKeepsRows()
{
    Fixture f;
    f.files.store.reset();
    const QByteArray digest = digestOf(f.files.path());
    TForm1::Options options;
    options.storePath = "file:" + f.files.path() + "?mode=ro";
    options.bannerUrl = QUrl();
    f.form = std::make_unique<TForm1>(options);
    QVERIFY(f.form->FormCreate()); // a valid store opens, read-only
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages[0].contains("readonly"), qPrintable(f.messages[0]));

    for (const char *d : {"ro1.com", "ro2.com"}) {
        f.form->cbb1->setEditText(QString::fromLatin1(d));
        f.form->bsSkinXFormButton1->click();
        QVERIFY(f.waitForRunEnd(15000));
    }
    // The list could not be saved either: each failure is told.
    QVERIFY(f.messages.size() >= 3);
    for (const QString &m : f.messages.mid(1))
        QVERIFY2(m.contains("readonly"), qPrintable(m));

    QCOMPARE(f.form->Runner->unsavedRows(), 2); // both rows kept, in memory
    QStringList asked;
    QList<int> answers = {2, 1}; // keep the window, then give the rows up
    toolkit::setQuestionSink([&](const QString &text, const QStringList &) {
        asked << text;
        return answers.takeFirst();
    });
    f.form->show();
    f.form->close();
    QVERIFY(f.form->isVisible());
    f.form->close();
    toolkit::setQuestionSink({});
    QVERIFY(!f.form->isVisible());
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked[0].contains(" 2 "));
    QCOMPARE(digestOf(f.files.path()), digest);
}

int main(int argc, char **argv)
{
    prepareBrowserEngine();
    toolkit::TApplication app(argc, argv);
    TestQueryEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queryend2end.moc"

#include "BatchLock.h"
#include "ResultStore.h"
#include "SqlDatabase.h"

#include "CsvReader.h"
#include "FakeEnginePages.h"
#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "TestFiles.h"

#include <QProcess>
#include <QTest>

#include <csignal>

using namespace std::chrono_literals;

namespace {

// The engine's answer: figures that tell kind and domain apart.
void engine(LoopbackServer::Connection &c)
{
    QByteArray domain;
    const int kind = engineQueryKind(c.request().requestLine.split(' ').value(1), domain);
    if (kind == 6) {
        c.respond(enginePage("1", snapshotResults(domain, "2021-3-4")));
        return;
    }
    const QByteArray count = QByteArray::number(qsizetype(1000) * (kind + 1) + domain.size());
    c.respond(enginePage(count, kind == 0 ? siteResults(domain, true) : QByteArray()));
}

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs talvexa-cli with no display, through the engine as proxy.
Result cli(const QStringList &arguments, const QByteArray &proxy = {}, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("no_proxy");
    env.remove("NO_PROXY");
    if (!proxy.isEmpty())
        env.insert("http_proxy", QString::fromLatin1(proxy));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TALVEXA_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void runStoresRowsAndTellsThem();
    void runExitStatus_data();
    void runExitStatus();
    void unopenableStoresAreLeftAlone_data();
    void unopenableStoresAreLeftAlone();
    void terminatedRunStoresWhatWasOut();
    void oneBatchPerStore();
    void initMakesAnEmptyStoreOnce();
    void domainList();
    void exportAsCsv();
    void badArguments_data();
    void badArguments();
};

void TestCli::runStoresRowsAndTellsThem()
{
    LoopbackServer server(engine);
    StoreFixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com"})
        f.store->addDomain(QString::fromLatin1(d));
    const Result r =
        cli({"run", "--store", f.path(), "--delay", "1"}, "http://" + server.address());
    QCOMPARE(r.status, 0);
    QCOMPARE(server.requests().size(), 21);
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QByteArray("a.com\t1005\t2005\t3005\t4005\t5005\t6005\t2021-03-04\t1\t"));
    QCOMPARE(lines[2].split('\t').value(0), QByteArray("ccc.com"));
    QVERIFY2(r.err.contains("3 个全部取得"), r.err.constData());
    for (const char *d : {"a.com", "bb.com", "ccc.com"}) {
        const QList<ShouluRow> rows = f.store->dayHistory(QString::fromLatin1(d));
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].answers.has_value());
    }
    // Domains given on the line are queried without touching the list.
    const Result given =
        cli({"run", "--store", f.path(), "--delay", "1", "x.org"}, "http://" + server.address());
    QCOMPARE(given.status, 0);
    QVERIFY(given.out.startsWith("x.org\t1005\t"));
    QCOMPARE(f.store->domains(), (QStringList{"a.com", "bb.com", "ccc.com"}));
}

void TestCli::runExitStatus_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QByteArray>("missing");
    QTest::newRow("verification page stops the launches") << "verify" << 3 << 7 << QByteArray();
    QTest::newRow("dropped connection") << "reset" << 3 << 14 << QByteArray("0:failed,1:failed");
}

void TestCli::runExitStatus()
{
    QFETCH(QString, mode);
    QFETCH(int, status);
    QFETCH(int, requests);
    QFETCH(QByteArray, missing);
    LoopbackServer server([&mode](LoopbackServer::Connection &c) {
        if (mode == "verify")
            c.respond(todayPage::verification());
        else
            c.reset();
    });
    StoreFixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com"})
        f.store->addDomain(QString::fromLatin1(d));
    const Result r =
        cli({"run", "--store", f.path(), "--delay", "1"}, "http://" + server.address());
    QCOMPARE(r.status, status);
    if (mode == "verify") {
        QCOMPARE(server.requests().size(), requests); // nothing after the first domain
        QVERIFY(r.err.contains("安全验证"));
        QVERIFY(r.out.startsWith("a.com\t"));
        QVERIFY(r.out.contains("0:blocked"));
    } else {
        QCOMPARE(r.out.count('\n'), 3);
        QVERIFY2(r.out.split('\n')[0].endsWith(missing + ",2:failed,3:failed,4:failed,5:failed,"
                                                         "6:failed"),
                 r.out.constData());
    }
}

void TestCli::unopenableStoresAreLeftAlone_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("random bytes") << QByteArray(4096, '\x5a');
    QTest::newRow("plain text") << QByteArray("not a database\n");
}

void TestCli::unopenableStoresAreLeftAlone()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.dat");
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray before = digestOf(path);
    for (const QStringList &args :
         {QStringList{"run", "--store", path}, QStringList{"domains", "--store", path},
          QStringList{"export", "--store", path}}) {
        const Result r = cli(args);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("文件不完整").toUtf8()), r.err.constData());
        QVERIFY(r.err.contains(path.toUtf8()));
    }
    QCOMPARE(digestOf(path), before);
    QCOMPARE(QFile::exists(path), !content.isEmpty());
}

void TestCli::terminatedRunStoresWhatWasOut()
{
    // An engine that answers nothing for a long time.
    LoopbackServer server([](LoopbackServer::Connection &c) { c.stall(30s); });
    StoreFixture f;
    for (const char *d : {"a.com", "bb.com", "ccc.com"})
        f.store->addDomain(QString::fromLatin1(d));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.insert("http_proxy", "http://" + server.address());
    env.remove("no_proxy");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TALVEXA_CLI), {"run", "--store", f.path(), "--delay", "1"});
    QVERIFY(process.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(server.connections(), 7, 10000);
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(server.connections(), 7); // no launch after the signal
    const QList<ShouluRow> rows = f.store->dayHistory("a.com");
    QCOMPARE(rows.size(), 1); // what was out was counted, as failed, and stored
    QCOMPARE(int((*rows[0].answers)[0].outcome), int(AnswerOutcome::Failed));
    QVERIFY(process.readAllStandardOutput().startsWith("a.com\t0\t"));
}

void TestCli::oneBatchPerStore()
{
    LoopbackServer server(engine);
    StoreFixture f;
    f.store->addDomain("a.com");
    BatchLock other(f.path()); // a batch of the window, say
    QVERIFY(other.tryLock());
    const Result refused = cli({"run", "--store", f.path()}, "http://" + server.address());
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.err.contains(QStringLiteral("另一个批量查询").toUtf8()));
    QCOMPARE(server.requests().size(), 0);
    other.unlock();
    const Result ran =
        cli({"run", "--store", f.path(), "--delay", "1"}, "http://" + server.address());
    QCOMPARE(ran.status, 0);
    QVERIFY(other.tryLock()); // the run let go of the lock when it ended
}

void TestCli::initMakesAnEmptyStoreOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new/folder/setting.dat");
    QCOMPARE(cli({"init", "--store", path}).status, 0);
    QCOMPARE(ResultStore(path).domains(), QStringList());
    const QByteArray before = digestOf(path);
    QCOMPARE(cli({"init", "--store", path}).status, 1); // an existing file is refused
    QCOMPARE(digestOf(path), before);
}

void TestCli::domainList()
{
    StoreFixture f;
    f.store->addDomain("old.com");
    const Result set = cli({"domains", "--store", f.path(), "--set", "-"}, {},
                           "b.com\r\na.com\n\nB.COM\n  c.com \n中文.com\n");
    QCOMPARE(set.status, 0);
    // As the dialog saves it: order kept, duplicates once, blanks as lines.
    QCOMPARE(f.store->domains(), (QStringList{"b.com", "a.com", "", "c.com", "中文.com"}));
    QCOMPARE(cli({"domains", "--store", f.path(), "--add", "a.com", "d.com"}).status, 0);
    const Result list = cli({"domains", "--store", f.path()});
    QCOMPARE(list.status, 0);
    QCOMPARE(QString::fromUtf8(list.out),
             QStringLiteral("b.com\na.com\n\nc.com\n中文.com\nd.com\n"));
}

void TestCli::exportAsCsv()
{
    StoreFixture f;
    for (const char *d : {"a,b.com", "q\"uote.com", "中文.com", "gone.com"})
        f.store->addDomain(QString::fromUtf8(d));
    AnswerRecords answers{};
    answers.fill(AnswerRecord{AnswerOutcome::Read, 200});
    answers[2] = {AnswerOutcome::Blocked, 403};
    QueryResult r;
    r.baidu = -1;
    r.baidu1 = 12;
    r.baiduindex = datetime::noSnapshot();
    f.store->addshoulu("a,b.com", datetime::make(QDate(2026, 1, 2), QTime(9, 0)), r, answers);
    f.store->addshoulu("q\"uote.com", datetime::make(QDate(2026, 1, 1), QTime(9, 0)), r);
    f.store->addshoulu(QString::fromUtf8("中文.com"),
                       datetime::make(QDate(2026, 1, 1), QTime(8, 0)), r);
    f.store->addshoulu(QString::fromUtf8("中文.com"),
                       datetime::make(QDate(2026, 1, 3), QTime(8, 0)), r);

    const Result overview = cli({"export", "--store", f.path()});
    QCOMPARE(overview.status, 0);
    QVERIFY(overview.out.startsWith("\xEF\xBB\xBF"));
    QVERIFY(overview.out.endsWith("\r\n"));
    const QList<QStringList> table = readCsv(overview.out);
    QCOMPARE(table.size(), 4);
    QCOMPARE(table[0],
             (QStringList{"序号", "域名", "查询日期", "总收录", "昨日收录", "一周收录", "一月收录",
                          "一年收录", "百度外链", "快照日期", "Site首页第一?", "未取得"}));
    QCOMPARE(table[1].mid(0, 5), (QStringList{"1", "中文.com", "2026-01-03", "-1", "12"}));
    QCOMPARE(table[2][1], QStringLiteral("a,b.com"));
    QCOMPARE(table[2][9], QStringLiteral("1900-01-01"));
    QCOMPARE(table[2][11], QStringLiteral("2:blocked"));
    QCOMPARE(table[3][1], QStringLiteral("q\"uote.com"));
    QCOMPARE(table[3][10], QStringLiteral("否"));

    QTemporaryDir out;
    const QString file = out.filePath("history.csv");
    QCOMPARE(cli({"export", "--store", f.path(), "--domain", "中文.com", "--out", file}).status, 0);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QStringList> history = readCsv(written.readAll());
    QCOMPARE(history.size(), 3);
    QCOMPARE(history[1][2], QStringLiteral("2026-01-03"));
    QCOMPARE(history[2][2], QStringLiteral("2026-01-01"));
    // A folder that cannot be written: an error, and nothing left behind.
    const Result failed =
        cli({"export", "--store", f.path(), "--out", out.filePath("no/such/dir/x.csv")});
    QCOMPARE(failed.status, 1);
    QVERIFY(!QFile::exists(out.filePath("no/such/dir/x.csv")));
}

void TestCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("unknown option") << QStringList{"run", "--bogus"};
    QTest::newRow("delay too long") << QStringList{"run", "--delay", "61"};
    QTest::newRow("delay not a number") << QStringList{"run", "--delay", "x"};
    QTest::newRow("init with an argument") << QStringList{"init", "extra"};
    QTest::newRow("domains, both ways") << QStringList{"domains", "--set", "-", "--add", "a"};
}

void TestCli::badArguments()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(TALVEXA_CLI), arguments);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("sage"));
    QVERIFY(QDir(dir.path()).isEmpty()); // nothing created
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

#include "HttpQueryFetcher.h"
#include "THTTPGet.h"
#include "THTTPGetThread.h"
#include "Tmyhttpget.h"

#include "LoopbackServer.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

using namespace std::chrono_literals;

namespace {

// Whether something accepts connections on the loopback port.
bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// What a component reported.
struct Outcome
{
    int done = 0;
    int errors = 0;
    QByteArray body;
    QList<QPair<int, int>> progress; // TotalSize, Readed
    int events() const { return done + errors; }
};

void watch(THTTPGet &get, Outcome &outcome, bool withProgress = false)
{
    get.OnDoneString = [&outcome](QObject *, const QByteArray &result) {
        ++outcome.done;
        outcome.body = result;
    };
    get.OnError = [&outcome](QObject *) { ++outcome.errors; };
    if (withProgress) {
        get.OnProgress = [&outcome](QObject *, int total, int readed) {
            outcome.progress.append({total, readed});
        };
    }
}

// Fetches once and waits for the event.
Outcome fetch(const QByteArray &url, const std::function<void(THTTPGet &)> &setup = {})
{
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome, true);
    get.URL = url;
    if (setup)
        setup(get);
    get.Fetch();
    QElapsedTimer clock;
    clock.start();
    while (outcome.events() == 0 && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return outcome;
}

// A port nobody listens on.
} // namespace

class TestFetch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    void cleanup();
    void cleanupTestCase()
    {
        QVERIFY(THTTPGetThread::finishAll());
        curl_global_cleanup();
    }

    void outcomes_data();
    void outcomes();
    void requestAsSent();
    void rawPathBytes();
    void postBodyAndHeaders();
    void emptyAgentAndReferer();
    void credentialsWhenAsked();
    void largeBodyInChunks();
    void chunkedBodyHasNoLength();
    void stalledResponseFails();
    void tricklingServerEndsWithinTheTotalLimit();
    void endlessBodyEndsAtTheSizeLimit();
    void queryRequestsOutAreBounded();
    void redirectToHttpsIsFollowed_data();
    void redirectToHttpsIsFollowed();
    void proxyFromEnvironment();

    void secondFetchIsIgnored();
    void abortBeforeRunMakesNoTraffic();
    void abortDuringFetch();
    void fetchAgainAfterEvent();
    void fetchFromHandlerIsRefused();
    void urlChangedDuringFetch();
    void destroyedDuringFetch();
    void destroyedComponentGetsNoProgress();
    void finishAllEndsBlockedWorkers();
    void queryRequestCarriesDomainAndKind();
};

void TestFetch::cleanup()
{
    THTTPGetThread::setTimeouts({});
    QTRY_COMPARE_WITH_TIMEOUT(THTTPGetThread::liveWorkers(), 0, 10000);
}

void TestFetch::outcomes_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("done");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("body") << "body" << 1 << QByteArray("<html>page</html>");
    QTest::newRow("error status with body") << "404" << 1 << QByteArray("not here");
    QTest::newRow("empty body") << "empty" << 0 << QByteArray();
    QTest::newRow("one byte") << "one" << 1 << QByteArray("x");
    QTest::newRow("reset mid-body") << "reset" << 1 << QByteArray(5000, 'r');
    QTest::newRow("reset before body") << "reset0" << 0 << QByteArray();
    QTest::newRow("length not a number") << "badlength" << 0 << QByteArray();
    QTest::newRow("redirect") << "redirect" << 1 << QByteArray("moved here");
    QTest::newRow("refused") << "refused" << 0 << QByteArray();
}

void TestFetch::outcomes()
{
    QFETCH(QString, script);
    QFETCH(int, done);
    QFETCH(QByteArray, body);
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        if (script == "body")
            c.respond("<html>page</html>");
        else if (script == "404")
            c.respond("not here", "404 Not Found");
        else if (script == "empty")
            c.respond("");
        else if (script == "one")
            c.respond("x");
        else if (script == "reset") {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(5000, 'r'));
            c.stall(200ms);
            c.reset();
        } else if (script == "reset0")
            c.reset();
        else if (script == "badlength")
            c.send("HTTP/1.1 200 OK\r\nContent-Length: lots\r\nConnection: close\r\n\r\nbody");
        else if (script == "redirect") {
            if (c.request().requestLine.startsWith("GET /old"))
                c.respond("see other", "302 Found", "Location: /new\r\n");
            else
                c.respond("moved here");
        }
    });
    const QByteArray url = script == "refused"
                               ? "http://127.0.0.1:" + QByteArray::number(closedPort()) + "/"
                               : "http://" + server.address() + "/old";
    const Outcome outcome = fetch(url);
    QCOMPARE(outcome.events(), 1);
    QCOMPARE(outcome.done, done);
    QCOMPARE(outcome.body, body);
}

void TestFetch::requestAsSent()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("ok"); });
    const Outcome outcome = fetch("http://" + server.address() + "/s?wd=site%3Aa.com");
    QCOMPARE(outcome.done, 1);
    const LoopbackServer::Request r = server.requests().value(0);
    QCOMPARE(r.requestLine, QByteArray("GET /s?wd=site%3Aa.com HTTP/1.1"));
    QCOMPARE(r.header("User-Agent"), QByteArray("Brannock HTTPGet"));
    QCOMPARE(r.header("Accept"), QByteArray("*/*"));
    QCOMPARE(r.header("Cache-Control"), QByteArray("no-cache"));
    QCOMPARE(r.header("Pragma"), QByteArray("no-cache"));
    QVERIFY(!r.hasHeader("Referer"));
    QVERIFY(!r.hasHeader("Authorization"));

    // With the cache allowed, nothing asks for a fresh answer.
    fetch("http://" + server.address() + "/", [](THTTPGet &g) { g.UseCache = true; });
    QVERIFY(!server.requests().value(1).hasHeader("Cache-Control"));
    QVERIFY(!server.requests().value(1).hasHeader("Pragma"));
}

void TestFetch::rawPathBytes()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("ok"); });
    fetch("http://" + server.address() + "/s?wd=\xD6\xD0\xCE\xC4&a%b c\t#d");
    QCOMPARE(server.requests().value(0).requestLine,
             QByteArray("GET /s?wd=\xD6\xD0\xCE\xC4&a%b%20c%09%23d HTTP/1.1"));
}

void TestFetch::postBodyAndHeaders()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("posted"); });
    const Outcome outcome = fetch("http://" + server.address() + "/form",
                                  [](THTTPGet &g) { g.PostQuery = "a=1&b=%E4"; });
    QCOMPARE(outcome.body, QByteArray("posted"));
    const LoopbackServer::Request r = server.requests().value(0);
    QCOMPARE(r.requestLine, QByteArray("POST /form HTTP/1.1"));
    QCOMPARE(r.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(r.body, QByteArray("a=1&b=%E4"));
}

void TestFetch::emptyAgentAndReferer()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("ok"); });
    fetch("http://" + server.address() + "/", [](THTTPGet &g) {
        g.Agent.clear();
        g.Referer = "http://from.example/";
        g.AcceptTypes = "text/html";
    });
    const LoopbackServer::Request r = server.requests().value(0);
    QVERIFY(!r.hasHeader("User-Agent"));
    QCOMPARE(r.header("Referer"), QByteArray("http://from.example/"));
    QCOMPARE(r.header("Accept"), QByteArray("text/html"));
}

void TestFetch::credentialsWhenAsked()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        if (c.request().hasHeader("Authorization"))
            c.respond("welcome");
        else
            c.respond("who?", "401 Unauthorized", "WWW-Authenticate: Basic realm=\"x\"\r\n");
    });
    const Outcome outcome = fetch("http://" + server.address() + "/", [](THTTPGet &g) {
        g.UserName = "user";
        g.Password = "secret";
    });
    QCOMPARE(outcome.body, QByteArray("welcome"));
    QCOMPARE(server.requests().last().header("Authorization"),
             "Basic " + QByteArray("user:secret").toBase64());
}

void TestFetch::largeBodyInChunks()
{
    QByteArray big(300 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char('a' + i % 26);
    LoopbackServer server([&](LoopbackServer::Connection &c) { c.respond(big); });
    const Outcome outcome = fetch("http://" + server.address() + "/");
    QCOMPARE(outcome.body, big);
    QVERIFY(!outcome.progress.isEmpty());
    int previous = 0;
    for (const auto &[total, readed] : outcome.progress) {
        QCOMPARE(total, int(big.size()));
        QVERIFY(readed > previous);
        QVERIFY2(readed - previous <= 1025, qPrintable(QString::number(readed - previous)));
        previous = readed;
    }
    QCOMPARE(previous, int(big.size()));
}

void TestFetch::chunkedBodyHasNoLength()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
               "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n");
    });
    const Outcome outcome = fetch("http://" + server.address() + "/");
    QCOMPARE(outcome.body, QByteArray("hello world"));
    for (const auto &[total, readed] : outcome.progress)
        QCOMPARE(total, 0);
}

void TestFetch::stalledResponseFails()
{
    THTTPGetThread::setTimeouts({2000ms, 1s});
    LoopbackServer server([](LoopbackServer::Connection &c) {
        if (c.request().requestLine.contains("/partial"))
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
        c.stall(30s);
    });
    QElapsedTimer clock;
    clock.start();
    const Outcome silent = fetch("http://" + server.address() + "/silent");
    QCOMPARE(silent.errors, 1);
    // Bytes that came before the stall make the fetch a success.
    const Outcome partial = fetch("http://" + server.address() + "/partial");
    QCOMPARE(partial.body, QByteArray("0123456789"));
    QVERIFY(clock.elapsed() < 15000);
}

void TestFetch::tricklingServerEndsWithinTheTotalLimit()
{
    // A byte every 100 ms never trips the stall rule (1 s), only the total.
    THTTPGetThread::setTimeouts({2000ms, 1s, 1500ms});
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        for (int i = 0; i < 100; ++i) {
            c.send("x");
            c.stall(100ms);
        }
    });
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = fetch("http://" + server.address() + "/");
    THTTPGetThread::setTimeouts({});
    QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()));
    QCOMPARE(outcome.events(), 1);
    // What arrived before the limit is kept, as for a cut-off transfer.
    QVERIFY(outcome.body.size() > 0 && outcome.body.size() < 100);
    QVERIFY(outcome.body.count('x') == outcome.body.size());
}

void TestFetch::endlessBodyEndsAtTheSizeLimit()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'e') + "\r\n";
        // Far more than the limit; the client stops reading long before.
        for (int i = 0; i < 4096; ++i)
            c.send(chunk);
    });
    const Outcome outcome = fetch("http://" + server.address() + "/");
    QCOMPARE(outcome.done, 1);
    QCOMPARE(outcome.body.size(), THTTPGetThread::MaxBodySize);
    QCOMPARE(outcome.progress.last().second, int(THTTPGetThread::MaxBodySize));
}

void TestFetch::queryRequestsOutAreBounded()
{
    // An engine that never answers: requests end only by the stall rule.
    THTTPGetThread::setTimeouts({2000ms, 1s});
    std::mutex lock;
    QList<QByteArray> order;
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        {
            std::lock_guard held(lock);
            order << c.request().requestLine.split(' ').value(1);
        }
        c.stall(30s);
    });
    HttpQueryFetcher fetcher(nullptr, 3);
    QList<int> answered;
    int most = 0;
    for (int i = 0; i < 8; ++i) {
        const QueryRequest request{"http://" + server.address() + "/" + QByteArray::number(i), "d",
                                   0, i};
        QVERIFY(fetcher.start(request, [&](const QueryRequest &r, const QueryAnswer &a) {
            QVERIFY(!a.succeeded);
            answered << r.launch;
            most = qMax(most, fetcher.requestsOut());
        }));
    }
    QCOMPARE(fetcher.requestsOut(), 3);
    QCOMPARE(fetcher.requestsWaiting(), 5);
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 8, 15000);
    THTTPGetThread::setTimeouts({});
    std::sort(answered.begin(), answered.end()); // requests out together end in any order
    QCOMPARE(answered, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QVERIFY2(most <= 3, QByteArray::number(most));
    {
        std::lock_guard held(lock);
        QCOMPARE(order.size(), 8);
        order.clear();
    }

    // One at a time: waiting requests start in the order they were given.
    LoopbackServer quick([&](LoopbackServer::Connection &c) {
        {
            std::lock_guard held(lock);
            order << c.request().requestLine.split(' ').value(1);
        }
        c.respond("page");
    });
    HttpQueryFetcher single(nullptr, 1);
    int pages = 0;
    for (const char *path : {"/a", "/b", "/c", "/d"}) {
        single.start(
            {"http://" + quick.address() + path, "d", 0, 0},
            [&pages](const QueryRequest &, const QueryAnswer &a) { pages += a.succeeded; });
    }
    QTRY_COMPARE_WITH_TIMEOUT(pages, 4, 10000);
    std::lock_guard held(lock);
    QCOMPARE(order, (QList<QByteArray>{"/a", "/b", "/c", "/d"}));
}

void TestFetch::redirectToHttpsIsFollowed_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("certificate of a trusted authority") << true;
    QTest::newRow("certificate nobody vouches for") << false;
}

void TestFetch::redirectToHttpsIsFollowed()
{
    QFETCH(bool, trusted);
    // An https server on loopback with a certificate made for this test.
    QTemporaryDir dir;
    QProcess make;
    make.setWorkingDirectory(dir.path());
    make.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem",
                           "-out", "cert.pem", "-days", "2", "-subj", "/CN=localhost", "-addext",
                           "subjectAltName=IP:127.0.0.1,DNS:localhost"});
    QVERIFY(make.waitForFinished(30000) && make.exitCode() == 0);
    QFile page(dir.filePath("page.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("secure page");
    page.close();
    const int port = closedPort();
    QProcess tls;
    tls.setWorkingDirectory(dir.path());
    tls.start("openssl", {"s_server", "-quiet", "-accept", QString::number(port), "-cert",
                          "cert.pem", "-key", "key.pem", "-WWW"});
    QVERIFY(tls.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(listening(port), 10000);

    LoopbackServer server([port](LoopbackServer::Connection &c) {
        c.respond("moved", "301 Moved Permanently",
                  "Location: https://127.0.0.1:" + QByteArray::number(port) + "/page.html\r\n");
    });
    THTTPGetThread::setCertificateAuthorities(trusted ? QFile::encodeName(dir.filePath("cert.pem"))
                                                      : QByteArray());
    const Outcome outcome = fetch("http://" + server.address() + "/s?wd=x");
    THTTPGetThread::setCertificateAuthorities({});
    tls.kill();
    tls.waitForFinished();
    QCOMPARE(outcome.events(), 1);
    if (trusted) {
        QCOMPARE(outcome.body, QByteArray("secure page"));
    } else {
        // The check is on: an unknown certificate fails the fetch.
        QCOMPARE(outcome.errors, 1);
    }
}

void TestFetch::proxyFromEnvironment()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("from proxy"); });
    qputenv("http_proxy", "http://" + server.address());
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
    const Outcome outcome = fetch("http://www.baidu.com.invalid/s?wd=\xD6\xD0");
    qunsetenv("http_proxy");
    QCOMPARE(outcome.body, QByteArray("from proxy"));
    QCOMPARE(server.requests().value(0).requestLine,
             QByteArray("GET http://www.baidu.com.invalid/s?wd=\xD6\xD0 HTTP/1.1"));
}

void TestFetch::secondFetchIsIgnored()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.stall(300ms);
        c.respond("once");
    });
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome);
    get.URL = "http://" + server.address() + "/";
    get.Fetch();
    get.Fetch();
    QTRY_COMPARE(outcome.events(), 1);
    QTest::qWait(300);
    QCOMPARE(outcome.events(), 1);
    QCOMPARE(server.connections(), 1);
}

void TestFetch::abortBeforeRunMakesNoTraffic()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("no"); });
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome);
    get.URL = "http://" + server.address() + "/";
    get.Fetch();
    get.Abort();
    QTRY_COMPARE(outcome.events(), 1);
    QCOMPARE(outcome.errors, 1);
    QTest::qWait(100);
    QCOMPARE(server.connections(), 0);
    get.Abort(); // idle: nothing happens
    QTest::qWait(50);
    QCOMPARE(outcome.events(), 1);
}

void TestFetch::abortDuringFetch()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
        c.stall(30s);
    });
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome);
    get.URL = "http://" + server.address() + "/";
    get.Fetch();
    QTRY_COMPARE(server.connections(), 1);
    QTest::qWait(200);
    QElapsedTimer clock;
    clock.start();
    get.Abort();
    QTRY_COMPARE_WITH_TIMEOUT(outcome.events(), 1, 5000);
    QCOMPARE(outcome.errors, 1); // the bytes so far do not count after an abort
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
}

void TestFetch::fetchAgainAfterEvent()
{
    int served = 0;
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        c.respond("answer " + QByteArray::number(++served));
    });
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome);
    get.URL = "http://" + server.address() + "/";
    get.Fetch();
    QTRY_COMPARE(outcome.events(), 1);
    get.Fetch();
    QTRY_COMPARE(outcome.events(), 2);
    QCOMPARE(outcome.body, QByteArray("answer 2"));
}

void TestFetch::fetchFromHandlerIsRefused()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("x"); });
    THTTPGet get(nullptr);
    int events = 0;
    get.OnDoneString = [&](QObject *sender, const QByteArray &) {
        ++events;
        static_cast<THTTPGet *>(sender)->Fetch();
    };
    get.URL = "http://" + server.address() + "/";
    get.Fetch();
    QTRY_COMPARE(events, 1);
    QTest::qWait(200);
    QCOMPARE(events, 1);
    QCOMPARE(server.connections(), 1);
}

void TestFetch::urlChangedDuringFetch()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.stall(100ms);
        c.respond("x");
    });
    THTTPGet get(nullptr);
    Outcome outcome;
    watch(get, outcome);
    get.URL = "http://" + server.address() + "/first";
    get.Fetch();
    get.URL = "http://" + server.address() + "/second";
    QTRY_COMPARE(outcome.events(), 1);
    QCOMPARE(server.requests().value(0).requestLine, QByteArray("GET /first HTTP/1.1"));
}

void TestFetch::destroyedDuringFetch()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.stall(30s); });
    int events = 0;
    {
        QObject owner;
        auto *get = new THTTPGet(&owner);
        get->OnError = [&events](QObject *) { ++events; };
        get->OnDoneString = [&events](QObject *, const QByteArray &) { ++events; };
        get->URL = "http://" + server.address() + "/";
        get->Fetch();
        QTRY_COMPARE(server.connections(), 1);
    } // the owner releases the component while its worker waits
    QTRY_COMPARE_WITH_TIMEOUT(THTTPGetThread::liveWorkers(), 0, 5000);
    QCOMPARE(events, 0);
}

void TestFetch::destroyedComponentGetsNoProgress()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 100; ++i)
            c.send(QByteArray(1000, 'p'));
    });
    int progressCalls = 0;
    int events = 0;
    auto get = std::make_unique<THTTPGet>(nullptr);
    get->OnProgress = [&progressCalls](QObject *, int, int) { ++progressCalls; };
    get->OnError = [&events](QObject *) { ++events; };
    get->OnDoneString = [&events](QObject *, const QByteArray &) { ++events; };
    get->URL = "http://" + server.address() + "/";
    get->Fetch();
    QTRY_VERIFY_WITH_TIMEOUT(progressCalls > 0, 5000);
    // Without events being processed the worker hands over its next
    // progress report and waits; the component goes meanwhile.
    QThread::msleep(300);
    const int before = progressCalls;
    get.reset();
    QTRY_COMPARE_WITH_TIMEOUT(THTTPGetThread::liveWorkers(), 0, 5000);
    QCOMPARE(progressCalls, before);
    QCOMPARE(events, 0);
}

void TestFetch::finishAllEndsBlockedWorkers()
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 100; ++i) {
            c.send(QByteArray(1000, 'z'));
            c.stall(20ms);
        }
    });
    QObject owner;
    int progressCalls = 0;
    for (int i = 0; i < 7; ++i) {
        auto *get = new THTTPGet(&owner);
        // Progress handlers make the workers wait for the main thread.
        get->OnProgress = [&progressCalls](QObject *, int, int) { ++progressCalls; };
        get->URL = "http://" + server.address() + "/";
        get->Fetch();
    }
    QTRY_VERIFY(progressCalls > 7);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(THTTPGetThread::finishAll(5s));
    QVERIFY(clock.elapsed() < 3000);
    // The components outlive their workers and can be released afterwards.
    for (THTTPGet *get : owner.findChildren<THTTPGet *>())
        QVERIFY(!get->busy());
}

void TestFetch::queryRequestCarriesDomainAndKind()
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.respond("page"); });
    Tmyhttpget request(nullptr);
    request.Domain = "a.com";
    request.Kind = 5;
    QByteArray domain;
    int kind = -1;
    request.OnDoneString = [&](QObject *sender, const QByteArray &) {
        auto *r = static_cast<Tmyhttpget *>(sender);
        domain = r->Domain;
        kind = r->Kind;
    };
    request.URL = "http://" + server.address() + "/";
    request.Fetch();
    QTRY_COMPARE(kind, 5);
    QCOMPARE(domain, QByteArray("a.com"));
}

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_fetch.moc"

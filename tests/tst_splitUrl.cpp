#include "SplitUrl.h"

#include <QTest>

class TestSplitUrl : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
};

void TestSplitUrl::split_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("plain") << QByteArray("http://www.baidu.com/s?wd=site%3Aa.com")
                           << QByteArray("www.baidu.com") << 80 << QByteArray("/s?wd=site%3Aa.com");
    QTest::newRow("scheme in capitals") << QByteArray("HTTP://Host.COM/a?b=c")
                                        << QByteArray("Host.COM") << 80 << QByteArray("/a?b=c");
    QTest::newRow("nothing after host")
        << QByteArray("http://host") << QByteArray("host") << 80 << QByteArray("/");
    QTest::newRow("port") << QByteArray("http://host:8080/x") << QByteArray("host") << 8080
                          << QByteArray("/x");
    QTest::newRow("port without slash")
        << QByteArray("http://host:8080") << QByteArray("host") << 80 << QByteArray("/");
    QTest::newRow("port not a number")
        << QByteArray("http://host:abc/x") << QByteArray("host") << 80 << QByteArray("/x");
    QTest::newRow("empty port") << QByteArray("http://host:/x") << QByteArray("host") << 80
                                << QByteArray("/x");
    QTest::newRow("https not recognised")
        << QByteArray("https://host/x") << QByteArray("https") << 80 << QByteArray("//host/x");
    QTest::newRow("http:// inside the query")
        << QByteArray("www.host.com/s?u=http://x") << QByteArray("t.com") << 80
        << QByteArray("/s?u=http://x");
    QTest::newRow("no scheme") << QByteArray("host/x") << QByteArray("host") << 80
                               << QByteArray("/x");
    QTest::newRow("path bytes kept") << QByteArray("http://h/s?wd=\xD6\xD0 &%") << QByteArray("h")
                                     << 80 << QByteArray("/s?wd=\xD6\xD0 &%");
    QTest::newRow("empty") << QByteArray() << QByteArray() << 80 << QByteArray("/");
}

void TestSplitUrl::split()
{
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, host);
    QFETCH(int, port);
    QFETCH(QByteArray, path);
    const SplitUrlResult r = SplitUrl(url);
    QCOMPARE(r.host, host);
    QCOMPARE(r.port, port);
    QCOMPARE(r.path, path);
}

QTEST_APPLESS_MAIN(TestSplitUrl)
#include "tst_splitUrl.moc"

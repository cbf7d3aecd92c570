#include "QueryRun.h"
#include "QueryUrls.h"

#include "Gbk.h"

#include <QTest>

class TestQueryCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void prefixes_data();
    void prefixes();
    void requestUrlKeepsDomainBytes_data();
    void requestUrlKeepsDomainBytes();
    void startValues();
};

void TestQueryCatalogue::prefixes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("prefix");
    QTest::newRow("TotalIndexed") << 0 << QByteArray("http://www.baidu.com/s?wd=site%3A");
    QTest::newRow("IndexedDay") << 1 << QByteArray("http://www.baidu.com/s?lm=1&wd=site%3A");
    QTest::newRow("IndexedWeek") << 2 << QByteArray("http://www.baidu.com/s?lm=7&wd=site%3A");
    QTest::newRow("IndexedMonth") << 3 << QByteArray("http://www.baidu.com/s?lm=30&wd=site%3A");
    QTest::newRow("IndexedYear") << 4 << QByteArray("http://www.baidu.com/s?lm=360&wd=site%3A");
    QTest::newRow("Backlinks") << 5 << QByteArray("http://www.baidu.com/s?wd=domain%3A");
    QTest::newRow("Snapshot") << 6 << QByteArray("http://www.baidu.com/s?wd=");
}

void TestQueryCatalogue::prefixes()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, prefix);
    const QueryUrls urls;
    QCOMPARE(urls.count(), AnswersPerDomain);
    QCOMPARE(urls.prefix(QueryKind(kind)), prefix);
}

void TestQueryCatalogue::requestUrlKeepsDomainBytes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("domain");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("plain") << 0 << QByteArray("example.com")
                           << QByteArray("http://www.baidu.com/s?wd=site%3Aexample.com");
    QTest::newRow("empty snapshot")
        << 6 << QByteArray() << QByteArray("http://www.baidu.com/s?wd=");
    QTest::newRow("ampersand percent blank")
        << 5 << QByteArray(" a&b%20c d ")
        << QByteArray("http://www.baidu.com/s?wd=domain%3A a&b%20c d ");
    QTest::newRow("capitals kept")
        << 1 << QByteArray("WWW.Example.COM")
        << QByteArray("http://www.baidu.com/s?lm=1&wd=site%3AWWW.Example.COM");
    QTest::newRow("code page 936 bytes")
        << 6 << gbk("中文.com") << QByteArray("http://www.baidu.com/s?wd=\xD6\xD0\xCE\xC4.com");
}

void TestQueryCatalogue::requestUrlKeepsDomainBytes()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, domain);
    QFETCH(QByteArray, url);
    QCOMPARE(QueryUrls().requestUrl(QueryKind(kind), domain), url);
}

void TestQueryCatalogue::startValues()
{
    // Before any answer the date slot holds the zero date-time, not the
    // "no snapshot" date.
    const QueryRun run;
    QCOMPARE(run.Result.baiduindex.date(), QDate(1899, 12, 30));
    QCOMPARE(run.Result.baiduindex.time(), QTime(0, 0));
    QVERIFY(run.Result.baiduindex != datetime::noSnapshot());
    QCOMPARE(run.QueryTime, datetime::zero());
    QCOMPARE(datetime::toText(datetime::zero()), QStringLiteral("1899-12-30 00:00:00"));
    QCOMPARE(datetime::toText(datetime::noSnapshot()), QStringLiteral("1900-01-01 00:00:00"));
    QCOMPARE(datetime::fromText(QStringLiteral("1899-12-30 00:00:00")), datetime::zero());
    QVERIFY(!run.Busy);
    QVERIFY(!run.Result.baiduisfirst);
}

QTEST_APPLESS_MAIN(TestQueryCatalogue)
#include "tst_querycatalogue.moc"

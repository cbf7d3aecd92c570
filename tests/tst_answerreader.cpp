#include "PageReader.h"

#include "FakeEnginePages.h"
#include "Gbk.h"

#include <QTest>

Q_DECLARE_METATYPE(AnswerOutcome)

namespace {

QueryAnswer page(const QByteArray &body, int status = 200, const QByteArray &contentType = {})
{
    return QueryAnswer{true, body, status, "http://www.baidu.com/s?wd=x", contentType, {}};
}

std::int32_t countOf(int kind, const QueryResult &r)
{
    const std::int32_t counts[] = {r.baidu,   r.baidu1,   r.baidu7,
                                   r.baidu30, r.baidu360, r.baidudomain};
    return counts[kind];
}

// A UTF-8 page with one byte that is no UTF-8 at all.
QByteArray withStrayByte(QByteArray body)
{
    return body.insert(body.indexOf("<body>") + 6, "\xFF");
}

} // namespace

class TestAnswerReader : public QObject
{
    Q_OBJECT
private slots:
    void countsAndOutcomes_data();
    void countsAndOutcomes();
    void snapshotOutcomes_data();
    void snapshotOutcomes();
    void failedFetches_data();
    void failedFetches();
    void largeNumbers_data();
    void largeNumbers();
};

void TestAnswerReader::countsAndOutcomes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QueryAnswer>("answer");
    QTest::addColumn<int>("count");
    QTest::addColumn<AnswerOutcome>("outcome");
    const QByteArray classic = enginePage(gbk("约1,234"));
    QTest::newRow("classic page") << 0 << page(classic) << 1234 << AnswerOutcome::Read;
    QTest::newRow("classic page wins over today's text")
        << 2 << page(enginePage("77", codec::toCp936(u"百度为您找到相关结果约9个"))) << 77
        << AnswerOutcome::Read;
    QTest::newRow("classic page with status 500")
        << 1 << page(classic, 500) << 1234 << AnswerOutcome::Read;
    QTest::newRow("site box") << 0 << page(todayPage::siteTip("1,234")) << 1234
                              << AnswerOutcome::Current;
    QTest::newRow("site box, second form")
        << 3 << page(todayPage::siteTotal("1亿2345万")) << 123450000 << AnswerOutcome::Current;
    QTest::newRow("result count") << 5 << page(todayPage::resultCount("3万")) << 30000
                                  << AnswerOutcome::Current;
    QTest::newRow("result count without 约")
        << 4 << page(todayPage::resultCount("12,345", false)) << 12345 << AnswerOutcome::Current;
    QTest::newRow("result count not a number")
        << 1 << page(todayPage::resultCount("1.5万")) << -1 << AnswerOutcome::Current;
    QTest::newRow("stray byte in a declared UTF-8 page")
        << 0 << page(withStrayByte(todayPage::siteTip("88"))) << 88 << AnswerOutcome::Current;
    QTest::newRow("declared in the Content-Type only")
        << 0
        << page(withStrayByte(todayPage::resultCount("5")).replace("<meta charset=utf-8>", ""), 200,
                "text/html;Charset=UTF-8")
        << 5 << AnswerOutcome::Current;
    // Undeclared, the page is read unconverted as always: today's texts
    // (UTF-8 bytes) are not found in it.
    QTest::newRow("stray byte, nothing declared")
        << 0 << page(withStrayByte(todayPage::resultCount("5")).replace("<meta charset=utf-8>", ""))
        << 0 << AnswerOutcome::Unrecognised;
    QTest::newRow("verification page")
        << 0 << page(todayPage::verification()) << 0 << AnswerOutcome::Blocked;
    QTest::newRow("403 with a count") << 0 << page(classic, 403) << 1234 << AnswerOutcome::Blocked;
    QTest::newRow("429") << 2 << page("slow down", 429) << 0 << AnswerOutcome::Blocked;
    QTest::newRow("no result") << 1 << page(todayPage::noResult()) << 0 << AnswerOutcome::None;
    QTest::newRow("classic no result")
        << 0 << page(gbk("<html>抱歉，没有找到该URL</html>")) << 0 << AnswerOutcome::None;
    QTest::newRow("unknown layout")
        << 0 << page(todayPage::unknown()) << 0 << AnswerOutcome::Unrecognised;
}

void TestAnswerReader::countsAndOutcomes()
{
    QFETCH(int, kind);
    QFETCH(QueryAnswer, answer);
    QFETCH(int, count);
    QFETCH(AnswerOutcome, outcome);
    QueryResult result;
    result.baidu = result.baidu1 = result.baidu7 = result.baidu30 = result.baidu360 =
        result.baidudomain = 999;
    QCOMPARE(pagereader::readAnswer(kind, "x.example", answer, result), outcome);
    QCOMPARE(countOf(kind, result), count);
    // The other slots are untouched.
    for (int k = 0; k < 6; ++k) {
        if (k != kind)
            QCOMPARE(countOf(k, result), 999);
    }
}

void TestAnswerReader::snapshotOutcomes_data()
{
    QTest::addColumn<QueryAnswer>("answer");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<AnswerOutcome>("outcome");
    QTest::newRow("classic snapshot")
        << page(enginePage("1", snapshotResults("x.example", "2021-3-4"))) << QDate(2021, 3, 4)
        << AnswerOutcome::Read;
    QTest::newRow("today's page shows no date")
        << page(todayPage::resultCount("100")) << QDate(1900, 1, 1) << AnswerOutcome::Unrecognised;
    QTest::newRow("no result") << page(todayPage::noResult()) << QDate(1900, 1, 1)
                               << AnswerOutcome::None;
    QTest::newRow("verification") << page(todayPage::verification()) << QDate(1900, 1, 1)
                                  << AnswerOutcome::Blocked;
}

void TestAnswerReader::snapshotOutcomes()
{
    QFETCH(QueryAnswer, answer);
    QFETCH(QDate, date);
    QFETCH(AnswerOutcome, outcome);
    QueryResult result;
    QCOMPARE(pagereader::readAnswer(6, "x.example", answer, result), outcome);
    QCOMPARE(result.baiduindex, datetime::make(date));
}

void TestAnswerReader::failedFetches_data()
{
    QTest::addColumn<QueryAnswer>("answer");
    QTest::addColumn<AnswerOutcome>("outcome");
    QTest::newRow("refused") << QueryAnswer{false, {}, 0, {}, {}, "Connection refused"}
                             << AnswerOutcome::Failed;
    QTest::newRow("timed out") << QueryAnswer{false, {}, 200, "http://www.baidu.com/s", {}, "t"}
                               << AnswerOutcome::Failed;
    QTest::newRow("redirect to the verification host")
        << QueryAnswer{false, {}, 302, "https://wappass.baidu.com/static/captcha/tuxing.html?x=1",
                       {},    {}}
        << AnswerOutcome::Blocked;
    QTest::newRow("redirect to a captcha path")
        << QueryAnswer{false, {}, 302, "https://www.baidu.com/static/captcha/x", {}, {}}
        << AnswerOutcome::Blocked;
    QTest::newRow("403 without a body")
        << QueryAnswer{false, {}, 403, {}, {}, {}} << AnswerOutcome::Blocked;
}

void TestAnswerReader::failedFetches()
{
    QFETCH(QueryAnswer, answer);
    QFETCH(AnswerOutcome, outcome);
    for (int kind = 0; kind < 7; ++kind) {
        QueryResult result;
        result.baidu = result.baidudomain = 5;
        result.baiduisfirst = true;
        QCOMPARE(pagereader::readAnswer(kind, "x.example", answer, result), outcome);
        // The failure values, as for any failed fetch.
        if (kind < 6)
            QCOMPARE(countOf(kind, result), 0);
        else
            QCOMPARE(result.baiduindex, datetime::noSnapshot());
    }
}

void TestAnswerReader::largeNumbers_data()
{
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("42") << 42;
    QTest::newRow("separators") << QByteArray("2,147,483,647") << 2147483647;
    QTest::newRow("too large") << QByteArray("2,147,483,648") << -1;
    QTest::newRow("wan") << QByteArray("3万") << 30000;
    QTest::newRow("yi and wan") << QByteArray("1亿2345万") << 123450000;
    QTest::newRow("yi, wan and ones") << QByteArray("1亿2万3") << 100020003;
    QTest::newRow("22 yi is too large") << QByteArray("22亿") << -1;
    QTest::newRow("wan before yi") << QByteArray("3万2亿") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("decimal") << QByteArray("1.2万") << -1;
    QTest::newRow("a tag") << QByteArray("<em>5</em>") << -1;
}

void TestAnswerReader::largeNumbers()
{
    QFETCH(QByteArray, number);
    QFETCH(int, value);
    const QByteArray text =
        codec::toCp936(QStringLiteral("百度为您找到相关结果约%1个").arg(QString::fromUtf8(number)));
    QCOMPARE(pagereader::currentCount(text), std::optional<std::int32_t>(value));
}

QTEST_APPLESS_MAIN(TestAnswerReader)
#include "tst_answerreader.moc"

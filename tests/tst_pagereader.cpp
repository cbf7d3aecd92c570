#include "PageReader.h"

#include "Gbk.h"
#include "LiteralReader.h"

#include <QRandomGenerator>

#include <QTest>

Q_DECLARE_METATYPE(QueryResult)

namespace {

const QByteArray CountMarker = gbk("<td align=\"right\" nowrap>百度一下，找到相关网页");
const QByteArray CountEnd = gbk("篇，用时");
const QByteArray Table = "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"1\">";
const QByteArray UrlLine = "<font color=\"#008000\"";
const QByteArray Paragraph = "<p style=\"margin:0 0 0 15px\">";
const QByteArray NoResult = gbk("抱歉，没有找到该URL");

// Every slot holds a value no answer gives, so that a slot written by
// mistake shows.
QueryResult sentinel()
{
    QueryResult r;
    r.baidu = 101;
    r.baidu1 = 102;
    r.baidu7 = 103;
    r.baidu30 = 104;
    r.baidu360 = 105;
    r.baidudomain = 106;
    r.baiduindex = datetime::make(QDate(2001, 2, 3));
    r.baiduisfirst = true;
    return r;
}

QueryResult withCount(int kind, int value)
{
    QueryResult r = sentinel();
    std::int32_t *counts[] = {&r.baidu,   &r.baidu1,   &r.baidu7,
                              &r.baidu30, &r.baidu360, &r.baidudomain};
    *counts[kind] = value;
    return r;
}

QueryResult withFirst(int count, bool first)
{
    QueryResult r = withCount(0, count);
    r.baiduisfirst = first;
    return r;
}

QueryResult withDate(const QDate &date)
{
    QueryResult r = sentinel();
    r.baiduindex = datetime::make(date);
    return r;
}

const QDate NoDate(1900, 1, 1);

QByteArray countPage(const QByteArray &countText, const QByteArray &rest = {})
{
    return "<html><body><table><tr>" + CountMarker + countText + CountEnd +
           gbk("0.001秒</td></tr></table>") + rest + "</body></html>";
}

// A result block as the site query shows it: title, abstract, URL line.
QByteArray resultBlock(const QByteArray &urlText)
{
    return "<tr><td class=f><a href=\"http://x/\"><font size=\"3\">" + gbk("标题") +
           "</font></a><br><font size=-1>" + gbk("摘要文字") + "<br>" + UrlLine + ">" + urlText +
           " 12K 2008-9-5 </font></font></td></tr></table>";
}

// A snapshot page's first result: the head holds the URL line with the date.
QByteArray snapshotBlock(const QByteArray &head)
{
    return Table + "<tr><td>" + head + Paragraph + gbk("摘要") + "</p></td></tr></table>";
}

QByteArray toUtf8(const QByteArray &cp936)
{
    return codec::fromCp936(cp936).toUtf8();
}

void compareResults(const QueryResult &actual, const QueryResult &expected)
{
    QCOMPARE(actual.baidu, expected.baidu);
    QCOMPARE(actual.baidu1, expected.baidu1);
    QCOMPARE(actual.baidu7, expected.baidu7);
    QCOMPARE(actual.baidu30, expected.baidu30);
    QCOMPARE(actual.baidu360, expected.baidu360);
    QCOMPARE(actual.baidudomain, expected.baidudomain);
    QCOMPARE(actual.baiduindex, expected.baiduindex);
    QCOMPARE(actual.baiduisfirst, expected.baiduisfirst);
}

} // namespace

class TestPageReader : public QObject
{
    Q_OBJECT
private slots:
    void counts_data();
    void counts();
    void homePageFlag_data();
    void homePageFlag();
    void snapshotDate_data();
    void snapshotDate();
    void failure_data();
    void failure();
    void numberAndDateTexts_data();
    void numberAndDateTexts();
    void kindOutOfRangeWritesNothing();
    void agreesWithStepByStepReading();
};

void TestPageReader::counts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QueryResult>("expected");

    QTest::newRow("about with commas")
        << 1 << countPage(gbk("约1,234,567")) << withCount(1, 1234567);
    QTest::newRow("commas") << 2 << countPage("1,234") << withCount(2, 1234);
    QTest::newRow("lone zero") << 3 << countPage("0") << withCount(3, 0);
    QTest::newRow("leading zeros") << 4 << countPage("007") << withCount(4, 7);
    QTest::newRow("only about") << 5 << countPage(gbk("约")) << withCount(5, 0);
    QTest::newRow("tag") << 1 << countPage("1<b>2</b>") << withCount(1, -1);
    QTest::newRow("blank") << 1 << countPage(" 12") << withCount(1, -1);
    QTest::newRow("full-width digit") << 2 << countPage(gbk("１２")) << withCount(2, -1);
    QTest::newRow("decimal point") << 3 << countPage("1.5") << withCount(3, -1);
    QTest::newRow("largest int") << 4 << countPage("2,147,483,647") << withCount(4, 2147483647);
    QTest::newRow("beyond int") << 4 << countPage("2,147,483,648") << withCount(4, -1);
    QTest::newRow("far beyond int")
        << 5 << countPage("99999999999999999999999") << withCount(5, -1);
    QTest::newRow("end absent") << 1 << ("x" + CountMarker + "123 results") << withCount(1, 0);
    QTest::newRow("end before marker")
        << 2 << (CountEnd + "xx" + CountMarker + "123" + CountEnd) << withCount(2, 0);
    // Without the count marker the count text runs from byte 47 up to the
    // end marker.
    QTest::newRow("marker absent, digits at 47")
        << 3 << (QByteArray(46, 'x') + "123" + CountEnd) << withCount(3, 123);
    QTest::newRow("marker absent, text at 47")
        << 3 << (QByteArray(46, 'x') + "a123" + CountEnd) << withCount(3, -1);
    QTest::newRow("marker absent, end at 47")
        << 4 << (QByteArray(46, 'x') + CountEnd) << withCount(4, 0);
    QTest::newRow("marker absent, end early") << 4 << ("ab" + CountEnd) << withCount(4, 0);
    QTest::newRow("empty page") << 5 << QByteArray() << withCount(5, 0);
    QTest::newRow("no markers at all")
        << 1 << QByteArray("<html>blocked</html>") << withCount(1, 0);
    QTest::newRow("utf8 page") << 1 << toUtf8(countPage(gbk("约12,345"))) << withCount(1, 12345);
    QTest::newRow("utf8 page with characters outside code page 936")
        << 2 << ("<p>\xED\x95\x9C\xF0\x9F\x98\x80</p>" + toUtf8(countPage("678")))
        << withCount(2, 678);
    QTest::newRow("gbk page that fails the utf8 check")
        << 3 << countPage("4,321", gbk("<p>中文摘要</p>")) << withCount(3, 4321);
    QTest::newRow("utf8 markers not converted")
        << 1 << ("\xC3" + toUtf8(countPage("55"))) << withCount(1, 0);
    // The end marker is found byte-exactly, also behind a lead byte.
    QTest::newRow("end marker on a trail byte")
        << 1 << (CountMarker + "12\x81" + CountEnd) << withCount(1, -1);
    // The snapshot page's count is never used.
    QTest::newRow("malformed count on snapshot page") << 6 << countPage("x,y") << withDate(NoDate);
}

void TestPageReader::counts()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, body);
    QFETCH(QueryResult, expected);
    QueryResult result = sentinel();
    pagereader::readPage(kind, "example.com", body, result);
    compareResults(result, expected);
}

void TestPageReader::homePageFlag_data()
{
    QTest::addColumn<QByteArray>("domain");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QueryResult>("expected");

    const QByteArray home = resultBlock("www.example.com/ ");
    const QByteArray inner = resultBlock("www.example.com/news/1.html ");
    QTest::newRow("home page first")
        << QByteArray("www.example.com") << countPage("88", Table + home) << withFirst(88, true);
    QTest::newRow("home page later in the block")
        << QByteArray("www.example.com") << countPage("88", Table + inner + home)
        << withFirst(88, true);
    QTest::newRow("only inner pages")
        << QByteArray("www.example.com") << countPage("88", Table + inner) << withFirst(88, false);
    QTest::newRow("no table marker")
        << QByteArray("www.example.com") << countPage("88", home) << withFirst(88, false);
    QTest::newRow("probe in second result only")
        << QByteArray("www.example.com") << countPage("88", Table + inner + Table + home)
        << withFirst(88, false);
    QTest::newRow("block without url line")
        << QByteArray("a.com") << countPage("1", Table + "<td>>a.com/ </td>") << withFirst(1, true);
    QTest::newRow("probe before the first url line")
        << QByteArray("a.com") << countPage("1", Table + ">a.com/ " + UrlLine + ">b")
        << withFirst(1, true);
    QTest::newRow("capitals do not match")
        << QByteArray("WWW.Example.com") << countPage("88", Table + home) << withFirst(88, false);
    QTest::newRow("slash without blank")
        << QByteArray("a.com") << countPage("1", Table + UrlLine + ">a.com/<")
        << withFirst(1, false);
    QTest::newRow("probe cut by a url line")
        << QByteArray("a.com") << countPage("1", Table + ">a.c" + UrlLine + "om/ ")
        << withFirst(1, false);
    // A probe holding the marker itself is cut apart by the split.
    QTest::newRow("probe holding a url line")
        << ("a" + UrlLine + "b") << countPage("1", Table + ">a" + UrlLine + "b/ ")
        << withFirst(1, false);
    QTest::newRow("empty block") << QByteArray("a.com")
                                 << countPage("1", Table + Table + ">a.com/ ")
                                 << withFirst(1, false);
    QTest::newRow("empty page") << QByteArray("a.com") << QByteArray() << withFirst(0, false);
    QTest::newRow("utf8 page, domain in code page 936")
        << gbk("中文.com") << toUtf8(countPage("9", Table + resultBlock(gbk("中文.com/ "))))
        << withFirst(9, true);
}

void TestPageReader::homePageFlag()
{
    QFETCH(QByteArray, domain);
    QFETCH(QByteArray, body);
    QFETCH(QueryResult, expected);
    QueryResult result = sentinel();
    result.baiduisfirst = !expected.baiduisfirst;
    pagereader::readPage(0, domain, body, result);
    compareResults(result, expected);
}

void TestPageReader::snapshotDate_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QueryResult>("expected");

    const QByteArray head =
        "<a><b>example.com</b>/ 2008-9-5 </font> - <a>" + gbk("百度快照") + "</a>";
    QTest::newRow("one-digit month and day")
        << countPage("1", snapshotBlock(head)) << withDate(QDate(2008, 9, 5));
    QTest::newRow("two-digit month and day")
        << countPage("1", snapshotBlock("<b>a</b>/2012-11-23</font> -"))
        << withDate(QDate(2012, 11, 23));
    QTest::newRow("commas and blanks removed")
        << countPage("1", snapshotBlock("<b>a</b>/ 2012 - 1,1 - 2 \t</font> -"))
        << withDate(QDate(2012, 11, 2));
    QTest::newRow("no result text")
        << (NoResult + countPage("1", snapshotBlock(head))) << withDate(NoDate);
    QTest::newRow("no result text behind results")
        << countPage("1", snapshotBlock(head) + NoResult) << withDate(NoDate);
    QTest::newRow("no table marker") << countPage("1", head) << withDate(NoDate);
    // Without "</b>/" the date text starts at byte 5 of the head.
    QTest::newRow("head without date start")
        << (Table + "abcd2010-3-4</font> -" + Paragraph) << withDate(QDate(2010, 3, 4));
    QTest::newRow("head without date end")
        << countPage("1", snapshotBlock("<b>a</b>/2008-9-5")) << withDate(NoDate);
    QTest::newRow("date end before date start")
        << countPage("1", snapshotBlock("</font> -<b>a</b>/2008-9-5")) << withDate(NoDate);
    QTest::newRow("date only in the abstract")
        << countPage("1", Table + "x" + Paragraph + "<b>a</b>/2008-9-5</font> -")
        << withDate(NoDate);
    QTest::newRow("block without paragraph is all head")
        << (Table + "<b>a</b>/2008-9-5</font> -") << withDate(QDate(2008, 9, 5));
    QTest::newRow("empty block") << (Table + Table + "<b>a</b>/2008-9-5</font> -")
                                 << withDate(NoDate);
    QTest::newRow("month 13") << snapshotBlock("<b>a</b>/2008-13-5</font> -") << withDate(NoDate);
    QTest::newRow("february 30") << snapshotBlock("<b>a</b>/2008-2-30</font> -")
                                 << withDate(NoDate);
    QTest::newRow("two-digit year")
        << snapshotBlock("<b>a</b>/08-9-5</font> -") << withDate(NoDate);
    QTest::newRow("slashes") << snapshotBlock("<b>a</b>/2008/9/5</font> -") << withDate(NoDate);
    QTest::newRow("trailing text")
        << snapshotBlock("<b>a</b>/2008-9-5x</font> -") << withDate(NoDate);
    QTest::newRow("empty page") << QByteArray() << withDate(NoDate);
    QTest::newRow("utf8 page") << toUtf8(countPage(
                                      "1", snapshotBlock(gbk("<b>中文</b>/2009-1-2</font> -"))))
                               << withDate(QDate(2009, 1, 2));
}

void TestPageReader::snapshotDate()
{
    QFETCH(QByteArray, body);
    QFETCH(QueryResult, expected);
    QueryResult result = sentinel();
    pagereader::readPage(6, "example.com", body, result);
    compareResults(result, expected);
    QCOMPARE(result.baiduindex.time(), QTime(0, 0));
}

void TestPageReader::failure_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QueryResult>("expected");
    for (int kind = 1; kind <= 5; ++kind)
        QTest::addRow("kind %d", kind) << kind << withCount(kind, 0);
    QTest::newRow("kind 0 clears the flag") << 0 << withFirst(0, false);
    QTest::newRow("kind 6") << 6 << withDate(NoDate);
}

void TestPageReader::failure()
{
    QFETCH(int, kind);
    QFETCH(QueryResult, expected);
    QueryResult result = sentinel();
    pagereader::readFailure(kind, result);
    compareResults(result, expected);
}

void TestPageReader::numberAndDateTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QDate>("date");
    QTest::newRow("empty") << QByteArray() << 0 << NoDate;
    QTest::newRow("digits") << QByteArray("2008") << 2008 << NoDate;
    QTest::newRow("date") << QByteArray("2008-09-05") << -1 << QDate(2008, 9, 5);
    QTest::newRow("three-digit month") << QByteArray("2008-009-05") << -1 << NoDate;
    QTest::newRow("year zero") << QByteArray("0000-1-1") << -1 << NoDate;
    QTest::newRow("missing day") << QByteArray("2008-9-") << -1 << NoDate;
}

void TestPageReader::numberAndDateTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QFETCH(QDate, date);
    QCOMPARE(pagereader::readNumber(text), number);
    QCOMPARE(pagereader::readDate(text), datetime::make(date));
}

void TestPageReader::kindOutOfRangeWritesNothing()
{
    QueryResult result = sentinel();
    pagereader::readPage(7, "a.com", countPage("5"), result);
    pagereader::readPage(-1, "a.com", countPage("5"), result);
    pagereader::readFailure(7, result);
    compareResults(result, sentinel());
}

void TestPageReader::agreesWithStepByStepReading()
{
    // Pages stitched from the markers and the bits around them, in both
    // encodings, read by the reader and by the rules written out literally.
    const QList<QByteArray> fragments = {
        CountMarker, CountEnd, Table,       UrlLine,    Paragraph, NoResult,    gbk("约"),
        ",",         " ",      "12",        "2008-9-5", "</b>/",   "</font> -", ">a.com/ ",
        ">A.com/ ",  "a.com",  gbk("中文"), "\xB0",     "\xD4",    "<b>",       "\n",
    };
    QRandomGenerator random(20081205);
    for (int round = 0; round < 3000; ++round) {
        QByteArray page;
        const int pieces = int(random.bounded(12));
        for (int i = 0; i < pieces; ++i)
            page += fragments[int(random.bounded(fragments.size()))];
        if (random.bounded(2))
            page = toUtf8(page);
        const int kind = int(random.bounded(7));
        QueryResult fast = sentinel();
        pagereader::readPage(kind, "a.com", page, fast);
        const QueryResult literal = literalRead(kind, "a.com", page, sentinel());
        if (!(fast == literal))
            QFAIL(qPrintable("kind " + QString::number(kind) + ", page " + page.toHex()));
    }
}

QTEST_APPLESS_MAIN(TestPageReader)
#include "tst_pagereader.moc"

#include "TextModel.h"

#include <QTest>

class TestTextModel : public QObject
{
    Q_OBJECT
private slots:
    void position_data();
    void position();
    void part_data();
    void part();
    void removeAll_data();
    void removeAll();
    void trim_data();
    void trim();
    void splitText_data();
    void splitText();
    void isDigits_data();
    void isDigits();
    void findAgreesWithPlainSearch();
};

void TestTextModel::position_data()
{
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("t");
    QTest::addColumn<qsizetype>("pos");
    QTest::newRow("at start") << QByteArray("ab") << QByteArray("abc") << qsizetype(1);
    QTest::newRow("first of two") << QByteArray("b") << QByteArray("abcb") << qsizetype(2);
    QTest::newRow("absent") << QByteArray("z") << QByteArray("abc") << qsizetype(0);
    QTest::newRow("case-sensitive") << QByteArray("ABC") << QByteArray("abc") << qsizetype(0);
    QTest::newRow("longer than text") << QByteArray("abcd") << QByteArray("abc") << qsizetype(0);
    QTest::newRow("empty x") << QByteArray() << QByteArray("abc") << qsizetype(0);
    QTest::newRow("at the very end of a long text")
        << QByteArray("<end>") << (QByteArray(100, '<') + "<end>") << qsizetype(101);
    // Positions are byte-exact: an occurrence starting on a trail byte of
    // a double-byte character is found like any other.
    QTest::newRow("on a trail byte")
        << QByteArray("\xC6\xAA") << QByteArray("\x81\xC6\xAA") << qsizetype(2);
}

void TestTextModel::position()
{
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, t);
    QFETCH(qsizetype, pos);
    QCOMPARE(text::posOf(x, t), pos);
}

void TestTextModel::part_data()
{
    QTest::addColumn<qsizetype>("p");
    QTest::addColumn<qsizetype>("n");
    QTest::addColumn<QByteArray>("part");
    QTest::newRow("middle") << qsizetype(2) << qsizetype(3) << QByteArray("bcd");
    QTest::newRow("p below 1") << qsizetype(-5) << qsizetype(2) << QByteArray("ab");
    QTest::newRow("p zero") << qsizetype(0) << qsizetype(1) << QByteArray("a");
    QTest::newRow("p at end") << qsizetype(6) << qsizetype(9) << QByteArray("f");
    QTest::newRow("p past end") << qsizetype(7) << qsizetype(1) << QByteArray();
    QTest::newRow("n zero") << qsizetype(1) << qsizetype(0) << QByteArray();
    QTest::newRow("n negative") << qsizetype(1) << qsizetype(-3) << QByteArray();
    QTest::newRow("n past end") << qsizetype(4) << qsizetype(100) << QByteArray("def");
}

void TestTextModel::part()
{
    QFETCH(qsizetype, p);
    QFETCH(qsizetype, n);
    QFETCH(QByteArray, part);
    QCOMPARE(text::partOf("abcdef", p, n).toByteArray(), part);
}

void TestTextModel::removeAll_data()
{
    QTest::addColumn<QByteArray>("t");
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("commas") << QByteArray("1,234,567") << QByteArray(",") << QByteArray("1234567");
    QTest::newRow("about") << QByteArray("\xD4\xBC"
                                         "12")
                           << QByteArray("\xD4\xBC") << QByteArray("12");
    QTest::newRow("none") << QByteArray("12") << QByteArray(",") << QByteArray("12");
    QTest::newRow("only x") << QByteArray(",,") << QByteArray(",") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray(",") << QByteArray();
    // B0 D4 is one character; D4 BC behind its lead byte is not "约".
    QTest::newRow("straddling a character") << QByteArray("\xB0\xD4\xBC"
                                                          "1")
                                            << QByteArray("\xD4\xBC")
                                            << QByteArray("\xB0\xD4\xBC"
                                                          "1");
    QTest::newRow("after a whole character") << QByteArray("\xB0\xD4\xD4\xBC"
                                                           "1")
                                             << QByteArray("\xD4\xBC")
                                             << QByteArray("\xB0\xD4"
                                                           "1");
    QTest::newRow("lead byte at the end")
        << QByteArray("1\xB0") << QByteArray(",") << QByteArray("1\xB0");
}

void TestTextModel::removeAll()
{
    QFETCH(QByteArray, t);
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, result);
    QCOMPARE(text::removeAll(t, x), result);
}

void TestTextModel::trim_data()
{
    QTest::addColumn<QByteArray>("t");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("blanks") << QByteArray("  a b  ") << QByteArray("a b");
    QTest::newRow("controls") << QByteArray("\t\r\n\x01x\x1F") << QByteArray("x");
    QTest::newRow("all blank") << QByteArray(" \t ") << QByteArray();
    QTest::newRow("high bytes kept") << QByteArray("\xA1\xA1") << QByteArray("\xA1\xA1");
}

void TestTextModel::trim()
{
    QFETCH(QByteArray, t);
    QFETCH(QByteArray, result);
    QCOMPARE(text::trim(t).toByteArray(), result);
}

void TestTextModel::splitText_data()
{
    QTest::addColumn<QByteArray>("t");
    QTest::addColumn<QByteArray>("sep");
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::newRow("empty text") << QByteArray() << QByteArray("|") << QList<QByteArray>{};
    QTest::newRow("no separator") << QByteArray("abc") << QByteArray("|")
                                  << QList<QByteArray>{"abc"};
    QTest::newRow("two") << QByteArray("a|b") << QByteArray("|") << QList<QByteArray>{"a", "b"};
    QTest::newRow("at start and end")
        << QByteArray("|a|") << QByteArray("|") << QList<QByteArray>{"", "a", ""};
    QTest::newRow("in a row") << QByteArray("a||b") << QByteArray("|")
                              << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("only separator")
        << QByteArray("<>") << QByteArray("<>") << QList<QByteArray>{"", ""};
    QTest::newRow("overlapping candidates")
        << QByteArray("aaa") << QByteArray("aa") << QList<QByteArray>{"", "a"};
}

void TestTextModel::splitText()
{
    QFETCH(QByteArray, t);
    QFETCH(QByteArray, sep);
    QFETCH(QList<QByteArray>, pieces);
    QCOMPARE(text::splitText(t, sep), pieces);
}

void TestTextModel::isDigits_data()
{
    QTest::addColumn<QByteArray>("t");
    QTest::addColumn<bool>("digits");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("digits") << QByteArray("0123456789") << true;
    QTest::newRow("blank") << QByteArray("1 2") << false;
    QTest::newRow("minus") << QByteArray("-1") << false;
    QTest::newRow("point") << QByteArray("1.5") << false;
    QTest::newRow("full-width") << QByteArray("\xA3\xB1") << false;
}

void TestTextModel::isDigits()
{
    QFETCH(QByteArray, t);
    QFETCH(bool, digits);
    QCOMPARE(text::isDigits(t), digits);
}

void TestTextModel::findAgreesWithPlainSearch()
{
    // The vectorised search against the obvious one, over texts where the
    // needle's first and last bytes are common, near every alignment.
    const QByteArray needle("<a>");
    for (int len = 0; len < 70; ++len) {
        for (int at = 0; at + needle.size() <= len; ++at) {
            QByteArray hay(len, '<');
            for (int i = 1; i < len; i += 3)
                hay[i] = '>';
            hay.replace(at, needle.size(), needle);
            for (qsizetype from = 0; from <= len; from += 7)
                QCOMPARE(text::find(hay, needle, from), hay.indexOf(needle, from));
        }
    }
}

QTEST_APPLESS_MAIN(TestTextModel)
#include "tst_textmodel.moc"

#include "Codec.h"

#include <QTest>

class TestCodec : public QObject
{
    Q_OBJECT
private slots:
    void utf8Check_data();
    void utf8Check();
    void utf8ToCp936_data();
    void utf8ToCp936();
    void cp936RoundTrip_data();
    void cp936RoundTrip();
    void malformedCp936Decodes();
    void unmappableBecomesQuestionMark();
};

void TestCodec::utf8Check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("ascii") << QByteArray("<html>abc</html>") << true;
    QTest::newRow("two-byte") << QByteArray("\xC3\xBC") << true;
    QTest::newRow("three-byte") << QByteArray("\xE4\xB8\xAD\xE6\x96\x87") << true;
    QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
    QTest::newRow("long ascii then cjk") << (QByteArray(40, 'a') + "\xE4\xB8\xAD") << true;
    QTest::newRow("overlong 2") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong C1") << QByteArray("\xC1\xBF") << false;
    QTest::newRow("overlong 3") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("overlong 4") << QByteArray("\xF0\x80\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above range") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("F5") << QByteArray("\xF5\x80\x80\x80") << false;
    QTest::newRow("cut off at end") << QByteArray("abc\xE4\xB8") << false;
    QTest::newRow("cut off in middle") << QByteArray("\xE4\xB8"
                                                     "abc")
                                       << false;
    QTest::newRow("stray continuation") << QByteArray("a\x80"
                                                      "b")
                                        << false;
    QTest::newRow("gbk text") << QByteArray("\xB0\xD9\xB6\xC8") << false;
    QTest::newRow("invalid after 16 ascii") << (QByteArray(17, 'a') + "\xFF") << false;
}

void TestCodec::utf8Check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(codec::utf8ToCp936(bytes).has_value(), valid && !bytes.isEmpty());
}

void TestCodec::utf8ToCp936_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<QByteArray>("cp936");
    QTest::newRow("ascii") << QByteArray("site:a.com") << QByteArray("site:a.com");
    QTest::newRow("baidu") << QByteArray("百度") << QByteArray("\xB0\xD9\xB6\xC8");
    QTest::newRow("about") << QByteArray("约") << QByteArray("\xD4\xBC");
    QTest::newRow("count end") << QByteArray("篇，用时")
                               << QByteArray("\xC6\xAA\xA3\xAC\xD3\xC3\xCA\xB1");
    QTest::newRow("password") << QByteArray("松风竹影山高水长云淡")
                              << QByteArray::fromHex("cbc9b7e7d6f1d3b0c9bdb8dfcbaeb3a4d4c6b5ad");
    QTest::newRow("latin in gbk") << QByteArray("ü·") << QByteArray("\xA8\xB9\xA1\xA4");
    QTest::newRow("full-width digits") << QByteArray("１２") << QByteArray("\xA3\xB1\xA3\xB2");
    QTest::newRow("euro") << QByteArray("€") << QByteArray("\x80");
    QTest::newRow("hangul") << QByteArray("a한b") << QByteArray("a?b");
    QTest::newRow("emoji is one character") << QByteArray("a😀b") << QByteArray("a?b");
    QTest::newRow("mixed long") << (QByteArray(33, 'x') + "中文" + QByteArray(20, 'y'))
                                << (QByteArray(33, 'x') + "\xD6\xD0\xCE\xC4" + QByteArray(20, 'y'));
}

void TestCodec::utf8ToCp936()
{
    QFETCH(QByteArray, utf8);
    QFETCH(QByteArray, cp936);
    const std::optional<QByteArray> out = codec::utf8ToCp936(utf8);
    QVERIFY(out.has_value());
    QCOMPARE(*out, cp936);
    QCOMPARE(codec::toCp936(QString::fromUtf8(utf8)), cp936);
}

void TestCodec::cp936RoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QStringLiteral("www.example.com");
    QTest::newRow("cjk") << QStringLiteral("中文域名.公司");
    QTest::newRow("messages") << QStringLiteral("文件不完整 清空出错 查询完毕：");
    QTest::newRow("symbols") << QStringLiteral("，。“”€");
    QTest::newRow("empty") << QString();
}

void TestCodec::cp936RoundTrip()
{
    QFETCH(QString, text);
    QCOMPARE(codec::fromCp936(codec::toCp936(text)), text);
}

void TestCodec::malformedCp936Decodes()
{
    // A lead byte cut off at the end, and a lead byte with a trail byte out
    // of range, each become one replacement character; nothing is lost
    // after them.
    QCOMPARE(codec::fromCp936(QByteArray("ab\xB0")), QStringLiteral("ab\uFFFD"));
    QCOMPARE(codec::fromCp936(QByteArray("\xB0"
                                         "1x")),
             QStringLiteral("\uFFFD"
                            "1x"));
    QCOMPARE(codec::fromCp936(QByteArray("\xFF"
                                         "a")),
             QStringLiteral("\uFFFD"
                            "a"));
}

void TestCodec::unmappableBecomesQuestionMark()
{
    QCOMPARE(codec::toCp936(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
    // A lone surrogate cannot be converted either.
    QString lone = QStringLiteral("x");
    lone.append(QChar(0xD800));
    QCOMPARE(codec::toCp936(lone), QByteArray("x?"));
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"

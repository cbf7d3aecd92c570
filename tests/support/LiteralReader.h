#pragma once

// The page reading rules written out step by step with the text helpers,
// without any shortcut: the oracle the fast reader is compared with.

#include "Codec.h"
#include "PageReader.h"
#include "TextModel.h"

#include <QList>

inline QueryResult literalRead(int kind, const QByteArray &domain, const QByteArray &body,
                               QueryResult result)
{
    using namespace text;
    if (!isQueryKind(kind))
        return result;
    const QByteArray marker = codec::toCp936(u"<td align=\"right\" nowrap>百度一下，找到相关网页");
    const QByteArray countEnd = codec::toCp936(u"篇，用时");
    const QByteArray table = "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"1\">";
    const QByteArray urlLine = "<font color=\"#008000\"";

    const std::optional<QByteArray> converted = codec::utf8ToCp936(body);
    const QByteArray page = converted ? *converted : body;

    const qsizetype a = posOf(marker, page);
    const qsizetype b = posOf(countEnd, page);
    QByteArray count = partOf(page, a + 47, b - (a + 47)).toByteArray();
    count = removeAll(removeAll(count, ","), codec::toCp936(u"约"));

    if (kind == 0) {
        const QList<QByteArray> pieces = splitText(page, table);
        result.baiduisfirst = false;
        if (pieces.size() >= 2) {
            const QByteArray probe = ">" + domain + "/ ";
            for (const QByteArray &piece : splitText(pieces[1], urlLine)) {
                if (posOf(probe, piece) > 0) {
                    result.baiduisfirst = true;
                    break;
                }
            }
        }
    }
    QByteArray dateText;
    if (kind == 6) {
        const QList<QByteArray> pieces = splitText(page, table);
        if (posOf(codec::toCp936(u"抱歉，没有找到该URL"), page) > 0 || pieces.size() < 2) {
            dateText = "1900-01-01";
        } else {
            const QList<QByteArray> heads = splitText(pieces[1], "<p style=\"margin:0 0 0 15px\">");
            if (!heads.isEmpty()) {
                const QByteArray head = heads[0];
                const qsizetype s = posOf("</b>/", head);
                const qsizetype e = posOf("</font> -", head);
                dateText = trim(removeAll(removeAll(partOf(head, s + 5, e - (s + 5)), ","), " "))
                               .toByteArray();
            }
        }
    }
    if (count.isEmpty())
        count = "0";
    if (!isDigits(count))
        count = "-1";
    switch (kind) {
    case 0:
        result.baidu = pagereader::readNumber(count);
        break;
    case 1:
        result.baidu1 = pagereader::readNumber(count);
        break;
    case 2:
        result.baidu7 = pagereader::readNumber(count);
        break;
    case 3:
        result.baidu30 = pagereader::readNumber(count);
        break;
    case 4:
        result.baidu360 = pagereader::readNumber(count);
        break;
    case 5:
        result.baidudomain = pagereader::readNumber(count);
        break;
    case 6:
        result.baiduindex = pagereader::readDate(dateText);
        break;
    }
    return result;
}

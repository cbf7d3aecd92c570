#pragma once

// Result pages as the search engine serves them, small: the count block
// (kinds 0 to 5, with the home page shown or not) and the first result
// with its snapshot date (kind 6). Code page 936 bytes.

#include "Codec.h"
#include "QueryUrls.h"

#include <QByteArray>

inline QByteArray enginePage(const QByteArray &countText, const QByteArray &results = {})
{
    return codec::toCp936(u"<html><body><table><tr><td align=\"right\" nowrap>"
                          u"百度一下，找到相关网页") +
           countText + codec::toCp936(u"篇，用时0.001秒</td></tr></table>") + results +
           "</body></html>";
}

inline QByteArray siteResults(const QByteArray &domain, bool homeFirst)
{
    return "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"1\"><tr><td>"
           "<font color=\"#008000\">" +
           domain + (homeFirst ? "/ 12K" : "/news/1.html 8K") + "</font></td></tr></table>";
}

inline QByteArray snapshotResults(const QByteArray &domain, const QByteArray &date)
{
    return "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"1\"><tr><td>"
           "<font color=\"#008000\"><b>" +
           domain + "</b>/ " + date +
           " </font> - <p style=\"margin:0 0 0 15px\">abstract</p></td></tr></table>";
}

// The query kind of a request line's target ("/s?..." or, through a proxy,
// "http://host/s?..."), and the domain behind the kind's query string; -1
// when it is no query of the seven kinds.
inline int engineQueryKind(const QByteArray &target, QByteArray &domain)
{
    const QueryUrls urls;
    const qsizetype q = target.indexOf("/s?");
    if (q < 0)
        return -1;
    const QByteArray query = target.mid(q);
    int kind = -1;
    QByteArray best;
    for (int k = 0; k < urls.count(); ++k) {
        const QByteArray &prefix = urls.prefix(QueryKind(k));
        const QByteArray path = prefix.mid(prefix.indexOf("/s?"));
        if (query.startsWith(path) && path.size() > best.size()) {
            kind = k;
            best = path;
        }
    }
    if (kind >= 0)
        domain = query.mid(best.size());
    return kind;
}

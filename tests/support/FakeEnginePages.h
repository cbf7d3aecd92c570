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

// Today's result pages: UTF-8, the count in one of today's forms.
namespace todayPage {

// The site box: 找到相关结果数约N个 inside <b>…</b>.
inline QByteArray siteTip(const char *n)
{
    return QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>site:x") +
           "</title></head><body><div class=\"site_tip\"><span><b>" +
           QStringLiteral("找到相关结果数约").toUtf8() + n + QStringLiteral("个").toUtf8() +
           "</b></span></div><div id=\"content_left\"></div></body></html>";
}

// The site box's second form: 该网站共有 <b …>N</b> 个网页被百度收录.
inline QByteArray siteTotal(const char *n)
{
    return QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                      "charset=UTF-8\"></head><body><div class=\"op_site_domain\">") +
           QStringLiteral("该网站共有").toUtf8() + "\n   <b style=\"color:#333\">" + n + "</b>   " +
           QStringLiteral("个网页被百度收录").toUtf8() + "</div></body></html>";
}

// The result count of any query: 百度为您找到相关结果约N个 (or without 约).
inline QByteArray resultCount(const char *n, bool about = true)
{
    return QByteArray("<html><head><meta charset=utf-8></head><body><span class=\"nums_text\">") +
           QStringLiteral("百度为您找到相关结果").toUtf8() +
           (about ? QStringLiteral("约").toUtf8() : QByteArray()) + n +
           QStringLiteral("个").toUtf8() + "</span></body></html>";
}

// The verification page the engine serves to scripted clients.
inline QByteArray verification()
{
    return "<html><head><meta charset=\"utf-8\"><title>" + QStringLiteral("百度安全验证").toUtf8() +
           "</title></head><body><div class=\"timeout-title\">" +
           QStringLiteral("网络不给力，请稍后重试").toUtf8() + "</div></body></html>";
}

// No result for the query.
inline QByteArray noResult()
{
    return "<html><head><meta charset=\"utf-8\"></head><body><div class=\"nors\"><p>" +
           QStringLiteral("很抱歉，没有找到与“site:x.example”相关的网页。").toUtf8() +
           "</p></div></body></html>";
}

// A page of a layout nobody knows.
inline QByteArray unknown()
{
    return "<html><head><meta charset=\"utf-8\"></head><body><div id=\"wrapper\">" +
           QStringLiteral("欢迎").toUtf8() + "</div></body></html>";
}

} // namespace todayPage

#pragma once

#include <QByteArray>
#include <QString>

// A result page shaped like the search engine's: header, the count block,
// 40 result blocks with Chinese titles and abstracts, footer. About 50 KB
// in code page 936. Returned as UTF-8; callers convert as they need.
// The site query shows each result's URL plain; a search for the domain
// itself shows it in bold, which is where the snapshot date is read.
inline QByteArray samplePageUtf8(const QByteArray &domain = "www.example.com", bool boldUrl = false)
{
    QByteArray page;
    page += "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=gb2312\">"
            "<title>site:" +
            domain +
            "_百度搜索</title><style>body{font-size:12px}"
            ".f{line-height:120%;font-size:100%;width:32em}</style></head><body>";
    for (int i = 0; i < 120; ++i)
        page += "<a href=\"http://www.baidu.com/nav/" + QByteArray::number(i) +
                "\">新闻网页贴吧知道</a>&nbsp;";
    page += "<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\"><tr>"
            "<td align=\"right\" nowrap>百度一下，找到相关网页约1,234,567篇，用时0.001秒</td>"
            "</tr></table>";
    for (int i = 1; i <= 40; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray path = i == 1 ? QByteArray() : "news/" + n + ".html";
        page += "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"" + n +
                "\"><tr><td class=f><a href=\"http://" + domain + "/" + path +
                "\" target=\"_blank\"><font size=\"3\">第" + n +
                "条新闻标题 - 站点首页</font></a><br><font color=\"#008000\">" +
                (boldUrl ? "<b>" + domain + "</b>/" : domain + "/") + path +
                " 25K 2008-9-5 </font> - <a href=\"http://cache.baidu.com/c?m=" +
                QByteArray::number(i * 7919) +
                "\" target=\"_blank\" class=\"m\">百度快照</a><br>"
                "<p style=\"margin:0 0 0 15px\"><font size=-1>这是一段用于测试的中文摘要，"
                "描述了网页的主要内容，包括新闻、产品、服务以及联系方式等信息。"
                "网站建设与搜索引擎优化相关的文字会出现在这里，长度大约两百字节。"
                "更多的摘要内容：公司简介、最新动态、行业资讯、客户案例、技术支持、下载中心。"
                "本站提供专业的网站建设、网络推广、域名注册、虚拟主机等互联网服务。"
                "欢迎访问我们的网站，了解更多关于产品价格、售后服务、合作伙伴和招聘信息的内容。"
                "</font></p></td></tr></table><br>";
    }
    page += "<br clear=all><div class=\"p\">";
    for (int i = 1; i <= 10; ++i)
        page += "<a href=\"s?wd=site%3A" + domain + "&pn=" + QByteArray::number(i * 10) + "\">[" +
                QByteArray::number(i) + "]</a> ";
    page += "</div><div id=\"ft\">&copy;2008 Baidu 此内容系百度根据您的指令自动搜索的结果"
            "</div></body></html>";
    return page;
}

// A result page in today's layout: UTF-8, scripts and styles inline, the
// site box near the top and ten results of today's markup. About 110 KB.
inline QByteArray todayPageUtf8(const QByteArray &domain = "www.example.com")
{
    QByteArray page = "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" "
                      "content=\"text/html;charset=utf-8\"><title>site:" +
                      domain + "_百度搜索</title><style>";
    for (int i = 0; i < 600; ++i)
        page += ".c-container-" + QByteArray::number(i) +
                "{margin:0 0 14px;font-size:13px;line-height:1.54;word-wrap:break-word}";
    page += "</style><script>";
    for (int i = 0; i < 900; ++i)
        page +=
            "window.__bds" + QByteArray::number(i) + "=function(a,b){return a&&b?a+b:'搜索结果';};";
    page += "</script></head><body><div id=\"wrapper\"><div id=\"content_left\">"
            "<div class=\"site_tip\"><span><b>找到相关结果数约1,234,567个</b></span></div>";
    for (int i = 1; i <= 10; ++i) {
        const QByteArray n = QByteArray::number(i);
        page += "<div class=\"result c-container new-pmd\" id=\"" + n +
                "\" srcid=\"1599\" tpl=\"se_com_default\"><h3 class=\"t\"><a "
                "href=\"http://www.baidu.com/link?url=" +
                QByteArray::number(i * 104729) + "\" target=\"_blank\">第" + n + "条新闻标题 - " +
                domain +
                "</a></h3><div class=\"c-abstract\">这是一段用于测试的中文摘要，"
                "描述了网页的主要内容，包括新闻、产品、服务以及联系方式等信息。</div><div "
                "class=\"f13\"><a class=\"c-showurl\">" +
                domain + "/news/" + n + ".html</a></div></div>";
    }
    page += "</div></div><div id=\"foot\">©2026 Baidu</div></body></html>";
    return page;
}

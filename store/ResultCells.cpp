#include "ResultCells.h"

namespace resultcells {
namespace {

const char *const Captions[ColumnCount] = {
    "序号",     "域名",     "查询日期", "总收录",   "昨日收录",      "一周收录",
    "一月收录", "一年收录", "百度外链", "快照日期", "Site首页第一?",
};

} // namespace

QString caption(int column)
{
    return column >= 0 && column < ColumnCount ? QString::fromUtf8(Captions[column]) : QString();
}

QString dateText(const QDateTime &value)
{
    return value.date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString cellText(const ShouluRow &row, int number, int column)
{
    switch (column) {
    case Number:
        return QString::number(number);
    case Domain:
        return row.domain;
    case QueryDate:
        return dateText(row.searchtime);
    case Total:
        return QString::number(row.result.baidu);
    case Day:
        return QString::number(row.result.baidu1);
    case Week:
        return QString::number(row.result.baidu7);
    case Month:
        return QString::number(row.result.baidu30);
    case Year:
        return QString::number(row.result.baidu360);
    case Backlinks:
        return QString::number(row.result.baidudomain);
    case Snapshot: {
        // The time only when it is not midnight.
        const QTime t = row.result.baiduindex.time();
        if (t == QTime(0, 0))
            return dateText(row.result.baiduindex);
        return dateText(row.result.baiduindex) + u' ' + t.toString(QStringLiteral("HH:mm:ss"));
    }
    case HomeFirst:
        return row.result.baiduisfirst ? QStringLiteral("是") : QStringLiteral("否");
    default:
        return {};
    }
}

QString notObtained(const ShouluRow &row)
{
    if (!row.answers)
        return {};
    QStringList missing;
    for (int kind = 0; kind < int(row.answers->size()); ++kind) {
        const AnswerRecord &a = (*row.answers)[std::size_t(kind)];
        if (!outcome::obtained(a.outcome))
            missing << QString::number(kind) + u':' + outcome::name(a.outcome);
    }
    return missing.join(u',');
}

} // namespace resultcells

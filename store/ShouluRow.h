#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// One stored query result: a row of the history table.
struct ShouluRow
{
    std::int64_t id = 0;
    QString domain;
    std::int32_t baidu = 0;
    std::int32_t baidu1 = 0;
    std::int32_t baidu7 = 0;
    std::int32_t baidu30 = 0;
    std::int32_t baidu360 = 0;
    std::int32_t baidudomain = 0;
    QDateTime baiduindex;
    bool baiduisfirst = false;
    int yyyy = 0;
    int mm = 0;
    int dd = 0;
    QDateTime searchtime;

    bool operator==(const ShouluRow &) const = default;
};

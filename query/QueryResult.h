#pragma once

#include "DateTime.h"

#include <cstdint>

// The answers of the domain whose row is stored next, named like the
// columns of the history table.
struct QueryResult
{
    std::int32_t baidu = 0;
    std::int32_t baidu1 = 0;
    std::int32_t baidu7 = 0;
    std::int32_t baidu30 = 0;
    std::int32_t baidu360 = 0;
    std::int32_t baidudomain = 0;
    QDateTime baiduindex = datetime::zero();
    bool baiduisfirst = false;

    bool operator==(const QueryResult &) const = default;
};

#pragma once

#include "QueryResult.h"

#include <QDateTime>
#include <QString>

#include <cstdint>

// One stored query result: a row of the history table.
struct ShouluRow
{
    std::int64_t id = 0;
    QString domain;
    QueryResult result;
    int yyyy = 0;
    int mm = 0;
    int dd = 0;
    QDateTime searchtime;

    bool operator==(const ShouluRow &) const = default;
};

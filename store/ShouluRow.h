#pragma once

#include "AnswerOutcome.h"
#include "QueryResult.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

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
    // What each answer was; none for rows stored before outcomes were kept
    // (or by another program).
    std::optional<AnswerRecords> answers;

    bool operator==(const ShouluRow &) const = default;
};

#pragma once

#include "QueryKind.h"
#include "QueryResult.h"

#include <QByteArray>

#include <cstdint>

// State of the running single query or batch.
struct QueryRun
{
    bool Busy = false;
    QDateTime QueryTime = datetime::zero();
    QByteArray CurrentDomain; // code page 936 bytes
    std::int32_t DomainAnswers = 0;
    std::int32_t Answers = 0;
    std::int32_t ExpectedAnswers = 0;
    std::int32_t BatchIndex = 0;
    std::int32_t BatchTicks = 0;
    QueryResult Result;
};

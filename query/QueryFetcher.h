#pragma once

#include "QueryRequest.h"

#include <functional>

// Starts query requests and hands their answers back. The answer of a
// started request is delivered exactly once, on the thread that started it,
// and never from inside start().
class QueryFetcher
{
public:
    using AnswerHandler = std::function<void(const QueryRequest &, const QueryAnswer &)>;

    virtual ~QueryFetcher() = default;
    // False when the request could not be created or started: no answer
    // will come for it.
    virtual bool start(const QueryRequest &request, AnswerHandler onAnswer) = 0;
};

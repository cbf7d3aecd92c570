#pragma once

#include "QueryFetcher.h"

#include <QObject>

class Tmyhttpget;

// Query requests over HTTP: each start makes one Tmyhttpget with the
// settings every query uses and fetches it. A request is released once its
// answer has been delivered, so a batch of any length holds only the
// requests still out. Destroying the fetcher abandons the requests still
// out: their answers reach nobody.
class HttpQueryFetcher : public QObject, public QueryFetcher
{
    Q_OBJECT
public:
    static constexpr const char *Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)";

    explicit HttpQueryFetcher(QObject *parent = nullptr);
    ~HttpQueryFetcher() override;

    bool start(const QueryRequest &request, AnswerHandler onAnswer) override;
    // Requests started and not yet released.
    int requestsOut() const;
};

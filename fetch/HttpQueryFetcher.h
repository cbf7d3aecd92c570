#pragma once

#include "QueryFetcher.h"

#include <QObject>

#include <deque>

class Tmyhttpget;

// Query requests over HTTP: each start makes one Tmyhttpget with the
// settings every query uses and fetches it. A request is released once its
// answer has been delivered, so a batch of any length holds only the
// requests still out. At most `limit` requests are out at once; later ones
// wait and start in order as earlier ones end, so threads and descriptors
// stay bounded whatever the engine does. Destroying the fetcher abandons
// the requests still out or waiting: their answers reach nobody.
class HttpQueryFetcher : public QObject, public QueryFetcher
{
    Q_OBJECT
public:
    static constexpr const char *Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)";
    // Seven requests for each of four domains.
    static constexpr int DefaultLimit = 28;

    explicit HttpQueryFetcher(QObject *parent = nullptr, int limit = DefaultLimit);
    ~HttpQueryFetcher() override;

    bool start(const QueryRequest &request, AnswerHandler onAnswer) override;
    // Requests started whose answers have not come yet.
    int requestsOut() const { return m_out; }
    // Requests waiting for one out to end.
    int requestsWaiting() const { return int(m_waiting.size()); }
    // Ends every request: those waiting fail at once, those out are
    // aborted and fail as soon as their workers notice.
    void abortAll();

private:
    struct Waiting
    {
        QueryRequest request;
        AnswerHandler onAnswer;
    };
    void fetch(const QueryRequest &request, AnswerHandler onAnswer);
    void startWaiting();

    const int m_limit;
    int m_out = 0;
    std::deque<Waiting> m_waiting;
};

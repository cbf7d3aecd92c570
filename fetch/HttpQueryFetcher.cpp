#include "HttpQueryFetcher.h"

#include "Tmyhttpget.h"

HttpQueryFetcher::HttpQueryFetcher(QObject *parent, int limit)
    : QObject(parent), m_limit(qMax(1, limit))
{}

HttpQueryFetcher::~HttpQueryFetcher() = default;

bool HttpQueryFetcher::start(const QueryRequest &request, AnswerHandler onAnswer)
{
    if (m_out >= m_limit || !m_waiting.empty()) {
        m_waiting.push_back({request, std::move(onAnswer)});
        return true;
    }
    fetch(request, std::move(onAnswer));
    return true;
}

void HttpQueryFetcher::fetch(const QueryRequest &request, AnswerHandler onAnswer)
{
    // Owned by the fetcher until its answer has been handed on. libcurl
    // keeps no local cache, and the request asks every cache on the way
    // for a fresh answer.
    auto *get = new Tmyhttpget(this);
    get->BinaryData = false;
    get->UseCache = false;
    get->Agent = Agent;
    get->URL = request.url;
    get->Domain = request.domain;
    auto deliver = [this, get, request, onAnswer = std::move(onAnswer)](const QueryAnswer &answer) {
        // Released after the component's completion has returned, never
        // inside it: the component still uses its own state afterwards.
        get->deleteLater();
        --m_out;
        onAnswer(request, answer);
        startWaiting();
    };
    auto answerOf = [get](bool succeeded, const QByteArray &page) {
        return QueryAnswer{succeeded,          page,
                           get->Status(),      get->FinalUrl(),
                           get->ContentType(), get->FailureReason()};
    };
    get->OnDoneString = [deliver, answerOf](QObject *, const QByteArray &result) {
        deliver(answerOf(true, result));
    };
    get->OnError = [deliver, answerOf](QObject *) { deliver(answerOf(false, {})); };
    get->Kind = request.kind;
    ++m_out;
    get->Fetch();
}

void HttpQueryFetcher::abortAll()
{
    std::deque<Waiting> waiting = std::exchange(m_waiting, {});
    for (Waiting &w : waiting)
        w.onAnswer(w.request, QueryAnswer{false, {}, 0, {}, {}, QStringLiteral("aborted")});
    for (Tmyhttpget *get : findChildren<Tmyhttpget *>(Qt::FindDirectChildrenOnly))
        get->Abort();
}

void HttpQueryFetcher::startWaiting()
{
    while (m_out < m_limit && !m_waiting.empty()) {
        Waiting next = std::move(m_waiting.front());
        m_waiting.pop_front();
        fetch(next.request, std::move(next.onAnswer));
    }
}

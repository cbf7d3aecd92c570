#include "HttpQueryFetcher.h"

#include "Tmyhttpget.h"

HttpQueryFetcher::HttpQueryFetcher(QObject *parent) : QObject(parent) {}

HttpQueryFetcher::~HttpQueryFetcher() = default;

bool HttpQueryFetcher::start(const QueryRequest &request, AnswerHandler onAnswer)
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
    auto deliver = [get, request, onAnswer = std::move(onAnswer)](const QueryAnswer &answer) {
        // Released after the component's completion has returned, never
        // inside it: the component still uses its own state afterwards.
        get->deleteLater();
        onAnswer(request, answer);
    };
    get->OnDoneString = [deliver](QObject *, const QByteArray &result) {
        deliver(QueryAnswer{true, result});
    };
    get->OnError = [deliver](QObject *) { deliver(QueryAnswer{}); };
    get->Kind = request.kind;
    get->Fetch();
    return true;
}

int HttpQueryFetcher::requestsOut() const
{
    return int(findChildren<Tmyhttpget *>(Qt::FindDirectChildrenOnly).size());
}

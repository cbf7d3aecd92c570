#pragma once

#include <QByteArray>
#include <QString>

// One question put to the engine: the request URL, the domain the page is
// read for (code page 936, slashes removed) and the kind of question, with
// the launch of the run it belongs to.
struct QueryRequest
{
    QByteArray url;
    QByteArray domain;
    int kind = 0;
    int launch = 0;
};

// What came back for one request: the page, or a failed fetch, with what
// is known of the response.
struct QueryAnswer
{
    bool succeeded = false;
    QByteArray page;        // the body as received; empty when the fetch failed
    int status = 0;         // HTTP status; 0 when no response came
    QByteArray finalUrl;    // the address finally fetched (or redirected to)
    QByteArray contentType; // the response's Content-Type
    QString failure;        // why the fetch failed; empty when it did not
};

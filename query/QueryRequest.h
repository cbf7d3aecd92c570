#pragma once

#include <QByteArray>

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

// What came back for one request: the page, or a failed fetch.
struct QueryAnswer
{
    bool succeeded = false;
    QByteArray page; // the body as received; empty when the fetch failed
};

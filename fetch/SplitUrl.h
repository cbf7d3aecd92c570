#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Host, port and object path of a fetch address, decided the way the
// fetch component always has: only "http://" is recognised as a scheme,
// and a port that does not read as a number is 80.
struct SplitUrlResult
{
    QByteArray host;
    int port = 80;
    QByteArray path; // from the first "/" on, query string included
};

SplitUrlResult SplitUrl(QByteArrayView url);

#pragma once

#include "THTTPGet.h"

#include <QByteArray>

// A query request: a fetch that knows which domain and which question
// (QueryKind index) it answers.
class Tmyhttpget : public THTTPGet
{
    Q_OBJECT
public:
    using THTTPGet::THTTPGet;

    QByteArray Domain; // code page 936 bytes
    int Kind = 0;
};

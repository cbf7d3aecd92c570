#pragma once

#include "Codec.h"

#include <QByteArray>

// Code page 936 bytes of a text written in UTF-8 in the test source. The
// codec tests check the conversion against known bytes.
inline QByteArray gbk(const char *utf8)
{
    return codec::toCp936(QString::fromUtf8(utf8));
}

#pragma once

#include "QueryKind.h"
#include "QueryResult.h"

#include <QByteArrayView>
#include <QDateTime>

#include <cstdint>

// Reads one answer of a query request into its slot of a QueryResult. Both
// functions are plain functions of their inputs and never throw: whatever
// the page holds, the answer can be counted afterwards.
namespace pagereader {

// Reads a result page (as received: code page 936, or UTF-8 that is
// converted first) for a request of the given kind and domain (code page
// 936 bytes) and writes the kind's slot; kind 0 also writes baiduisfirst.
// An index outside the seven kinds writes nothing.
void readPage(int kind, QByteArrayView domain, QByteArrayView body, QueryResult &result) noexcept;

// Writes the failure value of the kind's slot: 0 for counts (and false for
// the home-page flag of kind 0), 1900-01-01 for the snapshot date.
void readFailure(int kind, QueryResult &result) noexcept;

// The value of a number text: "" gives 0; anything but digits, or digits
// beyond the 32-bit signed range, give -1.
std::int32_t readNumber(QByteArrayView numberText);

// A date text of a four-digit year, a one- or two-digit month and day,
// separated by "-"; anything else gives 1900-01-01.
QDateTime readDate(QByteArrayView dateText);

} // namespace pagereader

#pragma once

#include "AnswerOutcome.h"
#include "QueryKind.h"
#include "QueryRequest.h"
#include "QueryResult.h"

#include <QByteArrayView>
#include <QDateTime>

#include <cstdint>
#include <optional>

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

// Reads a whole answer, page or failure, and says what it was. Pages are
// read as readPage reads them; where the classic count marker is absent,
// the count of today's layout is read instead. A page that declares itself
// UTF-8 (its Content-Type, or a <meta> in its first 2 KiB) but does not
// decode as UTF-8 is converted with each malformed sequence as "?".
AnswerOutcome readAnswer(int kind, QByteArrayView domain, const QueryAnswer &answer,
                         QueryResult &result) noexcept;

// The count of today's layout: the first of its forms found, in their
// order (the site box, its second form, the result count); nullopt when
// the page holds none. A number with "," and 亿/万 is read; one that does
// not read, or lies above 2147483647, gives -1.
std::optional<std::int32_t> currentCount(QByteArrayView cp936Page);

// The value of a number text: "" gives 0; anything but digits, or digits
// beyond the 32-bit signed range, give -1.
std::int32_t readNumber(QByteArrayView numberText);

// A date text of a four-digit year, a one- or two-digit month and day,
// separated by "-"; anything else gives 1900-01-01.
QDateTime readDate(QByteArrayView dateText);

} // namespace pagereader

#pragma once

#include "ShouluRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Rows of the results list as a spreadsheet reads them: UTF-8 with a
// byte-order mark, CRLF line ends, fields quoted as RFC 4180 says, a header
// of the list's eleven captions and "未取得", cells as the list shows them.
namespace csv {

// One record: fields joined by ",", each quoted when it holds a comma, a
// quote or a line break (quotes doubled), ended by CRLF.
QByteArray record(const QStringList &fields);
// The whole file for these rows, in their order.
QByteArray resultsFile(const QList<ShouluRow> &rows);

} // namespace csv

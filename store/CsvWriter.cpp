#include "CsvWriter.h"

#include "ResultCells.h"

namespace csv {

QByteArray record(const QStringList &fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray f = fields[i].toUtf8();
        if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')) {
            out += '"';
            out += QByteArray(f).replace("\"", "\"\"");
            out += '"';
        } else {
            out += f;
        }
    }
    return out + "\r\n";
}

QByteArray resultsFile(const QList<ShouluRow> &rows)
{
    QStringList header;
    for (int c = 0; c < resultcells::ColumnCount; ++c)
        header << resultcells::caption(c);
    header << QStringLiteral("未取得");
    QByteArray out = "\xEF\xBB\xBF" + record(header);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList fields;
        for (int c = 0; c < resultcells::ColumnCount; ++c)
            fields << resultcells::cellText(rows[r], int(r) + 1, c);
        fields << resultcells::notObtained(rows[r]);
        out += record(fields);
    }
    return out;
}

} // namespace csv

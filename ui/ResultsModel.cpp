#include "ResultsModel.h"

#include "AnswerNotes.h"
#include "QueryKind.h"
#include "ResultCells.h"

#include <QColor>
#include <QFont>

void ResultsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void ResultsModel::setRows(QList<ShouluRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ResultsModel::dateText(const QDateTime &value)
{
    return resultcells::dateText(value);
}

QString ResultsModel::cellText(const ShouluRow &row, int number, int column)
{
    return resultcells::cellText(row, number, column);
}

int ResultsModel::kindOfColumn(int column)
{
    switch (column) {
    case Total:
    case HomeFirst: // read from the same page
        return int(QueryKind::TotalIndexed);
    case Day:
    case Week:
    case Month:
    case Year:
    case Backlinks:
        return column - Day + int(QueryKind::IndexedDay);
    case Snapshot:
        return int(QueryKind::Snapshot);
    default:
        return -1;
    }
}

std::optional<AnswerRecord> ResultsModel::answerOf(const ShouluRow &row, int column)
{
    const int kind = kindOfColumn(column);
    if (kind < 0 || !row.answers)
        return std::nullopt;
    return (*row.answers)[std::size_t(kind)];
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ShouluRow &row = m_rows[index.row()];
    if (role == Qt::DisplayRole)
        return cellText(row, index.row() + 1, index.column());
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole || role == Qt::ToolTipRole)
        return answerData(row, index.column(), role);
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == Number ? Qt::AlignLeft : Qt::AlignHCenter) |
                   Qt::AlignVCenter);
    if (role == Qt::FontRole) {
        // Small enough for a date to fit its 65-pixel column.
        static const QFont font = [] {
            QFont f;
            f.setPixelSize(10);
            return f;
        }();
        return font;
    }
    return {};
}

QVariant ResultsModel::answerData(const ShouluRow &row, int column, int role)
{
    // A figure that is not real stands out: red on light red.
    static const QColor Text(0xB0, 0x00, 0x20), Ground(0xFD, 0xE7, 0xE9);
    if (column == Domain) {
        // The row as a whole: which of its answers were not obtained.
        if (!row.answers)
            return {};
        QStringList missing;
        for (int c = Total; c <= Snapshot; ++c) {
            const AnswerRecord a = *answerOf(row, c);
            if (!outcome::obtained(a.outcome))
                missing << resultcells::caption(c) + QStringLiteral("：") + answernotes::note(a);
        }
        if (missing.isEmpty())
            return {};
        if (role == Qt::BackgroundRole)
            return Ground;
        if (role == Qt::ToolTipRole)
            return QStringLiteral("有未取得的结果\n") + missing.join(u'\n');
        return {};
    }
    const std::optional<AnswerRecord> a = answerOf(row, column);
    if (!a)
        return {};
    if (role == Qt::ToolTipRole) {
        const QString text = answernotes::note(*a);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (outcome::obtained(a->outcome))
        return {};
    return role == Qt::ForegroundRole ? Text : Ground;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return resultcells::caption(section);
    if (role == Qt::TextAlignmentRole)
        return int((section == Number ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    return {};
}

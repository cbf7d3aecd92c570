#pragma once

#include "ResultCells.h"
#include "ShouluRow.h"

#include <QAbstractTableModel>
#include <QList>

#include <optional>

// The rows of the results list: the latest row of every domain, or one
// domain's daily history, in the order the store gave them.
class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The columns of resultcells, named here for the window's code.
    enum Column
    {
        Number = resultcells::Number,
        Domain = resultcells::Domain,
        QueryDate = resultcells::QueryDate,
        Total = resultcells::Total,
        Day = resultcells::Day,
        Week = resultcells::Week,
        Month = resultcells::Month,
        Year = resultcells::Year,
        Backlinks = resultcells::Backlinks,
        Snapshot = resultcells::Snapshot,
        HomeFirst = resultcells::HomeFirst,
        ColumnCount = resultcells::ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void clear();
    void setRows(QList<ShouluRow> rows);
    const QList<ShouluRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell, as the list shows it.
    static QString cellText(const ShouluRow &row, int number, int column);
    // A date in the short date form, 2008-09-05.
    static QString dateText(const QDateTime &value);
    // The query kind whose answer a column shows; -1 for the others.
    static int kindOfColumn(int column);
    // The answer behind a cell, when the row has its outcomes.
    static std::optional<AnswerRecord> answerOf(const ShouluRow &row, int column);

private:
    static QVariant answerData(const ShouluRow &row, int column, int role);
    QList<ShouluRow> m_rows;
};

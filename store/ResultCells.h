#pragma once

#include "ShouluRow.h"

#include <QString>
#include <QStringList>

// The results list's columns and cell texts, shared by the window, the
// command line and the exports so that all show a row alike.
namespace resultcells {

enum Column
{
    Number,
    Domain,
    QueryDate,
    Total,
    Day,
    Week,
    Month,
    Year,
    Backlinks,
    Snapshot,
    HomeFirst,
    ColumnCount
};

QString caption(int column);
// The text of a cell, as the list shows it; `number` is the row's place
// from 1.
QString cellText(const ShouluRow &row, int number, int column);
// A date in the short date form, 2008-09-05.
QString dateText(const QDateTime &value);
// The answers of the row that were not obtained, as "kind:outcome"
// separated by ","; empty when all were (or none were kept).
QString notObtained(const ShouluRow &row);

} // namespace resultcells

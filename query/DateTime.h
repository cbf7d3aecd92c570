#pragma once

#include <QDateTime>

// Date-times are wall-clock values: the local date and time as the user saw
// them, kept without a zone so that nothing shifts them across a daylight
// saving change. They carry Qt::UTC only as a neutral tag.
namespace datetime {

// The zero value of the store's date-time type: 1899-12-30 00:00.
QDateTime zero();
// The value that stands for "no snapshot date": 1900-01-01 00:00.
QDateTime noSnapshot();
// The local wall-clock time now.
QDateTime now();
QDateTime make(const QDate &date, const QTime &time = QTime(0, 0));

// "YYYY-MM-DD HH:MM:SS", the form the store keeps.
QString toText(const QDateTime &value);
// Reads the store's form back; an invalid QDateTime when it does not read.
QDateTime fromText(const QString &text);

} // namespace datetime

#include "DateTime.h"

namespace datetime {

QDateTime make(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime zero()
{
    return make(QDate(1899, 12, 30));
}

QDateTime noSnapshot()
{
    return make(QDate(1900, 1, 1));
}

QDateTime now()
{
    const QDateTime local = QDateTime::currentDateTime();
    const QTime t = local.time();
    // Whole seconds: the store keeps no fractions.
    return make(local.date(), QTime(t.hour(), t.minute(), t.second()));
}

QString toText(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime fromText(const QString &text)
{
    QDateTime value = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!value.isValid())
        return {};
    return make(value.date(), value.time());
}

} // namespace datetime

#include "DateTime.h"

#include "Clock.h"

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
    const QDateTime local = Clock::currentDateTime();
    const QTime t = local.time();
    // Whole seconds: the store keeps no fractions.
    return make(local.date(), QTime(t.hour(), t.minute(), t.second()));
}

QString toText(const QDateTime &value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

QDateTime fromText(const QString &text)
{
    // Read by hand: the store hands back thousands of these per list.
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':' || text[16] != u':')
        return {};
    auto field = [&text](int at, int width, bool &ok) {
        int value = 0;
        for (int i = at; i < at + width; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                ok = false;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    bool ok = true;
    const QDate date(field(0, 4, ok), field(5, 2, ok), field(8, 2, ok));
    const QTime time(field(11, 2, ok), field(14, 2, ok), field(17, 2, ok));
    if (!ok || !date.isValid() || !time.isValid())
        return {};
    return make(date, time);
}

} // namespace datetime

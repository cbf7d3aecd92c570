#include "Clock.h"

namespace {

Clock *installed = nullptr;

} // namespace

QDateTime Clock::currentDateTime()
{
    static const Clock system;
    return (installed ? installed : &system)->currentDateTimeImpl();
}

void Clock::setInstance(Clock *clock)
{
    installed = clock;
}

QDateTime Clock::currentDateTimeImpl() const
{
    return QDateTime::currentDateTime();
}

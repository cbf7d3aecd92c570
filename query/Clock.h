#pragma once

#include <QDateTime>

// Where the system takes the time of day from. Production uses the system
// clock; tests install their own (see tests/support/MockClock.h) so that
// stored times and a batch across midnight are asserted without waiting.
class Clock
{
public:
    virtual ~Clock() = default;

    // The local date and time now.
    static QDateTime currentDateTime();

    // Installs `clock` (owned by the caller, who must reset it before it
    // goes); nullptr goes back to the system clock.
    static void setInstance(Clock *clock);

protected:
    virtual QDateTime currentDateTimeImpl() const;
};

#pragma once

#include "Clock.h"

// A clock the test sets and moves by hand. Installed while it lives.
class MockClock : public Clock
{
public:
    explicit MockClock(QDateTime now) : m_now(std::move(now)) { Clock::setInstance(this); }
    ~MockClock() override { Clock::setInstance(nullptr); }
    MockClock(const MockClock &) = delete;
    MockClock &operator=(const MockClock &) = delete;

    void set(const QDateTime &now) { m_now = now; }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSecs(seconds); }

protected:
    QDateTime currentDateTimeImpl() const override { return m_now; }

private:
    QDateTime m_now;
};

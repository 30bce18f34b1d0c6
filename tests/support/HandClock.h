#pragma once

#include "playback/PlaybackClock.h"

// A playback clock driven by hand: time stands still until tick() moves it to
// the moment the timer is due (plus any lateness) and fires the timer there,
// so that playback runs the same on an idle and on a loaded machine.
class HandClock : public PlaybackClock
{
public:
    void restartElapsed() override { m_startedAt = m_now; }
    qint64 elapsed() const override { return m_now - m_startedAt; }
    void startTicking(int interval) override
    {
        m_ticking = true;
        setInterval(interval);
    }
    void stopTicking() override { m_ticking = false; }
    void setInterval(int interval) override
    {
        m_interval = interval;
        m_due = m_now + interval;
    }
    int interval() const override { return m_interval; }
    bool isTicking() const override { return m_ticking; }

    // False when the timer is not running.
    bool tick(qint64 late = 0)
    {
        if (!m_ticking)
            return false;
        m_now = m_due + late;
        m_due = m_now + m_interval;
        emit timeout();
        return true;
    }

private:
    qint64 m_now = 1000;
    qint64 m_startedAt = 0;
    qint64 m_due = 0;
    int m_interval = 0;
    bool m_ticking = false;
};

#include "playback/SteadyPlaybackClock.h"

SteadyPlaybackClock::SteadyPlaybackClock(QObject* parent)
    : PlaybackClock(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlaybackClock::timeout);
}

void SteadyPlaybackClock::restartElapsed()
{
    m_elapsed.start();
}

qint64 SteadyPlaybackClock::elapsed() const
{
    return m_elapsed.isValid() ? m_elapsed.elapsed() : 0;
}

void SteadyPlaybackClock::startTicking(int interval)
{
    m_timer.start(interval);
}

void SteadyPlaybackClock::stopTicking()
{
    m_timer.stop();
}

void SteadyPlaybackClock::setInterval(int interval)
{
    m_timer.setInterval(interval);
}

int SteadyPlaybackClock::interval() const
{
    return m_timer.interval();
}

bool SteadyPlaybackClock::isTicking() const
{
    return m_timer.isActive();
}

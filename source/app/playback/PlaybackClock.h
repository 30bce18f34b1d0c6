#pragma once

#include <QObject>

// The time source and the tick of the playback controller. The controller
// works out every frame from the elapsed time of the run, so that a late
// tick skips frames instead of slowing the animation; the real clock is a
// precise timer and a monotonic elapsed clock, and tests put a hand-driven
// clock in its place so that every worked example runs deterministically.
class PlaybackClock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Elapsed time counts from 0 again.
    virtual void restartElapsed() = 0;
    // Milliseconds since the last restart.
    virtual qint64 elapsed() const = 0;

    // The periodic tick: timeout() every interval milliseconds while active.
    // Changing the interval of an active tick re-aims it from now.
    virtual void startTicking(int interval) = 0;
    virtual void stopTicking() = 0;
    virtual void setInterval(int interval) = 0;
    virtual int interval() const = 0;
    virtual bool isTicking() const = 0;

signals:
    void timeout();
};

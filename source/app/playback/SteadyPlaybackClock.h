#pragma once

#include "playback/PlaybackClock.h"

#include <QElapsedTimer>
#include <QTimer>

// The clock of real playback: a precise timer and a monotonic elapsed clock.
class SteadyPlaybackClock : public PlaybackClock
{
    Q_OBJECT

public:
    explicit SteadyPlaybackClock(QObject* parent = nullptr);

    void restartElapsed() override;
    qint64 elapsed() const override;
    void startTicking(int interval) override;
    void stopTicking() override;
    void setInterval(int interval) override;
    int interval() const override;
    bool isTicking() const override;

private:
    QTimer m_timer;
    QElapsedTimer m_elapsed;
};

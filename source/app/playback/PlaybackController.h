#pragma once

#include <QFlags>
#include <QObject>

#include <memory>

class PlaybackClock;

// The clock that flips and plays the animation. It knows nothing of the
// scene: it is told the frame range, the active frame and the frame rate,
// and on each tick it emits the frame to show. Besides playing once or in a
// loop, forwards or backwards, it runs the animator's flipping gestures:
// flipping back from the current drawing, returning to it, and flipping back
// a few frames and returning by itself.
//
// The frame shown follows the time elapsed since the run started,
// n = round(t · fps / 1000) frame periods, and every tick re-aims the timer
// at the next frame boundary: a late tick skips frames (skippedFrame) rather
// than slowing the animation down, and the clock does not drift.
class PlaybackController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double frameRate READ frameRate WRITE setFrameRate)
    Q_PROPERTY(PlaybackModes playbackModes READ playbackModes WRITE setPlaybackModes)

public:
    enum PlaybackMode {
        Loop = 1,        // play loops; without it a run plays once and stops
        Backwards = 2,   // frames count down; no sound is started
        StopAndStay = 4  // a stopped play run leaves the last shown frame active
    };
    Q_DECLARE_FLAGS(PlaybackModes, PlaybackMode)
    Q_FLAG(PlaybackModes)

    enum State {
        Stopped = 0,
        PlayingLoop = 1,
        PlayingOnce = 2,
        FlippingBack = 3,
        ReturnFlipping = 4,
        FlippingBackAndReturn = 5
    };
    Q_ENUM(State)

    // Takes the clock, or uses a real one without it.
    explicit PlaybackController(QObject* parent = nullptr, PlaybackClock* clock = nullptr);
    ~PlaybackController() override;

    // Takes another clock in place of the current one, which goes; a run in
    // progress stops first. For tests of a window that made its controller
    // with the real clock.
    void setClock(PlaybackClock* clock);

    // The timer is active or the run is paused.
    bool isPlaying() const;
    double frameRate() const;
    PlaybackModes playbackModes() const;
    State state() const;

public slots:
    // Read by a running clock on its next tick.
    void setFrameRange(int lower, int upper);
    void setActiveFrame(int frameId);
    // Clamped to [0.1, 60]. A running clock goes on at the new rate from the
    // frame on screen.
    void setFrameRate(double fps);
    void setPlaybackModes(PlaybackController::PlaybackModes modes);
    void setPlaybackMode(PlaybackController::PlaybackMode mode, bool on);
    void startPlayback();
    void stopPlayback();
    void togglePlayback();
    // True when a running timer was paused.
    bool pausePlayback();
    // Resumes a paused run from the frame; true when it was paused.
    bool unPausePlayback(int frameId);
    void flipBackAndReturn(int numFrames);
    void startFlipBack();
    void startReturnFlip();
    void allowSwitchFlipDirection();

signals:
    void showFrame(int frameId);
    // A run stopped: the frame that is to become the scene's active frame.
    void updateActiveFrame(int frameId);
    void playbackChanged(bool playing);
    // Sound is to start at the frame (true) or stop (false).
    void audioPlaybackChanged(bool playing, int frameIdStart);
    void skippedFrame();

private slots:
    void showNextFrame();

private:
    void startRun();
    // The run counts its time and frames from now, at the current interval.
    void restartClock();
    void stop();
    // The next tick shows the frame after the one on screen, whatever the
    // state: the run's reference frames move to where it stands.
    void rebaseOnShownFrame();

    struct Data;
    std::unique_ptr<Data> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(PlaybackController::PlaybackModes)

#include "playback/PlaybackController.h"

#include "playback/SteadyPlaybackClock.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {

double const MinimumFrameRate = 0.1;
double const MaximumFrameRate = 60.0;

int intervalFor(double fps)
{
    return int(std::lround(1000.0 / fps));
}

} // namespace

struct PlaybackController::Data
{
    double frameRate = 12.0;
    PlaybackClock* clock = nullptr;
    int rangeLower = -1;
    int rangeUpper = -1;
    int activeFrame = -1;
    int startFrame = -1;
    int flipCount = -1;
    int returnBase = -1;
    int shownFrame = -1;
    PlaybackModes modes = Loop;
    State state = Stopped;
    bool paused = false;
    bool switchAllowed = false;
    int returnDirection = 0; // 0 forwards, 1 backwards
    qint64 lastElapsed = 0;
    int lastFrameCount = 0;
    int interval = intervalFor(12.0);
    // Where the frame counts of a run are measured from. They equal the
    // start frame (or the range end) when the run starts and move to the
    // frame on screen when the rate changes, so the run goes on from there.
    int origin = -1;
    int onceOffset = 0;
};

PlaybackController::PlaybackController(QObject* parent, PlaybackClock* clock)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
    setClock(clock ? clock : new SteadyPlaybackClock(this));
}

PlaybackController::~PlaybackController() = default;

void PlaybackController::setClock(PlaybackClock* clock)
{
    if (!clock || clock == d->clock)
        return;
    if (d->clock) {
        if (isPlaying())
            stop();
        delete d->clock;
    }
    d->clock = clock;
    d->clock->setParent(this);
    d->clock->setInterval(d->interval);
    connect(d->clock, &PlaybackClock::timeout, this, &PlaybackController::showNextFrame);
}

bool PlaybackController::isPlaying() const
{
    return d->clock->isTicking() || d->paused;
}

double PlaybackController::frameRate() const
{
    return d->frameRate;
}

PlaybackController::PlaybackModes PlaybackController::playbackModes() const
{
    return d->modes;
}

PlaybackController::State PlaybackController::state() const
{
    return d->state;
}

void PlaybackController::setFrameRange(int lower, int upper)
{
    d->rangeLower = lower;
    d->rangeUpper = upper;
}

void PlaybackController::setActiveFrame(int frameId)
{
    d->activeFrame = frameId;
}

void PlaybackController::setFrameRate(double fps)
{
    fps = std::isnan(fps) ? MinimumFrameRate : std::clamp(fps, MinimumFrameRate, MaximumFrameRate);
    if (qFuzzyCompare(fps, d->frameRate))
        return;
    d->frameRate = fps;
    d->interval = intervalFor(fps);
    if (!d->clock->isTicking()) {
        d->clock->setInterval(d->interval);
        return;
    }
    d->clock->stopTicking();
    d->clock->setInterval(d->interval);
    rebaseOnShownFrame();
    restartClock();
}

void PlaybackController::setPlaybackModes(PlaybackModes modes)
{
    d->modes = modes;
}

void PlaybackController::setPlaybackMode(PlaybackMode mode, bool on)
{
    d->modes.setFlag(mode, on);
}

void PlaybackController::startPlayback()
{
    d->state = d->modes.testFlag(Loop) ? PlayingLoop : PlayingOnce;
    startRun();
}

void PlaybackController::stopPlayback()
{
    stop();
}

void PlaybackController::togglePlayback()
{
    if (isPlaying())
        stop();
    else
        startPlayback();
}

bool PlaybackController::pausePlayback()
{
    if (!d->clock->isTicking())
        return false;
    emit audioPlaybackChanged(false, d->shownFrame);
    d->clock->stopTicking();
    d->paused = true;
    return true;
}

bool PlaybackController::unPausePlayback(int frameId)
{
    if (!d->paused)
        return false;
    d->startFrame = d->shownFrame = frameId;
    rebaseOnShownFrame();
    restartClock();
    if (!d->modes.testFlag(Backwards))
        emit audioPlaybackChanged(true, frameId);
    return true;
}

void PlaybackController::flipBackAndReturn(int numFrames)
{
    d->flipCount = numFrames;
    d->state = FlippingBackAndReturn;
    startRun();
}

void PlaybackController::startFlipBack()
{
    d->state = FlippingBack;
    startRun();
}

void PlaybackController::startReturnFlip()
{
    if (!isPlaying())
        return;
    d->switchAllowed = false;
    if (d->returnDirection == 0 && d->shownFrame >= d->startFrame)
        d->returnDirection = 1;
    else if (d->returnDirection == 1 && d->shownFrame <= d->startFrame)
        d->returnDirection = 0;
    d->state = ReturnFlipping;
    d->returnBase = d->shownFrame;
    startRun();
}

void PlaybackController::allowSwitchFlipDirection()
{
    d->switchAllowed = true;
}

void PlaybackController::startRun()
{
    // A range of one frame has nothing to play.
    if (d->rangeLower >= d->rangeUpper) {
        stop();
        return;
    }
    d->startFrame = d->activeFrame;
    d->origin = d->startFrame;
    d->onceOffset = 0;
    restartClock();
    emit playbackChanged(isPlaying());
}

void PlaybackController::restartClock()
{
    d->lastElapsed = 0;
    d->lastFrameCount = 0;
    d->paused = false;
    d->clock->startTicking(d->interval);
    d->clock->restartElapsed();
}

void PlaybackController::stop()
{
    d->clock->stopTicking();
    d->paused = false;
    State const old = d->state;
    d->state = Stopped;
    bool const stays = (old == PlayingLoop || old == PlayingOnce)
                       && d->modes.testFlag(StopAndStay);
    emit updateActiveFrame(stays ? d->shownFrame : d->activeFrame);
    d->shownFrame = -1;
    emit audioPlaybackChanged(false, -1);
    emit playbackChanged(isPlaying());
}

void PlaybackController::rebaseOnShownFrame()
{
    int const shown = d->shownFrame;
    if (shown < 0)
        return;
    switch (d->state) {
    case PlayingLoop:
        d->origin = shown;
        break;
    case PlayingOnce:
        d->onceOffset = d->modes.testFlag(Backwards) ? d->rangeUpper - shown
                                                     : shown - d->rangeLower;
        break;
    case FlippingBack:
        d->origin = shown + 1;
        break;
    case FlippingBackAndReturn:
        // The frames already flipped count towards the turn.
        d->flipCount -= d->origin - 1 - shown;
        d->origin = shown + 1;
        break;
    case ReturnFlipping:
        d->returnBase = shown;
        break;
    case Stopped:
        break;
    }
}

void PlaybackController::showNextFrame()
{
    double const fps = d->frameRate;
    qint64 const t = d->clock->elapsed();
    int const n = int(std::lround(double(t) * fps / 1000.0));

    if (n - d->lastFrameCount >= 2 && t - d->lastElapsed > d->interval)
        emit skippedFrame();

    qint64 const boundary = std::lround((n + 1) * 1000.0 / fps);
    d->lastFrameCount = n;
    d->lastElapsed = t;
    d->interval = int(std::max<qint64>(boundary - t, 0));
    d->clock->setInterval(d->interval);

    int const lower = d->rangeLower;
    int const upper = d->rangeUpper;
    bool const backwards = d->modes.testFlag(Backwards);
    int frame = -1;
    switch (d->state) {
    case Stopped:
        return;
    case PlayingLoop: {
        int const base = std::clamp(d->origin, lower, std::max(lower, upper));
        int const length = upper - lower + 1;
        int k = (base - lower + (backwards ? -n : n)) % length;
        if (k < 0)
            k += length;
        frame = lower + k;
        if (!backwards && (d->shownFrame == -1 || frame < d->shownFrame))
            emit audioPlaybackChanged(true, frame);
        break;
    }
    case PlayingOnce:
        frame = backwards ? upper - d->onceOffset - n : lower + d->onceOffset + n;
        if (frame < lower || frame > upper) {
            stop();
            return;
        }
        if (!backwards && d->shownFrame == -1)
            emit audioPlaybackChanged(true, frame);
        break;
    case FlippingBack:
        frame = std::max(lower, d->origin - n - 1);
        break;
    case ReturnFlipping:
        if (d->returnDirection == 0) {
            frame = d->returnBase + n;
            int const limit = d->switchAllowed ? upper : d->startFrame;
            if (frame >= limit) {
                d->returnDirection = d->switchAllowed ? 1 : 0;
                stop();
                return;
            }
        } else {
            frame = d->returnBase - n;
            int const limit = d->switchAllowed ? lower : d->startFrame;
            if (frame <= limit) {
                d->returnDirection = 0;
                stop();
                return;
            }
        }
        break;
    case FlippingBackAndReturn:
        frame = d->origin - n - 1;
        if (n >= d->flipCount - 1 || frame <= lower) {
            frame = std::max(frame, lower);
            d->returnBase = d->shownFrame - n - 1;
            d->state = ReturnFlipping;
            d->returnDirection = 0;
        }
        break;
    }

    d->shownFrame = frame;
    if (isPlaying())
        emit showFrame(frame);
}

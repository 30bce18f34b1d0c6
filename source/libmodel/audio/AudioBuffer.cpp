#include "audio/AudioBuffer.h"

#include "media/AudioFormat.h"

#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

namespace Model {

namespace {

constexpr qint64 minimumReportedUs = 50000;
// What the output asks the sound server to hold ahead of what it plays: the
// delay before a new slice is heard, and the time the audio thread may be
// kept from its next read before the sound breaks off.
constexpr qint64 outputBufferUs = 200000;

inline qint16 loadSample(char const* bytes)
{
    qint16 sample;
    std::memcpy(&sample, bytes, sizeof sample);
    return sample;
}

inline void storeSample(char* bytes, qint16 sample)
{
    std::memcpy(bytes, &sample, sizeof sample);
}

// sample × numerator / denominator, truncated toward zero, held to 16 bits.
inline qint16 scaled(qint16 sample, qint64 numerator, qint64 denominator)
{
    qint64 const value = qint64(sample) * numerator / denominator;
    return qint16(std::clamp<qint64>(value, -32768, 32767));
}

// Copies the bytes [from, to) of the window, all inside its last fadeLength
// bytes, scaling each sample by its distance to the window's end. Samples sit
// at even window offsets; a request may begin or end inside one.
void copyFadedOut(char const* window, qint64 windowSize, qint64 fadeLength, qint64 from, qint64 to,
                  char* out)
{
    qint64 i = from;
    while (i < to) {
        qint64 const p = i & ~qint64(1);
        if (p + 1 >= windowSize) {
            out[i - from] = window[i];
            ++i;
            continue;
        }
        char bytes[2];
        qint64 const distance = qMin(windowSize - p, fadeLength);
        storeSample(bytes, scaled(loadSample(window + p), distance, fadeLength));
        qint64 const end = qMin(p + 2, to);
        for (qint64 j = i; j < end; ++j)
            out[j - from] = bytes[j - p];
        i = end;
    }
}

} // namespace

double pcmToReal(qint16 sample)
{
    return sample * (1.0 / 32768.0);
}

qint16 realToPcm(double value)
{
    return qint16(int(value * 32767.0));
}

struct AudioBuffer::Data
{
    qint64 minimumLength = 0;
    qint64 readPos = 0;
    qint64 fadeLength = 0;
    double volume = 1.0;
    bool stopping = false;
    // A stop is already on its way for the current stopping phase.
    bool stopPosted = false;
    // Counts starts and stops, so that a stop posted by a read never ends a
    // start that came after it.
    quint64 phase = 0;
    QByteArray window;
    QAudioFormat format;
    QAudioSink* sink = nullptr;

    qint64 unread() const { return qMax<qint64>(0, window.size() - readPos); }

    // Keeps at most one fade length of what is unplayed: the window's end,
    // which reads fade out.
    void keepFadingRest()
    {
        qint64 const keep = qMin(unread(), fadeLength);
        if (keep > 0 && readPos > 0)
            std::memmove(window.data(), window.constData() + readPos, size_t(keep));
        window.resize(keep);
        readPos = 0;
    }

    void reset()
    {
        window.clear();
        stopping = false;
        stopPosted = false;
        readPos = 0;
        fadeLength = 0;
        ++phase;
    }
};

AudioBuffer::AudioBuffer(QAudioFormat const& format, QObject* parent)
    : QIODevice(parent)
    , d(std::make_unique<Data>())
{
    d->format = format;
    d->minimumLength = AudioFormat::audioLengthUs(format, minimumReportedUs);
}

AudioBuffer::~AudioBuffer()
{
    // Destroying a sink spins this thread's event loop. Left to the base
    // class, the sink would go after this object's state, and calls still
    // queued to the buffer would run in that loop on a half-destroyed device.
    // So those calls are dropped first, and the sink goes while the buffer is
    // still whole. Nothing queues new calls by now: the layer disconnects a
    // buffer before dropping it, or waits in its destructor for this thread
    // to end, and a stopped sink reads no more.
    QCoreApplication::removePostedEvents(this);
    if (d->sink) {
        d->sink->stop();
        delete std::exchange(d->sink, nullptr);
    }
    d->window.clear();
    close();
}

bool AudioBuffer::isSequential() const
{
    return true;
}

qint64 AudioBuffer::bytesAvailable() const
{
    qint64 const unread = d->unread();
    return QIODevice::bytesAvailable() + (d->stopping ? unread : qMax(unread, d->minimumLength));
}

QAudioFormat AudioBuffer::format() const
{
    return d->format;
}

double AudioBuffer::volume() const
{
    return d->volume;
}

bool AudioBuffer::isStopping() const
{
    return d->stopping;
}

void AudioBuffer::openOutput()
{
    if (!d->sink) {
        d->sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), d->format, this);
        // A layer muted before its output existed stays muted.
        d->sink->setVolume(d->volume);
    }
    if (d->sink->state() != QAudio::StoppedState)
        return;
    // Unbuffered: what the sink asks for is what it gets from the window, so
    // a new slice is heard after the sink's own latency only.
    if (!isOpen())
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // Left to itself, the sink asks the sound server for the buffer it was
    // granted last time, and the server grants less on every start until
    // nothing is ever written.
    d->sink->setBufferSize(AudioFormat::audioLengthUs(d->format, outputBufferUs));
    d->sink->start(this);
}

void AudioBuffer::start()
{
    // What still sounds of the last slice fades out as it would before the
    // next slice of a play.
    d->keepFadingRest();
    d->stopping = false;
    d->stopPosted = false;
    ++d->phase;
    // The output keeps running between plays: starting it again would open a
    // new stream on the sound server and lose its first moments of sound.
    openOutput();
}

void AudioBuffer::stop()
{
    d->reset();
}

void AudioBuffer::fadeOutAndStop()
{
    d->keepFadingRest();
    if (!d->stopping) {
        d->stopping = true;
        d->stopPosted = false;
    }
    emit readyRead();
}

void AudioBuffer::setVolume(double volume)
{
    d->volume = qBound(0.0, volume, 1.0);
    if (d->sink)
        d->sink->setVolume(d->volume);
}

void AudioBuffer::replaceBuffer(QByteArray const& pcm, qint64 pos, qint64 len, qint64 fadeInOutUs)
{
    if (len < 0) {
        fadeOutAndStop();
        return;
    }
    qint64 const size = pcm.size();
    qint64 const frameBytes = qMax(1, d->format.bytesPerFrame());
    qint64 const oldFade = d->fadeLength;

    // What is still unplayed of the old window, up to one fade length, in
    // whole sample frames so that the new slice keeps the channel order.
    qint64 keep = qMin(d->unread(), oldFade);
    keep -= keep % frameBytes;
    if (keep > 0 && d->readPos > 0)
        std::memmove(d->window.data(), d->window.constData() + d->readPos, size_t(keep));

    // A slice that starts past the block's end has nothing to copy; its
    // length never goes below 0, so the kept bytes always stay in the window.
    qint64 const sliceLength = qMax<qint64>(0, qMin(size - pos, len));
    d->window.resize(keep + sliceLength);
    d->readPos = 0;

    char* const window = d->window.data();
    for (qint64 p = 0; p + 1 < keep; p += 2)
        storeSample(window + p, scaled(loadSample(window + p), keep - p, oldFade));

    char* out = window + keep;
    qint64 room = sliceLength;
    auto silence = [&out, &room](qint64 count) {
        count = std::clamp<qint64>(count, 0, room);
        std::memset(out, 0, size_t(count));
        out += count;
        room -= count;
    };

    qint64 source = pos;
    if (source < 0) {
        qint64 const lead = qMin(room, -source);
        silence(lead);
        source += lead;
    }
    qint64 const remaining = (source < 0 || source > size) ? 0 : qMin(room, size - source);
    if (remaining > 0) {
        qint64 const fade = qMin(remaining / 2, AudioFormat::audioLengthUs(d->format, fadeInOutUs));
        d->fadeLength = qMax<qint64>(0, fade);
        char const* const from = pcm.constData() + source;
        qint64 q = 0;
        if (fade >= 1) {
            for (; q < fade && q + 1 < remaining; q += 2)
                storeSample(out + q, scaled(loadSample(from + q), q, fade));
        }
        std::memcpy(out + q, from + q, size_t(remaining - q));
        out += remaining;
        room -= remaining;
    }
    silence(room);

    emit readyRead();
}

qint64 AudioBuffer::readData(char* data, qint64 maxLen)
{
    if (maxLen <= 0)
        return 0;
    qint64 const size = d->window.size();
    qint64 const fadeLength = std::clamp<qint64>(d->fadeLength, 0, size);
    qint64 const fadeStart = size - fadeLength;
    char const* const window = d->window.constData();
    qint64 written = 0;

    if (d->readPos < fadeStart) {
        qint64 const count = qMin(fadeStart - d->readPos, maxLen);
        std::memcpy(data, window + d->readPos, size_t(count));
        d->readPos += count;
        written += count;
    }
    if (written < maxLen && d->readPos < size) {
        qint64 const count = qMin(size - d->readPos, maxLen - written);
        copyFadedOut(window, size, fadeLength, d->readPos, d->readPos + count, data + written);
        d->readPos += count;
        written += count;
    }
    if (written < maxLen) {
        std::memset(data + written, 0, size_t(maxLen - written));
        if (d->stopping && !d->stopPosted) {
            d->stopPosted = true;
            QTimer::singleShot(0, this, [this, phase = d->phase] {
                if (phase == d->phase && d->stopping)
                    stop();
            });
        }
    }
    return maxLen;
}

qint64 AudioBuffer::writeData(char const* /*data*/, qint64 /*len*/)
{
    return 0;
}

} // namespace Model

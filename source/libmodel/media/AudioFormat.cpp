#include "media/AudioFormat.h"

namespace AudioFormat {

namespace {

constexpr qint64 nsPerSecond = 1000000000;

// a × b / c with integer truncation toward zero, without forming a × b when
// b is a count of nanoseconds (hours of sound would overflow 64 bits).
qint64 mulDivNs(qint64 a, qint64 ns)
{
    qint64 const whole = ns / nsPerSecond;
    qint64 const rest = ns % nsPerSecond; // same sign as ns
    // a × rest alone would pass 64 bits at rates far beyond any sound's.
    return a * whole + a / nsPerSecond * rest + a % nsPerSecond * rest / nsPerSecond;
}

} // namespace

int sampleSize(QAudioFormat const& format)
{
    return sampleSizeBytes(format) * 8;
}

int sampleSizeBytes(QAudioFormat const& format)
{
    switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
        return 1;
    case QAudioFormat::Int16:
        return 2;
    case QAudioFormat::Int32:
    case QAudioFormat::Float:
        return 4;
    default:
        return 0;
    }
}

qint64 audioLengthNs(QAudioFormat const& format, qint64 ns)
{
    // In 64 bits: a sound file's header may give any rate and channel count.
    qint64 const frameBytes = qint64(sampleSizeBytes(format)) * format.channelCount();
    if (frameBytes <= 0 || format.sampleRate() <= 0)
        return 0;
    qint64 const bytesPerSecond = format.sampleRate() * frameBytes;
    qint64 const bytes = mulDivNs(bytesPerSecond, ns);
    return bytes - bytes % frameBytes;
}

qint64 audioLengthUs(QAudioFormat const& format, qint64 us)
{
    return audioLengthNs(format, us * 1000);
}

qint64 audioDurationNs(QAudioFormat const& format, qint64 bytes)
{
    int const bytesPerSample = sampleSizeBytes(format);
    if (format.sampleRate() < 1 || format.channelCount() < 1 || bytesPerSample < 1)
        return 0;
    qint64 const bytesPerSecond =
        qint64(bytesPerSample) * format.sampleRate() * format.channelCount();
    qint64 const whole = bytes / bytesPerSecond;
    qint64 const rest = bytes % bytesPerSecond;
    return whole * nsPerSecond + rest * nsPerSecond / bytesPerSecond;
}

qint64 audioDurationUs(QAudioFormat const& format, qint64 bytes)
{
    return audioDurationNs(format, bytes) / 1000;
}

} // namespace AudioFormat

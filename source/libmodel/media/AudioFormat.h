#pragma once

#include <QAudioFormat>
#include <QtGlobal>

// Conversions between durations and byte counts of PCM in a QAudioFormat.
// Byte counts are always whole sample frames; negative durations give negative
// byte counts (truncated toward zero), which callers use for positions before
// the start of a sound. An unknown sample format gives 0 everywhere.
namespace AudioFormat {

// Bits per sample: UInt8 8, Int16 16, Int32 and Float 32.
int sampleSize(QAudioFormat const& format);
int sampleSizeBytes(QAudioFormat const& format);

qint64 audioLengthNs(QAudioFormat const& format, qint64 ns);
qint64 audioLengthUs(QAudioFormat const& format, qint64 us);

qint64 audioDurationNs(QAudioFormat const& format, qint64 bytes);
qint64 audioDurationUs(QAudioFormat const& format, qint64 bytes);

} // namespace AudioFormat

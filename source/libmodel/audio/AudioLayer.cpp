#include "audio/AudioLayer.h"

#include "audio/AudioBuffer.h"
#include "media/AudioFormat.h"
#include "media/FfmpegAudioDecoder.h"

#include <QBuffer>
#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineF>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QPen>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace Model {

namespace {

constexpr int levelBlockSize = 2048;
constexpr qint64 maximumDecodedMs = 1800000;
// Above the highest rate sound devices play, a sound file's header is damage
// or made to overflow the byte counts of its timing.
constexpr int maximumSampleRate = 768000;
constexpr qint64 edgeUs = 4000;
constexpr qint64 fadeInOutUs = 8000;

struct Level
{
    double peak[2] = {0.0, 0.0};
    double rms[2] = {0.0, 0.0};
    int count = 0;
};

using LevelCache = QMap<qint64, QList<Level>>;

} // namespace

struct AudioLayer::Data
{
    bool audible = true;
    double frameRate = 0.0;
    double frameUs = 0.0;
    QByteArray originalAudioData;
    QByteArray audioData;
    QAudioFormat audioFormat;
    qint64 durationUs = 0;
    double offsetFrames = 0.0;
    double offsetFramesTemporary = 0.0;
    std::unique_ptr<QThread> thread = std::make_unique<QThread>();
    // Lives on the thread above and is deleted there, only once dropped here
    // or when that thread ends. Only the layer's thread sets or clears the
    // pointer and nothing calls through it after the move, so it is a plain
    // pointer: a weak one would be tested here while the other thread may be
    // tearing the object down.
    AudioBuffer* playbackBuffer = nullptr;
    double normalization = 1.0;
    LevelCache levelCache;
    int levelCacheRowUs = 0;

    // Peak and rms of the sound over [t0, t0 + lengthUs) µs of clip time.
    Level measure(qint64 t0, qint64 lengthUs) const
    {
        Level level;
        qint64 const size = audioData.size();
        int const channels = audioFormat.channelCount();
        if (channels < 1 || audioFormat.sampleFormat() != QAudioFormat::Int16)
            return level;
        qint64 const start =
            qMin(AudioFormat::audioLengthUs(audioFormat, qMax<qint64>(t0, 0)), size);
        qint64 bytes = AudioFormat::audioLengthUs(
            audioFormat, t0 < 0 ? qMax<qint64>(lengthUs + t0, 0) : lengthUs);
        bytes = std::clamp<qint64>(bytes, 0, size - start);
        qint64 const frameBytes = qint64(channels) * 2;
        qint64 const count = bytes / frameBytes;
        if (count < 1)
            return level;

        char const* frame = audioData.constData() + start;
        double sum[2] = {0.0, 0.0};
        double peak[2] = {0.0, 0.0};
        int const measured = channels >= 2 ? 2 : 1;
        for (qint64 i = 0; i < count; ++i, frame += frameBytes) {
            for (int c = 0; c < measured; ++c) {
                qint16 sample;
                std::memcpy(&sample, frame + 2 * c, sizeof sample);
                double const value = pcmToReal(sample);
                peak[c] = qMax(peak[c], std::abs(value));
                sum[c] += value * value;
            }
        }
        for (int c = 0; c < measured; ++c) {
            level.peak[c] = peak[c];
            level.rms[c] = qBound(0.0, std::sqrt(sum[c] / double(count)), 1.0);
        }
        if (measured == 1) {
            level.peak[1] = level.peak[0];
            level.rms[1] = level.rms[0];
        }
        level.count = int(qMin<qint64>(count, std::numeric_limits<int>::max()));
        return level;
    }
};

AudioLayer::AudioLayer(QObject* parent)
    : Layer(parent)
    , d(std::make_unique<Data>())
{
    d->thread->setObjectName(QStringLiteral("AudioLayer"));
}

AudioLayer::~AudioLayer()
{
    // The playback buffer is deleted as its thread finishes.
    d->thread->quit();
    d->thread->wait();
    d->playbackBuffer = nullptr;
    d->levelCache.clear();
    d->thread.reset();
    d->audioData.clear();
    d->originalAudioData.clear();
}

int AudioLayer::type() const
{
    return AudioLayerType;
}

int AudioLayer::length() const
{
    return 0;
}

bool AudioLayer::isFrameValid(int frame) const
{
    if (!isAudioAvailable())
        return false;
    qint64 const offset = offsetUs();
    return frameEndUs(frame) > offset && offset + d->durationUs >= frameBeginUs(frame);
}

Layer* AudioLayer::clone() const
{
    return nullptr;
}

bool AudioLayer::loadFile(QString const& path, QProgressDialog* progress)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    d->originalAudioData = file.readAll();
    file.close();
    return decodeOriginalAudioData(progress);
}

bool AudioLayer::setOriginalAudioData(QByteArray const& data)
{
    d->originalAudioData = data;
    return decodeOriginalAudioData(nullptr);
}

QByteArray const& AudioLayer::originalAudioData() const
{
    return d->originalAudioData;
}

bool AudioLayer::decodeOriginalAudioData(QProgressDialog* progress)
{
    if (d->originalAudioData.isEmpty()) {
        clearDecodedAudio();
        return false;
    }

    // Shares the file bytes; nothing is copied.
    QBuffer source;
    source.setData(d->originalAudioData);
    source.open(QIODevice::ReadOnly);

    QAudioFormat wanted;
    wanted.setSampleFormat(QAudioFormat::Int16);
    wanted.setChannelConfig(QAudioFormat::ChannelConfigStereo);

    FfmpegAudioDecoder decoder(&source);
    decoder.setAudioFormat(wanted);
    QAudioFormat decodedFormat = decoder.audioFormat();

    QEventLoop loop;
    connect(&decoder, &FfmpegAudioDecoder::finished, &loop, &QEventLoop::quit);
    connect(&decoder, &FfmpegAudioDecoder::formatChanged, &loop,
            [&decodedFormat](QAudioFormat format) { decodedFormat = format; });
    // Sound is cut at 30 minutes.
    connect(&decoder, &FfmpegAudioDecoder::positionMsChanged, &loop, [&decoder](qint64 ms) {
        if (ms > maximumDecodedMs)
            decoder.stop();
    });
    if (progress) {
        connect(&decoder, &FfmpegAudioDecoder::durationMsChanged, progress,
                [progress](qint64 ms) { progress->setMaximum(int(qMin(ms, maximumDecodedMs))); });
        connect(&decoder, &FfmpegAudioDecoder::positionMsChanged, progress,
                [progress, &decoder](qint64 ms) {
                    if (progress->wasCanceled())
                        decoder.stop();
                    else
                        progress->setValue(
                            int(qMax<qint64>(0, qMin<qint64>(ms, progress->maximum()))));
                });
    }
    QTimer::singleShot(0, &decoder, &FfmpegAudioDecoder::start);
    loop.exec();

    if (progress && progress->wasCanceled()) {
        clearDecodedAudio();
        return false;
    }
    setDecodedAudio(std::move(decoder.outputBuffer()), decodedFormat);
    if (!isAudioAvailable())
        return false;

    createPlaybackBuffer();
    emit audioAvailableChanged();
    if (!d->audible) {
        d->audible = true;
        emit volumeChanged(1.0);
        emit audibleChanged(true);
    }
    return true;
}

void AudioLayer::setDecodedAudio(QByteArray data, QAudioFormat const& format)
{
    dropPlaybackBuffer();
    d->levelCache.clear();
    d->levelCacheRowUs = 0;
    d->normalization = 1.0;
    d->audioData = std::move(data);
    d->audioFormat = format;
    d->durationUs = AudioFormat::audioDurationUs(format, d->audioData.size());
    if (!isAudioAvailable()) {
        clearDecodedAudio();
        return;
    }
    Level const whole = d->measure(0, d->durationUs);
    d->normalization = qMax(1.0, 1.0 / qMax(qMax(whole.peak[0], whole.peak[1]), 0.1));
}

void AudioLayer::clearDecodedAudio()
{
    dropPlaybackBuffer();
    d->audioData = QByteArray();
    d->audioFormat = QAudioFormat();
    d->durationUs = 0;
    d->levelCache.clear();
    d->levelCacheRowUs = 0;
    d->normalization = 1.0;
}

void AudioLayer::dropPlaybackBuffer()
{
    if (!d->playbackBuffer)
        return;
    // Nothing more reaches the old buffer; slices already queued to it hold
    // their own reference to the PCM they play.
    disconnect(this, nullptr, d->playbackBuffer, nullptr);
    std::exchange(d->playbackBuffer, nullptr)->deleteLater();
}

void AudioLayer::createPlaybackBuffer()
{
    auto* const buffer = new AudioBuffer(d->audioFormat);
    buffer->setVolume(d->audible ? 1.0 : 0.0);
    buffer->moveToThread(d->thread.get());
    connect(d->thread.get(), &QThread::finished, buffer, &QObject::deleteLater);
    connect(this, &AudioLayer::audioAvailableChanged, buffer, &AudioBuffer::openOutput,
            Qt::QueuedConnection);
    connect(this, &AudioLayer::startAudio, buffer, &AudioBuffer::start, Qt::QueuedConnection);
    connect(this, &AudioLayer::stopAudio, buffer, &AudioBuffer::fadeOutAndStop,
            Qt::QueuedConnection);
    connect(this, &AudioLayer::newAudioBuffer, buffer, &AudioBuffer::replaceBuffer,
            Qt::QueuedConnection);
    connect(this, &AudioLayer::volumeChanged, buffer, &AudioBuffer::setVolume,
            Qt::QueuedConnection);
    d->playbackBuffer = buffer;
    if (!d->thread->isRunning())
        d->thread->start();
}

QByteArray const& AudioLayer::audioData() const
{
    return d->audioData;
}

QAudioFormat AudioLayer::audioFormat() const
{
    return d->audioFormat;
}

qint64 AudioLayer::durationUs() const
{
    return d->durationUs;
}

bool AudioLayer::isAudioAvailable() const
{
    QAudioFormat const& format = d->audioFormat;
    return !d->audioData.isEmpty() && format.sampleRate() >= 1
        && format.sampleRate() <= maximumSampleRate && format.channelCount() >= 1
        && format.sampleFormat() != QAudioFormat::Unknown && d->durationUs >= 1;
}

bool AudioLayer::isAudioAvailableInRange(int first, int last) const
{
    if (!isAudioAvailable())
        return false;
    qint64 const offset = offsetUs();
    return frameEndUs(last) > offset && offset + d->durationUs > frameBeginUs(first);
}

bool AudioLayer::isAudible() const
{
    return d->audible;
}

void AudioLayer::setAudible(bool audible)
{
    if (audible == d->audible)
        return;
    d->audible = audible;
    emit volumeChanged(audible ? 1.0 : 0.0);
    if (isAudioAvailable())
        emit audibleChanged(audible);
}

double AudioLayer::offsetFrames() const
{
    return d->offsetFrames;
}

void AudioLayer::setOffsetFrames(double offsetFrames)
{
    if (std::isnan(offsetFrames))
        offsetFrames = 0.0;
    offsetFrames = std::clamp(offsetFrames, -MaximumOffsetFrames, MaximumOffsetFrames);
    if (d->durationUs > 0 && std::abs(d->frameUs) > 1e-12)
        offsetFrames = qMax(offsetFrames, 0.25 - double(d->durationUs) / d->frameUs);
    d->offsetFrames = std::round(offsetFrames * 100.0) * 0.01;
}

void AudioLayer::setOffsetFramesTemporary(double offsetFrames)
{
    if (!isAudioAvailable())
        return;
    d->offsetFramesTemporary = offsetFrames;
    double const total = d->offsetFrames + offsetFrames;
    if (std::abs(total) < 0.25) {
        d->offsetFramesTemporary = -d->offsetFrames;
    } else if (std::abs(d->frameUs) > 1e-12) {
        double const lowest = 0.25 - double(d->durationUs) / d->frameUs;
        if (total < lowest)
            d->offsetFramesTemporary = lowest - d->offsetFrames;
    }
}

double AudioLayer::offsetFramesTotal() const
{
    return d->offsetFrames + d->offsetFramesTemporary;
}

qint64 AudioLayer::offsetNs() const
{
    qint64 const frameNs = std::llround(d->frameUs * 1000.0);
    double const whole = std::floor(d->offsetFrames);
    return std::llround(double(frameNs) * (d->offsetFrames - whole)) + qint64(whole) * frameNs;
}

qint64 AudioLayer::offsetUs() const
{
    return std::llround(offsetFramesTotal() * d->frameUs);
}

double AudioLayer::frameRate() const
{
    return d->frameRate;
}

void AudioLayer::setFrameRate(double fps)
{
    if (d->offsetFrames < 0.0 && d->frameRate > 0.1)
        d->offsetFrames *= fps / d->frameRate;
    d->frameRate = fps;
    d->frameUs = fps > 0.0 ? 1000000.0 / fps : 0.0;
}

qint64 AudioLayer::frameBeginUs(int frame) const
{
    return std::llround(double(frame - 1) * d->frameUs);
}

qint64 AudioLayer::frameEndUs(int frame) const
{
    return std::llround(double(frame) * d->frameUs);
}

QImage AudioLayer::thumbnail(int frame, QSize const& size) const
{
    if (size.width() <= 0 || size.height() <= 0 || !isFrameValid(frame))
        return {};

    // A cell taller than the frame has microseconds would give rows of 0 µs.
    int const rowUs = int(qMax<qint64>(1, std::llround(d->frameUs / size.height())));
    if (rowUs != d->levelCacheRowUs) {
        d->levelCache.clear();
        d->levelCacheRowUs = rowUs;
    }

    qint64 const frameBegin = frameBeginUs(frame);
    qint64 const frameEnd = frameEndUs(frame);
    qint64 const offset = offsetUs();
    qint64 const duration = d->durationUs;

    // Rows of the cell that lie on the sound.
    qint64 const firstRow = (qMax(frameBegin, offset) - frameBegin) / rowUs;
    qint64 const endRow =
        qMin<qint64>((qMin(offset + duration, frameEnd) - frameBegin) / rowUs, size.height());

    if (firstRow < endRow) {
        // Fill the cache with the blocks of level records this cell uses.
        qint64 const firstColumn =
            qMax<qint64>(0, (firstRow * rowUs + frameBegin - offset) / rowUs);
        qint64 const lastColumn =
            qMax<qint64>(0, ((endRow - 1) * rowUs + frameBegin - offset) / rowUs);
        for (qint64 block = firstColumn / levelBlockSize; block <= lastColumn / levelBlockSize;
             ++block) {
            if (d->levelCache.contains(block))
                continue;
            QList<Level> levels;
            levels.reserve(levelBlockSize);
            for (int i = 0; i < levelBlockSize; ++i)
                levels.append(d->measure((block * levelBlockSize + i) * rowUs, rowUs));
            d->levelCache.insert(block, levels);
        }
    }

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (firstRow >= endRow)
        return image;

    QPainter painter(&image);
    painter.setBrush(Qt::NoBrush);
    QPen const peakPen(QColor(255, 255, 255, 128), 1);
    QPen const rmsPen(QColor(255, 255, 255), 1);
    double const half = size.width() / 2.0;
    double const factor = d->normalization;
    for (qint64 row = firstRow; row < endRow; ++row) {
        qint64 const t = row * rowUs + frameBegin - offset;
        qint64 const column = t / rowUs;
        Level level;
        auto const cached = d->levelCache.constFind(column / levelBlockSize);
        if (column >= 0 && cached != d->levelCache.constEnd())
            level = cached->at(int(column % levelBlockSize));
        else
            level = d->measure(t, rowUs);
        double const y = double(row);
        painter.setPen(peakPen);
        painter.drawLine(QLineF(half * (1.0 - level.peak[0] * factor), y,
                                half * (1.0 + level.peak[1] * factor), y));
        if (std::abs(level.rms[0]) > 1e-12 || std::abs(level.rms[1]) > 1e-12) {
            painter.setPen(rmsPen);
            painter.drawLine(QLineF(half * (1.0 - level.rms[0] * factor), y,
                                    half * (1.0 + level.rms[1] * factor), y));
        }
    }
    return image;
}

void AudioLayer::startScrubbing()
{
    emit startAudio();
}

void AudioLayer::stopScrubbing()
{
    emit stopAudio();
}

void AudioLayer::playFrame(int frame)
{
    if (!d->audible || !isFrameValid(frame))
        return;
    qint64 const offset = offsetUs();
    qint64 const start = qMax<qint64>(frameBeginUs(frame) - offset - edgeUs, 0);
    qint64 const end = frameEndUs(frame) - offset + edgeUs;
    qint64 const pos = AudioFormat::audioLengthUs(d->audioFormat, start);
    qint64 const len = AudioFormat::audioLengthUs(d->audioFormat, end - start);
    if (pos < 0 || len < 0)
        qDebug() << "readPos,readLength " << pos << len;
    emit newAudioBuffer(d->audioData, pos, len, fadeInOutUs);
}

void AudioLayer::startPlayback(int first, int last)
{
    if (!isAudioAvailable() || first > last)
        return;
    emit startAudio();
    qint64 const start = frameBeginUs(first) - offsetUs() - edgeUs;
    qint64 const length = frameEndUs(last) - frameBeginUs(first) + 2 * edgeUs;
    emit newAudioBuffer(d->audioData, AudioFormat::audioLengthUs(d->audioFormat, start),
                        AudioFormat::audioLengthUs(d->audioFormat, length), fadeInOutUs);
}

void AudioLayer::stopPlayback()
{
    emit stopAudio();
}

} // namespace Model

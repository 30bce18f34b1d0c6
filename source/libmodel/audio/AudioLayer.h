#pragma once

#include "scene/Layer.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

class QProgressDialog;

namespace Model {

// The scene's sound track. Keeps the imported sound file byte for byte,
// decodes it once to 16-bit stereo PCM, places it against the frames with an
// offset counted in frames and plays slices of it through its own playback
// buffer on a thread of its own, reached only through queued signals.
// Time on the sound is counted in integer microseconds: frame n spans
// [frameBeginUs(n), frameEndUs(n)), and the sound starts offsetUs() after the
// start of frame 1.
class AudioLayer : public Layer
{
    Q_OBJECT

public:
    explicit AudioLayer(QObject* parent = nullptr);
    ~AudioLayer() override;

    int type() const override;
    // The sound never lengthens the scene.
    int length() const override;
    // The frame overlaps the sound (a sound ending exactly where the frame
    // begins still counts); false without sound.
    bool isFrameValid(int frame) const override;
    // An audio layer is never copied: null.
    Layer* clone() const override;

    // False unless the path is a regular file that can be read; otherwise
    // keeps the file's bytes and decodes them.
    bool loadFile(QString const& path, QProgressDialog* progress);
    // Replaces the file bytes and decodes them without progress.
    bool setOriginalAudioData(QByteArray const& data);
    QByteArray const& originalAudioData() const;
    // Decodes the file bytes. Afterwards the decoded sound always belongs to
    // the current file bytes: a failed or cancelled decoding leaves none.
    bool decodeOriginalAudioData(QProgressDialog* progress);

    QByteArray const& audioData() const;
    QAudioFormat audioFormat() const;
    // Length of the decoded sound in microseconds.
    qint64 durationUs() const;
    bool isAudioAvailable() const;
    // The sound overlaps the span from the start of frame first to the end of
    // frame last.
    bool isAudioAvailableInRange(int first, int last) const;

    bool isAudible() const;

    double offsetFrames() const;
    // The largest offset either way: an offset becomes a frame number, and
    // an integer frame number must be able to hold it.
    static constexpr double MaximumOffsetFrames = 1000000.0;

    // Keeps at least a quarter frame of sound at or after frame 1, within
    // MaximumOffsetFrames either way, and rounds to hundredths of a frame.
    // No signal.
    void setOffsetFrames(double offsetFrames);
    // The live offset of a drag, on top of the committed one; a total within
    // a quarter frame of 0 snaps to 0. Ignored without sound.
    void setOffsetFramesTemporary(double offsetFrames);
    double offsetFramesTotal() const;
    // The committed offset in nanoseconds.
    qint64 offsetNs() const;
    // Where the sound starts, with the temporary offset.
    qint64 offsetUs() const;

    double frameRate() const;
    // A negative offset keeps its time, a positive one its frame count.
    void setFrameRate(double fps);
    qint64 frameBeginUs(int frame) const;
    qint64 frameEndUs(int frame) const;

    // The waveform of the frame's cell drawn down the image, one row per
    // pixel; null where the frame has no sound or the size is empty.
    QImage thumbnail(int frame, QSize const& size) const;

    void startScrubbing();
    void stopScrubbing();
    // The frame's sound with 4 ms on either side, when audible.
    void playFrame(int frame);
    void startPlayback(int first, int last);
    void stopPlayback();

public slots:
    void setAudible(bool audible);

signals:
    void audioAvailableChanged();
    void startAudio();
    void stopAudio();
    // The PCM travels implicitly shared: a queued slice stays valid even when
    // the layer decodes new sound before the audio thread reads it.
    void newAudioBuffer(QByteArray data, qint64 pos, qint64 len, qint64 fadeInOutUs);
    void volumeChanged(double volume);
    void audibleChanged(bool audible);

private:
    void setDecodedAudio(QByteArray data, QAudioFormat const& format);
    void clearDecodedAudio();
    void dropPlaybackBuffer();
    void createPlaybackBuffer();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model

#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace Model {

// Animated GIF export on the GUI thread: pulls one frame per pass of the
// event loop from the provider (so a progress dialog stays live), encodes it
// at once, and writes the whole file when the provider returns a null image.
// States: 5 new, 3 set up, 1 encoding, 4 stopped, 2 error. Every failure is
// reported through error() and leaves the encoder in state 2; no text is
// shown here.
class GIFEncoder : public QObject
{
    Q_OBJECT

public:
    enum Error {
        SetupWhileEncoding = 0,
        NotEncoding = 1,
        WriteFailed = 2,
        FrameFailed = 3,
        NoData = 4,
        NotSetUp = 5,
    };
    Q_ENUM(Error)

    explicit GIFEncoder(QObject* parent = nullptr);
    ~GIFEncoder() override;

    // The provider's images must be width × height, 32 bits per pixel,
    // pitchBytes per row.
    void setup(std::function<QImage()> const& provider, QString const& file, int width, int height,
               int centiSecondsPerFrame, int maxBitDepth, int pitchBytes);
    int getState() const;
    // Times the frames by the scene's rate instead of the whole hundredths
    // given to setup: each frame's delay is chosen so that the running total
    // stays on the rate (8, 8, 9, 8, 8, 9, ... at 12 fps), where one rounded
    // delay for every frame would drift. A rate of 0 goes back to the fixed
    // delay.
    void setFrameRate(double framesPerSecond);
    // The delay of the frame at index (from 0) at that rate, in hundredths.
    static int frameDelay(double framesPerSecond, int index);
    // After WriteFailed: the system's reason ("No space left on device").
    QString fileErrorString() const;

public slots:
    void start();
    // While encoding: writes what was encoded so far and enters state 4.
    void stop();
    // While encoding: drops what was encoded, writes nothing, enters state 4
    // and tells finished().
    void cancel();

signals:
    void error(Model::GIFEncoder::Error err);
    void finished();
    void processNextFrame();

private slots:
    void handleFrame();

private:
    void finalize();
    void fail(Error err);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::GIFEncoder::Error)

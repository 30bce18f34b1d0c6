#include "media/GIFEncoder.h"

#include "files/FileWriter.h"
#include "media/GifWriter.h"

#include <QByteArray>
#include <QDebug>

#include <cmath>

namespace Model {

namespace {

enum State { Encoding = 1, ErrorState = 2, SetUp = 3, Stopped = 4, New = 5 };

} // namespace

struct GIFEncoder::Private
{
    QString file;
    QString fileError;
    MsfGifHandle handle{};
    std::function<QImage()> provider;
    int state = New;
    int width = 0;
    int height = 0;
    int centiSecondsPerFrame = 0;
    int maxBitDepth = 16;
    int pitchBytes = 0;
    double framesPerSecond = 0.0;
    int framesEncoded = 0;
};

GIFEncoder::GIFEncoder(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    qRegisterMetaType<Model::GIFEncoder::Error>();
    connect(this, &GIFEncoder::processNextFrame, this, &GIFEncoder::handleFrame,
            Qt::QueuedConnection);
}

GIFEncoder::~GIFEncoder()
{
    // An encoder dropped half way still gives its memory back.
    msf_gif_free(msf_gif_end(&d->handle));
}

void GIFEncoder::setup(std::function<QImage()> const& provider, QString const& file, int width,
                       int height, int centiSecondsPerFrame, int maxBitDepth, int pitchBytes)
{
    if (d->state == Encoding) {
        fail(SetupWhileEncoding);
        return;
    }
    std::function<QImage()> swapped = provider;
    d->provider.swap(swapped);
    d->file = file;
    d->width = width;
    d->height = height;
    d->centiSecondsPerFrame = centiSecondsPerFrame;
    d->maxBitDepth = maxBitDepth;
    d->pitchBytes = pitchBytes;
    msf_gif_free(msf_gif_end(&d->handle));
    d->handle = MsfGifHandle{};
    d->state = SetUp;
}

QString GIFEncoder::fileErrorString() const
{
    return d->fileError;
}

int GIFEncoder::getState() const
{
    return d->state;
}

void GIFEncoder::setFrameRate(double framesPerSecond)
{
    d->framesPerSecond = std::isfinite(framesPerSecond) && framesPerSecond > 0.0 ? framesPerSecond
                                                                                 : 0.0;
}

int GIFEncoder::frameDelay(double framesPerSecond, int index)
{
    // The end of frame i falls at 100 (i + 1) / rate hundredths; rounding
    // those ends down (rather than each frame's length) keeps the error of
    // the running total under one hundredth. The small allowance keeps exact
    // quotients such as 100 / 12.5 from landing a hair below their value.
    auto end = [framesPerSecond](int frame) {
        return std::floor(100.0 * double(frame) / framesPerSecond + 1e-9);
    };
    return int(end(index + 1) - end(index));
}

void GIFEncoder::start()
{
    if (d->state != SetUp) {
        fail(NotSetUp);
        return;
    }
    // QImage's 32-bit pixels lie in memory as B, G, R, A on the
    // little-endian processors the program runs on.
    msf_gif_bgra_flag = 1;
    if (!msf_gif_begin(&d->handle, d->width, d->height)) {
        fail(FrameFailed);
        return;
    }
    d->framesEncoded = 0;
    d->state = Encoding;
    emit processNextFrame();
}

void GIFEncoder::stop()
{
    if (d->state != Encoding)
        return;
    finalize();
    d->state = Stopped;
}

void GIFEncoder::cancel()
{
    if (d->state != Encoding)
        return;
    msf_gif_free(msf_gif_end(&d->handle));
    d->state = Stopped;
    emit finished();
}

void GIFEncoder::handleFrame()
{
    if (d->state == Stopped)
        return;
    if (d->state != Encoding) {
        fail(NotEncoding);
        return;
    }
    QImage image = d->provider ? d->provider() : QImage();
    // The provider may have stopped or set up the encoder meanwhile.
    if (d->state != Encoding)
        return;
    if (image.isNull()) {
        finalize();
        return;
    }
    if (image.depth() != 32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // A frame of another size or row length would be read out of bounds.
    if (image.size() != QSize(d->width, d->height)
        || (d->pitchBytes != 0 && image.bytesPerLine() != d->pitchBytes)) {
        qWarning() << "GIF frame of size" << image.size() << "in a GIF of size" << d->width
                   << d->height;
        msf_gif_free(msf_gif_end(&d->handle));
        fail(FrameFailed);
        return;
    }
    int const delay = d->framesPerSecond > 0.0 ? frameDelay(d->framesPerSecond, d->framesEncoded)
                                               : d->centiSecondsPerFrame;
    if (!msf_gif_frame(&d->handle, image.bits(), delay, d->maxBitDepth, d->pitchBytes)) {
        fail(FrameFailed);
        return;
    }
    ++d->framesEncoded;
    emit processNextFrame();
}

void GIFEncoder::finalize()
{
    if (d->state != Encoding) {
        fail(NotEncoding);
        return;
    }
    MsfGifOutput const output = msf_gif_end(&d->handle);
    if (!output.data) {
        msf_gif_free(output);
        fail(NoData);
        return;
    }
    bool const written = FileWriter::writeFile(
        d->file,
        QByteArray::fromRawData(static_cast<char const*>(output.data), qsizetype(output.dataSize)),
        &d->fileError);
    msf_gif_free(output);
    if (!written) {
        fail(WriteFailed);
        return;
    }
    emit finished();
}

void GIFEncoder::fail(Error err)
{
    d->state = ErrorState;
    emit error(err);
}

} // namespace Model

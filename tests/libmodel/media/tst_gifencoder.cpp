// The animated GIF writer: the bytes of the file, every frame decoded back
// through an LZW decoder of its own, and the encoder's states and errors.
#include "TestSupport.h"

#include "media/GIFEncoder.h"
#include "media/GifWriter.h"

#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

using Model::GIFEncoder;

namespace {

struct GifFrame
{
    int packed = 0;
    int delay = 0;
    int transparentIndex = -1;
    int width = 0;
    int height = 0;
    int tableBits = 0;
    QByteArray palette;
    QList<int> indices;
    int dataBytes = 0;
};

struct Gif
{
    QString error;
    QList<GifFrame> frames;
};

// A plain GIF LZW decoder: codes least-significant bit first, the code width
// growing when the next free code reaches it, at most 12 bits.
QList<int> lzwDecode(QByteArray const& data, int minimumCodeSize, QString* error)
{
    int const clear = 1 << minimumCodeSize;
    int const end = clear + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<int> suffix(4096, 0);
    for (int i = 0; i < clear; ++i)
        suffix[size_t(i)] = i;
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    qint64 bitPosition = 0;
    QList<int> out;
    auto expand = [&](int code) {
        QList<int> string;
        while (code >= 0) {
            string.prepend(suffix[size_t(code)]);
            code = prefix[size_t(code)];
        }
        return string;
    };
    for (;;) {
        if (bitPosition + codeSize > qint64(data.size()) * 8) {
            *error = QStringLiteral("the data ends without an end code");
            return out;
        }
        int code = 0;
        for (int i = 0; i < codeSize; ++i, ++bitPosition)
            code |= ((quint8(data[bitPosition / 8]) >> (bitPosition % 8)) & 1) << i;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return out;
        QList<int> string;
        if (code < next && (code < clear || code > end)) {
            string = expand(code);
        } else if (code == next && previous >= 0) {
            string = expand(previous);
            string.append(string.first());
        } else {
            *error = QStringLiteral("code %1 out of range").arg(code);
            return out;
        }
        out += string;
        if (previous >= 0 && next < 4096) {
            prefix[size_t(next)] = previous;
            suffix[size_t(next)] = string.first();
            ++next;
        }
        previous = code;
        if (next == (1 << codeSize) && codeSize < 12)
            ++codeSize;
    }
}

int le16(QByteArray const& bytes, qsizetype at)
{
    return quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8);
}

Gif parse(QByteArray const& bytes)
{
    Gif gif;
    qsizetype at = 32;
    auto fail = [&](QString const& what) {
        gif.error = what + QStringLiteral(" at byte %1").arg(at);
        return gif;
    };
    while (at < bytes.size()) {
        quint8 const introducer = quint8(bytes[at]);
        if (introducer == 0x3B) {
            if (at != bytes.size() - 1)
                return fail(QStringLiteral("bytes after the trailer"));
            return gif;
        }
        GifFrame frame;
        if (introducer != 0x21 || quint8(bytes[at + 1]) != 0xF9 || bytes[at + 2] != 4
            || bytes[at + 7] != 0)
            return fail(QStringLiteral("no graphic control extension"));
        frame.packed = quint8(bytes[at + 3]);
        frame.delay = le16(bytes, at + 4);
        frame.transparentIndex = quint8(bytes[at + 6]);
        at += 8;
        if (quint8(bytes[at]) != 0x2C || le16(bytes, at + 1) != 0 || le16(bytes, at + 3) != 0)
            return fail(QStringLiteral("no image descriptor"));
        frame.width = le16(bytes, at + 5);
        frame.height = le16(bytes, at + 7);
        int const packed = quint8(bytes[at + 9]);
        if (!(packed & 0x80))
            return fail(QStringLiteral("no local colour table"));
        frame.tableBits = (packed & 7) + 1;
        at += 10;
        frame.palette = bytes.mid(at, 3 << frame.tableBits);
        at += 3 << frame.tableBits;
        int const minimumCodeSize = quint8(bytes[at++]);
        if (minimumCodeSize != frame.tableBits)
            return fail(QStringLiteral("code size differs from the table"));
        QByteArray data;
        for (;;) {
            int const length = quint8(bytes[at++]);
            if (length == 0)
                break;
            if (length != 255 && quint8(bytes[at + length]) != 0)
                return fail(QStringLiteral("a short sub-block before the last"));
            data += bytes.mid(at, length);
            at += length;
        }
        frame.dataBytes = int(data.size());
        QString error;
        frame.indices = lzwDecode(data, minimumCodeSize, &error);
        if (!error.isEmpty())
            return fail(error);
        gif.frames << frame;
    }
    return fail(QStringLiteral("no trailer"));
}

QImage randomImage(QSize size, quint32 seed, int levels)
{
    QRandomGenerator random(seed);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            auto channel = [&] { return int(random.bounded(levels)) * 255 / qMax(1, levels - 1); };
            image.setPixel(x, y, qRgb(channel(), channel(), channel()));
        }
    return image;
}

// The palette indices a written frame must decode to: the writer's cooked
// colour indices ranked among the used ones, 0 where unchanged.
QList<int> expectedIndices(MsfGifHandle const& handle, bool differenced)
{
    MsfCookedFrame const& cooked = handle.previousFrame; // the frame just written
    MsfCookedFrame const& before = handle.currentFrame;
    qsizetype const pixels = qsizetype(handle.width) * handle.height;
    std::vector<uint32_t> used(cooked.pixels, cooked.pixels + pixels);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    QList<int> indices;
    for (qsizetype i = 0; i < pixels; ++i) {
        if (differenced && cooked.pixels[i] == before.pixels[i])
            indices << 0;
        else
            indices << int(std::lower_bound(used.begin(), used.end(), cooked.pixels[i])
                           - used.begin())
                    + 1;
    }
    return indices;
}

struct EncodeRun
{
    QList<int> errors;
    int finished = 0;
    int state = 0;
};

EncodeRun runEncoder(GIFEncoder& encoder)
{
    EncodeRun run;
    QEventLoop loop;
    QObject::connect(&encoder, &GIFEncoder::finished, &loop, [&] {
        ++run.finished;
        loop.quit();
    });
    QObject::connect(&encoder, &GIFEncoder::error, &loop, [&](GIFEncoder::Error err) {
        run.errors << int(err);
        loop.quit();
    });
    QTimer::singleShot(0, &encoder, &GIFEncoder::start);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    run.state = encoder.getState();
    return run;
}

std::function<QImage()> sequence(QList<QImage> const& images)
{
    auto next = std::make_shared<int>(0);
    return [images, next] { return *next < images.size() ? images[(*next)++] : QImage(); };
}

QByteArray readFile(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestGIFEncoder : public QObject
{
    Q_OBJECT

private slots:
    void fileBytes();
    void framesDecodeToTheirIndices_data();
    void framesDecodeToTheirIndices();
    void gifsicleAgrees();
    void encoderErrors();
    void delaysKeepToTheRate_data();
    void delaysKeepToTheRate();
};

void TestGIFEncoder::fileBytes()
{
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("a.gif"));
    QImage single(300, 2, QImage::Format_ARGB32_Premultiplied);
    single.fill(QColor(255, 255, 0)); // full or empty channels dither to one colour
    GIFEncoder encoder;
    encoder.setup(sequence({single, single}), path, 300, 2, 4, 16, 300 * 4);
    EncodeRun const run = runEncoder(encoder);
    QCOMPARE(run.finished, 1);
    QVERIFY(run.errors.isEmpty());
    QCOMPARE(run.state, 1);

    QByteArray const bytes = readFile(path);
    QByteArray const header = QByteArray("GIF89a") + QByteArray::fromHex("2c010200700000")
        + QByteArray::fromHex("21ff0b") + QByteArray("NETSCAPE2.0")
        + QByteArray::fromHex("0301000000");
    QCOMPARE(bytes.left(32), header);
    QCOMPARE(quint8(bytes.back()), quint8(0x3B));

    Gif const gif = parse(bytes);
    QVERIFY2(gif.error.isEmpty(), qPrintable(gif.error));
    QCOMPARE(gif.frames.size(), 2);
    for (GifFrame const& frame : gif.frames) {
        QCOMPARE(frame.packed, 0x05); // leave in place, transparent colour
        QCOMPARE(frame.transparentIndex, 0);
        QCOMPARE(frame.delay, 4);
        QCOMPARE(QSize(frame.width, frame.height), QSize(300, 2));
    }
    // One colour: index 0 transparent, the colour at 1, bits replicated.
    GifFrame const& first = gif.frames[0];
    QCOMPARE(first.tableBits, 2);
    QCOMPARE(first.palette.left(3), QByteArray(3, '\0'));
    QList<int> const ones(600, 1);
    QCOMPARE(first.indices, ones);
    QCOMPARE(first.palette.mid(3, 3), QByteArray::fromHex("ffff00"));
    // The same frame again: nothing changed, every pixel shows through.
    QCOMPARE(gif.frames[1].indices, QList<int>(600, 0));
    QVERIFY(gif.frames[1].dataBytes < first.dataBytes + 4);

    // No frame at all: the header and the trailer.
    QString const empty = dir.filePath(QStringLiteral("empty.gif"));
    GIFEncoder none;
    none.setup([] { return QImage(); }, empty, 300, 2, 4, 16, 300 * 4);
    QCOMPARE(runEncoder(none).finished, 1);
    QCOMPARE(readFile(empty), header + QByteArray(1, ';'));
}

void TestGIFEncoder::framesDecodeToTheirIndices_data()
{
    QTest::addColumn<QList<QImage>>("images");
    QSize const size(67, 45); // odd sizes, more than one 255-byte sub-block
    QImage const few = randomImage(size, 1, 3);
    QImage changed = few.copy();
    for (int x = 10; x < 40; ++x)
        changed.setPixel(x, 20, qRgb(255, 0, 255));
    QTest::newRow("few colours, then a small change") << QList<QImage>{few, changed, changed};
    // Thousands of colours: cooked again at lower depths until under 256.
    QTest::newRow("many colours") << QList<QImage>{randomImage(size, 2, 256), randomImage(size, 3, 256)};
    // Large enough for the code table to fill and be cleared.
    QSize const large(256, 200);
    QTest::newRow("table cleared") << QList<QImage>{randomImage(large, 4, 256), randomImage(large, 5, 2)};
}

void TestGIFEncoder::framesDecodeToTheirIndices()
{
    QFETCH(QList<QImage>, images);
    int const width = images.first().width();
    int const height = images.first().height();
    msf_gif_bgra_flag = 1;
    MsfGifHandle handle{};
    QVERIFY(msf_gif_begin(&handle, width, height));
    QList<QList<int>> expected;
    QList<int> depths;
    for (QImage image : images) {
        int const previousRed = handle.previousFrame.rbits;
        int const previousGreen = handle.previousFrame.gbits;
        int const previousBlue = handle.previousFrame.bbits;
        QVERIFY(msf_gif_frame(&handle, image.bits(), 5, 16, int(image.bytesPerLine())));
        MsfCookedFrame const& cooked = handle.previousFrame;
        bool const sameSplit = cooked.rbits == previousRed && cooked.gbits == previousGreen
            && cooked.bbits == previousBlue;
        QVERIFY(cooked.count < 256);
        expected << expectedIndices(handle, sameSplit && expected.size() > 0);
        depths << cooked.depth;
    }
    MsfGifOutput const output = msf_gif_end(&handle);
    QVERIFY(output.data);
    QByteArray const bytes(static_cast<char const*>(output.data), qsizetype(output.dataSize));
    msf_gif_free(output);

    Gif const gif = parse(bytes);
    QVERIFY2(gif.error.isEmpty(), qPrintable(gif.error));
    QCOMPARE(gif.frames.size(), images.size());
    for (int i = 0; i < images.size(); ++i) {
        QCOMPARE(gif.frames[i].indices.size(), qsizetype(width) * height);
        QVERIFY2(gif.frames[i].indices == expected[i], qPrintable(QString::number(i)));
        QVERIFY(gif.frames[i].tableBits >= 2 && gif.frames[i].tableBits <= 8);
    }
    if (QTest::currentDataTag() == QByteArray("many colours"))
        QVERIFY(depths.first() < 16);
}

void TestGIFEncoder::gifsicleAgrees()
{
    QString const gifsicle = QStandardPaths::findExecutable(QStringLiteral("gifsicle"));
    if (gifsicle.isEmpty())
        QSKIP("gifsicle is not installed");
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("moving.gif"));
    QList<QImage> images;
    for (int i = 0; i < 5; ++i)
        images << randomImage(QSize(31, 17), quint32(10 + i), 4 + i * 40);
    GIFEncoder encoder;
    encoder.setup(sequence(images), path, 31, 17, 14, 16, 31 * 4);
    QCOMPARE(runEncoder(encoder).finished, 1);

    QProcess process;
    process.start(gifsicle, {QStringLiteral("--info"), path});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QString const info = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(info.contains(QStringLiteral("5 images")), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("loop forever")), qPrintable(info));
    QCOMPARE(info.count(QStringLiteral("delay 0.14s")), 5);
    QVERIFY2(!process.readAllStandardError().contains("error"), qPrintable(info));
}

void TestGIFEncoder::encoderErrors()
{
    QTemporaryDir dir;
    QImage frame(4, 4, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::red);

    {
        GIFEncoder encoder; // never set up
        QCOMPARE(encoder.getState(), 5);
        EncodeRun const run = runEncoder(encoder);
        QCOMPARE(run.errors, QList<int>{GIFEncoder::NotSetUp});
        QCOMPARE(run.state, 2);
    }
    {
        // Set up again while encoding: refused, and the encoding ends.
        GIFEncoder encoder;
        QList<int> errors;
        encoder.setup(
            [&] {
                encoder.setup([] { return QImage(); }, dir.filePath("b.gif"), 4, 4, 4, 16, 16);
                return frame;
            },
            dir.filePath("a.gif"), 4, 4, 4, 16, 16);
        EncodeRun const run = runEncoder(encoder);
        QCOMPARE(run.errors.value(0), int(GIFEncoder::SetupWhileEncoding));
        QCOMPARE(run.state, 2);
    }
    {
        GIFEncoder encoder; // a folder that does not exist
        encoder.setup(sequence({frame}), dir.filePath("missing/c.gif"), 4, 4, 4, 16, 16);
        EncodeRun const run = runEncoder(encoder);
        QCOMPARE(run.errors, QList<int>{GIFEncoder::WriteFailed});
        QCOMPARE(run.state, 2);
        QVERIFY(!QFile::exists(dir.filePath("missing/c.gif")));
    }
    {
        GIFEncoder encoder; // a frame of another size is refused, not read beyond
        encoder.setup(sequence({frame, QImage(3, 3, QImage::Format_ARGB32)}), dir.filePath("d.gif"),
                      4, 4, 4, 16, 16);
        QCOMPARE(runEncoder(encoder).errors, QList<int>{GIFEncoder::FrameFailed});
    }
    {
        // Stopped while encoding: what was encoded is written, state 4.
        GIFEncoder encoder;
        QString const path = dir.filePath("e.gif");
        encoder.setup([&] { return frame; }, path, 4, 4, 4, 16, 16);
        QSignalSpy finished(&encoder, &GIFEncoder::finished);
        // Asked for at the start and after each frame encoded.
        QSignalSpy nextFrame(&encoder, &GIFEncoder::processNextFrame);
        QTimer::singleShot(0, &encoder, &GIFEncoder::start);
        QTRY_VERIFY(nextFrame.count() >= 2);
        QCOMPARE(encoder.getState(), 1);
        encoder.stop();
        QCOMPARE(encoder.getState(), 4);
        QCOMPARE(finished.count(), 1);
        Gif const gif = parse(readFile(path));
        QVERIFY2(gif.error.isEmpty(), qPrintable(gif.error));
        QVERIFY(!gif.frames.isEmpty());
    }
}


void TestGIFEncoder::delaysKeepToTheRate_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QList<int>>("firstDelays");
    // Rates that divide a second into whole hundredths keep one delay.
    QTest::newRow("25 fps") << 25.0 << QList<int>{4, 4, 4, 4, 4, 4};
    QTest::newRow("12.5 fps") << 12.5 << QList<int>{8, 8, 8, 8, 8, 8};
    QTest::newRow("0.1 fps") << 0.1 << QList<int>{1000, 1000};
    QTest::newRow("12 fps") << 12.0 << QList<int>{8, 8, 9, 8, 8, 9};
    QTest::newRow("24 fps") << 24.0 << QList<int>{4, 4, 4, 4, 4, 5};
    QTest::newRow("7 fps") << 7.0 << QList<int>{14, 14, 14, 15, 14, 14, 15};
    QTest::newRow("23.976 fps") << 23.976 << QList<int>{4, 4, 4, 4, 4, 5};
    QTest::newRow("60 fps") << 60.0 << QList<int>{1, 2, 2, 1, 2, 2};
}

void TestGIFEncoder::delaysKeepToTheRate()
{
    QFETCH(double, rate);
    QFETCH(QList<int>, firstDelays);

    QList<int> delays;
    for (int i = 0; i < firstDelays.size(); ++i)
        delays << GIFEncoder::frameDelay(rate, i);
    QCOMPARE(delays, firstDelays);

    // Over a long run the total never drifts by a hundredth from the rate.
    int total = 0;
    for (int i = 0; i < 10000; ++i) {
        total += GIFEncoder::frameDelay(rate, i);
        double const due = 100.0 * (i + 1) / rate;
        QVERIFY2(total <= due + 1e-6 && total > due - 1.0,
                 qPrintable(QStringLiteral("frame %1: %2 for %3").arg(i).arg(total).arg(due)));
    }

    // The file carries them: the encoder given the rate writes these delays.
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("timed.gif"));
    QImage frame(4, 4, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::red);
    GIFEncoder encoder;
    encoder.setup(sequence(QList<QImage>(firstDelays.size(), frame)), path, 4, 4, 99, 16, 16);
    encoder.setFrameRate(rate);
    QCOMPARE(runEncoder(encoder).finished, 1);
    Gif const gif = parse(readFile(path));
    QVERIFY2(gif.error.isEmpty(), qPrintable(gif.error));
    QList<int> written;
    for (GifFrame const& f : gif.frames)
        written << f.delay;
    QCOMPARE(written, firstDelays);
}

QUILLMERE_TEST_MAIN(TestGIFEncoder)

#include "tst_gifencoder.moc"

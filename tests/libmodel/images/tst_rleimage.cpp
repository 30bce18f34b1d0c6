#include "TestSupport.h"

#include "images/RleImage.h"

#include <QBuffer>
#include <QDataStream>
#include <QRandomGenerator>

using Model::RleImage;

namespace {

QImage alpha8(int width, int height, const QByteArray& pixels)
{
    QImage image(width, height, QImage::Format_Alpha8);
    image.fill(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width && y * width + x < pixels.size(); ++x) {
            image.scanLine(y)[x] = uchar(pixels.at(y * width + x));
        }
    }
    return image;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values) {
        result.append(char(v));
    }
    return result;
}

// The whole stream record of an image.
QByteArray record(const RleImage& image)
{
    QByteArray result;
    QDataStream out(&result, QIODevice::WriteOnly);
    out << image;
    return result;
}

// The operation stream alone, taken apart from the record by hand so that the
// record's own layout is checked along the way.
QByteArray operations(const RleImage& image, int width, int height)
{
    const QByteArray rec = record(image);
    QDataStream in(rec);
    qint32 w = -1, h = -1;
    quint32 length = 0;
    in >> w >> h >> length;
    if (w != width || h != height || int(length) != rec.size() - 12) {
        return QByteArray("bad record");
    }
    return rec.mid(12);
}

// A record as it could arrive from a file: any size, any operation bytes.
QByteArray rawRecord(qint32 width, qint32 height, const QByteArray& ops)
{
    QByteArray result;
    QDataStream out(&result, QIODevice::WriteOnly);
    out << width << height << ops;
    return result;
}

// The operation stream by the rules, pixel by pixel through a data stream:
// the encoder must give exactly these bytes, or saved files would change.
QByteArray referenceOperations(const QImage& image)
{
    QByteArray result;
    QDataStream out(&result, QIODevice::WriteOnly);
    out.setVersion(19);
    auto counted = [&](int code, int count) {
        if (count < 256) {
            out << qint8(code) << qint8(count);
        } else if (count < 65536) {
            out << qint8(code + 1) << qint16(quint16(count));
        } else {
            out << qint8(code + 2) << qint32(count);
        }
    };
    int pending = 0;
    auto run = [&](const uchar* line, int start, int end, bool literal) {
        if (pending == 1) {
            out << qint8(6);
        } else if (pending > 1) {
            counted(7, pending);
        }
        pending = 0;
        counted(literal ? 3 : 0, end - start);
        if (literal) {
            out.writeRawData(reinterpret_cast<const char*>(line + start), end - start);
        }
    };
    const int width = image.width();
    for (int y = 0; y < image.height() && width > 0; ++y) {
        const uchar* line = image.constScanLine(y);
        int start = 0;
        bool literal = line[0] != 0;
        for (int x = 1; x < width; ++x) {
            const bool stays = literal ? (line[x] != 0 || (x + 1 < width && line[x + 1] != 0)) : line[x] == 0;
            if (!stays) {
                run(line, start, x, literal);
                start = x;
                literal = !literal;
            }
        }
        if (literal) {
            run(line, start, width, true);
        }
        ++pending;
    }
    out << qint8(10);
    return result;
}

RleImage readRecord(const QByteArray& rec, QDataStream::Status* status = nullptr)
{
    QDataStream in(rec);
    RleImage image;
    in >> image;
    if (status) {
        *status = in.status();
    }
    return image;
}

} // namespace

class TestRleImage : public QObject
{
    Q_OBJECT

private slots:
    void byteForms_data();
    void byteForms();
    void roundTrip_data();
    void roundTrip();
    void nonEightBitInput();
    void streamRecord_data();
    void streamRecord();
    void shortStream();
    void sizeLimits();
    void damaged_data();
    void damaged();
    void copies();
};

void TestRleImage::byteForms_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("all zero") << alpha8(4, 3, {}) << bytes({10});
    QTest::newRow("0 7 0 0 9") << alpha8(5, 1, bytes({0, 7, 0, 0, 9}))
                               << bytes({0, 1, 3, 1, 7, 0, 2, 3, 1, 9, 10});
    QTest::newRow("lone zero stays in literal") << alpha8(3, 1, bytes({5, 0, 6}))
                                                << bytes({3, 3, 5, 0, 6, 10});
    QTest::newRow("trailing zeros dropped") << alpha8(3, 1, bytes({5, 0, 0})) << bytes({3, 1, 5, 10});
    QTest::newRow("content in third row only") << alpha8(2, 3, bytes({0, 0, 0, 0, 4, 0}))
                                               << bytes({7, 2, 3, 1, 4, 10});
    QTest::newRow("adjacent content rows") << alpha8(2, 2, bytes({1, 0, 0, 2}))
                                           << bytes({3, 1, 1, 6, 0, 1, 3, 1, 2, 10});
    QTest::newRow("empty rows between and after") << alpha8(1, 5, bytes({1, 0, 0, 2, 0}))
                                                  << bytes({3, 1, 1, 7, 3, 3, 1, 2, 10});
    QTest::newRow("zero before value at row end") << alpha8(3, 1, bytes({9, 0, 8}))
                                                  << bytes({3, 3, 9, 0, 8, 10});
    QTest::newRow("literal run has 0 0 inside") << alpha8(6, 1, bytes({5, 0, 6, 0, 0, 7}))
                                                << bytes({3, 3, 5, 0, 6, 0, 2, 3, 1, 7, 10});
    QTest::newRow("255 counts stay 8-bit") << alpha8(256, 1, QByteArray(255, 0) + bytes({200}))
                                           << bytes({0, 255, 3, 1, 200, 10});

    {
        const QByteArray ink(300, char(0x80));
        QTest::newRow("literal of 300") << alpha8(300, 1, ink) << bytes({4, 0x01, 0x2c}) + ink + bytes({10});
    }
    QTest::newRow("zero run of 300") << alpha8(301, 1, QByteArray(300, 0) + bytes({3}))
                                     << bytes({1, 0x01, 0x2c, 3, 1, 3, 10});
    {
        QByteArray ink(65536, char(1));
        QTest::newRow("literal of 65536") << alpha8(65536, 1, ink)
                                          << bytes({5, 0, 1, 0, 0}) + ink + bytes({10});
    }
    QTest::newRow("zero run of 70000") << alpha8(70001, 1, QByteArray(70000, 0) + bytes({6}))
                                       << bytes({2, 0, 1, 0x11, 0x70, 3, 1, 6, 10});
    {
        QByteArray pixels(301, 0);
        pixels[0] = 1;
        pixels[300] = 2;
        QTest::newRow("row step of 300") << alpha8(1, 301, pixels) << bytes({3, 1, 1, 8, 0x01, 0x2c, 3, 1, 2, 10});
    }
    {
        QByteArray pixels(65538, 0);
        pixels[65537] = 2;
        QTest::newRow("row step of 65537") << alpha8(1, 65538, pixels) << bytes({9, 0, 1, 0, 1, 3, 1, 2, 10});
    }
}

void TestRleImage::byteForms()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, expected);

    const RleImage rle(image);
    QCOMPARE(operations(rle, image.width(), image.height()), expected);

    // Sizes beyond the decoder's limit are only written, never read back.
    if (image.width() <= RleImage::maxSide && image.height() <= RleImage::maxSide) {
        QCOMPARE(rle.toQImage(), image);
        QCOMPARE(readRecord(record(rle)).toQImage(), image);
    }
}

void TestRleImage::roundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("inkPercent");
    QTest::addColumn<QImage::Format>("format");

    QTest::newRow("1x1 full") << 1 << 1 << 100 << QImage::Format_Alpha8;
    QTest::newRow("3x5 half") << 3 << 5 << 50 << QImage::Format_Alpha8;
    QTest::newRow("17x9 sparse") << 17 << 9 << 10 << QImage::Format_Alpha8;
    QTest::newRow("101x33 sparse") << 101 << 33 << 3 << QImage::Format_Alpha8;
    QTest::newRow("257x3 dense") << 257 << 3 << 97 << QImage::Format_Alpha8;
    QTest::newRow("333x77 mixed") << 333 << 77 << 40 << QImage::Format_Alpha8;
    QTest::newRow("1x301 sparse") << 1 << 301 << 2 << QImage::Format_Alpha8;
    QTest::newRow("131x51 grayscale") << 131 << 51 << 30 << QImage::Format_Grayscale8;
    QTest::newRow("640x360 sparse, long runs") << 640 << 360 << 5 << QImage::Format_Alpha8;
    QTest::newRow("16384x4 sparse") << 16384 << 4 << 1 << QImage::Format_Alpha8;
}

void TestRleImage::roundTrip()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, inkPercent);
    QFETCH(QImage::Format, format);

    // Pixels are drawn in spans so that both short and long runs of either
    // sort occur; whole rows are left empty now and then.
    QRandomGenerator rng(0x5eed + width * 131 + height);
    QImage image(width, height, format);
    image.fill(0);
    for (int y = 0; y < height; ++y) {
        if (rng.bounded(8) == 0) {
            continue;
        }
        uchar* line = image.scanLine(y);
        int x = 0;
        while (x < width) {
            const int span = 1 + int(rng.bounded(1 + width / 4));
            const bool ink = int(rng.bounded(100)) < inkPercent;
            for (int i = x; i < qMin(width, x + span); ++i) {
                line[i] = ink ? uchar(rng.bounded(256)) : 0;
            }
            x += span;
        }
    }
    // Padding bytes at the end of each scan line must not leak into the result.
    for (int y = 0; y < height; ++y) {
        std::fill(image.scanLine(y) + width, image.scanLine(y) + image.bytesPerLine(), uchar(0xAA));
    }

    const RleImage rle(image);
    QCOMPARE(operations(rle, width, height), referenceOperations(image));
    const QImage decoded = rle.toQImage();
    QCOMPARE(decoded.format(), QImage::Format_Alpha8);
    QCOMPARE(decoded.size(), image.size());
    for (int y = 0; y < height; ++y) {
        QVERIFY2(memcmp(decoded.constScanLine(y), image.constScanLine(y), size_t(width)) == 0,
                 qPrintable(QStringLiteral("row %1 differs").arg(y)));
    }
    QCOMPARE(readRecord(record(rle)).toQImage(), decoded);
}

void TestRleImage::nonEightBitInput()
{
    // A 32-bit image is taken by its alpha channel; a 1-bit image must not be
    // read past the end of its rows.
    QImage argb(7, 3, QImage::Format_ARGB32);
    argb.fill(Qt::transparent);
    argb.setPixel(2, 1, qRgba(10, 20, 30, 77));
    const QImage fromArgb = RleImage(argb).toQImage();
    QCOMPARE(fromArgb, alpha8(7, 3, bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 77})));

    QImage mono(33, 2, QImage::Format_Mono);
    mono.setColorTable({qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 255)});
    mono.fill(0);
    mono.setPixel(32, 1, 1);
    QByteArray expected(66, 0);
    expected[65] = char(255);
    QCOMPARE(RleImage(mono).toQImage(), alpha8(33, 2, expected));
}

void TestRleImage::streamRecord_data()
{
    QTest::addColumn<int>("callerVersion");
    QTest::newRow("Qt 6") << int(QDataStream::Qt_6_0);
    QTest::newRow("Qt 4") << int(QDataStream::Qt_4_0);
    QTest::newRow("already 19") << 19;
}

void TestRleImage::streamRecord()
{
    QFETCH(int, callerVersion);

    const RleImage rle(alpha8(3, 1, bytes({5, 0, 6})));
    QByteArray buffer;
    {
        QDataStream out(&buffer, QIODevice::WriteOnly);
        out.setVersion(callerVersion);
        out << rle << RleImage();
        QCOMPARE(out.version(), 19);
    }
    QCOMPARE(buffer, bytes({0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 6, 3, 3, 5, 0, 6, 10})
                     // a default image: size 0 x 0 and a null data array
                     + bytes({0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1}));

    QDataStream in(buffer);
    in.setVersion(callerVersion);
    RleImage first, second(alpha8(2, 2, bytes({1, 2, 3, 4})));
    in >> first >> second;
    QCOMPARE(in.version(), 19);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(first.toQImage(), alpha8(3, 1, bytes({5, 0, 6})));
    QVERIFY(second.toQImage().isNull());
    QCOMPARE(record(second), record(RleImage()));
}

void TestRleImage::shortStream()
{
    // A record cut short leaves the failure on the caller's stream.
    const QByteArray whole = record(RleImage(alpha8(4, 2, bytes({1, 2, 3, 4, 0, 0, 0, 9}))));
    for (int cut : {0, 3, 8, 11, int(whole.size()) - 1}) {
        QDataStream::Status status = QDataStream::Ok;
        const RleImage image = readRecord(whole.left(cut), &status);
        QCOMPARE(status, QDataStream::ReadPastEnd);
        QVERIFY(image.toQImage().isNull());
    }
}

void TestRleImage::sizeLimits()
{
    // The largest accepted sides decode; the hand-made records below mirror
    // those of the damage table, so a null there is not an artefact of them.
    const int max = RleImage::maxSide;
    QImage wide = readRecord(rawRecord(max, 1, bytes({2, 0, 0, 0x3f, 0xff, 3, 1, 9, 10}))).toQImage();
    QCOMPARE(wide.size(), QSize(max, 1));
    QCOMPARE(int(wide.constScanLine(0)[max - 1]), 9);

    QImage tall = readRecord(rawRecord(1, max, bytes({9, 0, 0, 0x3f, 0xff, 3, 1, 9, 10}))).toQImage();
    QCOMPARE(tall.size(), QSize(1, max));
    QCOMPARE(int(tall.constScanLine(max - 1)[0]), 9);
}

void TestRleImage::damaged_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QByteArray>("ops");

    // Counts that a signed reading would turn negative.
    QTest::newRow("8-bit skip 255") << 4 << 2 << bytes({0, 0xff, 3, 1, 7, 10});
    QTest::newRow("16-bit skip 0xffff") << 4 << 2 << bytes({1, 0xff, 0xff, 3, 1, 7, 10});
    QTest::newRow("32-bit skip -1") << 4 << 2 << bytes({2, 0xff, 0xff, 0xff, 0xff, 3, 1, 7, 10});
    QTest::newRow("32-bit skip int min") << 4 << 2 << bytes({2, 0x80, 0, 0, 0, 3, 1, 7, 10});
    QTest::newRow("32-bit copy -1") << 4 << 2 << bytes({5, 0xff, 0xff, 0xff, 0xff, 7, 10});
    QTest::newRow("32-bit copy int min") << 4 << 2 << bytes({5, 0x80, 0, 0, 0, 7, 10});
    QTest::newRow("8-bit row step 255") << 4 << 2 << bytes({7, 0xff, 3, 1, 7, 10});
    QTest::newRow("16-bit row step 0xffff") << 4 << 2 << bytes({8, 0xff, 0xff, 3, 1, 7, 10});
    QTest::newRow("32-bit row step -1") << 4 << 2 << bytes({9, 0xff, 0xff, 0xff, 0xff, 3, 1, 7, 10});
    // Offsets that would overflow an int if added unchecked.
    QTest::newRow("skip int max after skip") << 4 << 2 << bytes({0, 1, 2, 0x7f, 0xff, 0xff, 0xff, 3, 1, 7, 10});
    QTest::newRow("row step int max") << 4 << 2 << bytes({6, 9, 0x7f, 0xff, 0xff, 0xff, 10});

    // Runs and row steps past the image.
    QTest::newRow("copy past row") << 4 << 2 << bytes({3, 5, 1, 2, 3, 4, 5, 10});
    QTest::newRow("copy past row after skip") << 4 << 2 << bytes({0, 3, 3, 2, 1, 2, 10});
    QTest::newRow("skip past row") << 4 << 2 << bytes({0, 5, 10});
    QTest::newRow("row steps past last row") << 4 << 2 << bytes({7, 3, 3, 1, 1, 10});
    QTest::newRow("next row past last row") << 4 << 1 << bytes({6, 6, 3, 1, 1, 10});

    // Sizes.
    const QByteArray fine = bytes({3, 1, 7, 10});
    QTest::newRow("zero width") << 0 << 2 << fine;
    QTest::newRow("zero height") << 4 << 0 << fine;
    QTest::newRow("negative width") << -4 << 2 << fine;
    QTest::newRow("negative height") << 4 << -1 << fine;
    QTest::newRow("width too large") << RleImage::maxSide + 1 << 1 << fine;
    QTest::newRow("height too large") << 1 << RleImage::maxSide + 1 << fine;
    QTest::newRow("both int max") << 0x7fffffff << 0x7fffffff << fine;

    // Cut short, or never finished.
    QTest::newRow("empty") << 4 << 2 << QByteArray();
    QTest::newRow("no end code") << 4 << 2 << bytes({3, 1, 7, 6, 3, 1, 7});
    QTest::newRow("copy bytes missing") << 4 << 2 << bytes({3, 4, 1, 2});
    QTest::newRow("copy bytes missing 32-bit") << 4 << 2 << bytes({5, 0, 0, 0, 3, 1});
    QTest::newRow("16-bit count cut") << 4 << 2 << bytes({1, 0});
    QTest::newRow("32-bit count cut") << 4 << 2 << bytes({9, 0, 0, 0});
    QTest::newRow("8-bit count missing") << 4 << 2 << bytes({3});
    QTest::newRow("steps to height, end unread") << 4 << 2 << bytes({7, 2, 10});
}

void TestRleImage::damaged()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QByteArray, ops);

    QDataStream::Status status = QDataStream::ReadCorruptData;
    const RleImage image = readRecord(rawRecord(width, height, ops), &status);
    QCOMPARE(status, QDataStream::Ok);
    QVERIFY(image.toQImage().isNull());
}

void TestRleImage::copies()
{
    const QImage source = alpha8(3, 2, bytes({1, 0, 2, 0, 3, 0}));
    RleImage a(source);
    RleImage b(a);
    RleImage c;
    c = a;
    a = RleImage();
    QCOMPARE(b.toQImage(), source);
    QCOMPARE(c.toQImage(), source);
    QVERIFY(a.toQImage().isNull());

    RleImage& self = c;
    c = self;
    QCOMPARE(c.toQImage(), source);
}

QUILLMERE_TEST_MAIN(TestRleImage)
#include "tst_rleimage.moc"

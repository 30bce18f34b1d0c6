#include "export/ExrWriter.h"

#include "files/FileWriter.h"

#include <QByteArray>
#include <QCoreApplication>

#include <QDebug>
#include <QImage>
#include <QString>

#include <tinyexr.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace Model {

namespace {

// (i / 255)^2.2 for every 8-bit value: the per-pixel power function becomes
// a look-up.
std::array<float, 256> const& gammaToLinear()
{
    static std::array<float, 256> const table = [] {
        std::array<float, 256> values{};
        for (int i = 0; i < 256; ++i)
            values[i] = float(std::pow(i / 255.0, 2.2));
        return values;
    }();
    return table;
}

} // namespace

bool saveQImageAsExrFile(QImage const& image, QStringView fileName, QString* errorString)
{
    QString reason;
    bool const written = FileWriter::writeWith(
        fileName.toString(), [&](FileWriter& file) { return writeExr(image, file); }, &reason);
    if (!written) {
        qWarning() << "Save EXR err:" << reason;
        if (errorString)
            *errorString = reason;
    }
    return written;
}

bool writeExr(QImage const& image, FileWriter& file)
{
    QString const unencodable =
        QCoreApplication::translate("Model::FileWriter", "The image could not be encoded");
    if (image.isNull()
        || (image.format() != QImage::Format_ARGB32
            && image.format() != QImage::Format_ARGB32_Premultiplied))
        return file.fail(unencodable);

    QImage const straight = image.convertToFormat(QImage::Format_ARGB32);
    int const width = straight.width();
    int const height = straight.height();
    std::size_t const pixels = std::size_t(width) * std::size_t(height);
    std::array<float, 256> const& table = gammaToLinear();

    // Planes in the channel order of the file: A, B, G, R.
    std::array<std::vector<float>, 4> planes;
    for (std::vector<float>& plane : planes)
        plane.resize(pixels);
    for (int y = 0; y < height; ++y) {
        auto const* line = reinterpret_cast<QRgb const*>(straight.constScanLine(y));
        std::size_t const row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            QRgb const pixel = line[x];
            planes[0][row + x] = qAlpha(pixel) / 255.0f;
            planes[1][row + x] = table[qBlue(pixel)];
            planes[2][row + x] = table[qGreen(pixel)];
            planes[3][row + x] = table[qRed(pixel)];
        }
    }

    EXRHeader header;
    InitEXRHeader(&header);
    std::array<EXRChannelInfo, 4> channels{};
    char const* const names[4] = {"A", "B", "G", "R"};
    std::array<int, 4> inputTypes{};
    std::array<int, 4> storedTypes{};
    std::array<unsigned char*, 4> planePointers{};
    for (int c = 0; c < 4; ++c) {
        channels[c].name[0] = names[c][0];
        channels[c].name[1] = '\0';
        inputTypes[c] = TINYEXR_PIXELTYPE_FLOAT;
        storedTypes[c] = TINYEXR_PIXELTYPE_HALF;
        planePointers[c] = reinterpret_cast<unsigned char*>(planes[c].data());
    }
    header.num_channels = 4;
    header.channels = channels.data();
    header.pixel_types = inputTypes.data();
    header.requested_pixel_types = storedTypes.data();
    header.compression_type = TINYEXR_COMPRESSIONTYPE_NONE;

    EXRImage exrImage;
    InitEXRImage(&exrImage);
    exrImage.images = planePointers.data();
    exrImage.width = width;
    exrImage.height = height;
    exrImage.num_channels = 4;

    // Encoded in memory, then written whole or not at all.
    unsigned char* memory = nullptr;
    char const* error = nullptr;
    std::size_t const size = SaveEXRImageToMemory(&exrImage, &header, &memory, &error);
    if (size == 0) {
        qWarning() << "Save EXR err:" << (error ? error : "");
        if (error)
            FreeEXRErrorMessage(error);
        std::free(memory);
        return file.fail(unencodable);
    }
    bool const written = file.write(reinterpret_cast<char const*>(memory), qint64(size));
    std::free(memory);
    return written;
}

} // namespace Model

#pragma once

#include <QStringView>

class QImage;
class QString;

namespace Model {

class FileWriter;

// Writes an image as an OpenEXR file for compositing software: colour goes
// from the display's gamma-encoded 8-bit values to linear light, alpha stays
// linear, and the four channels A, B, G, R are stored uncompressed as half
// floats. A premultiplied image is un-premultiplied first.
//
// The file is written whole or not at all: false for a null image, a format
// other than ARGB32 (straight or premultiplied), an encoder error or a file
// that cannot be written completely (a full disk included). errorString,
// when given, then receives the reason.
bool saveQImageAsExrFile(QImage const& image, QStringView fileName,
                         QString* errorString = nullptr);

// The same into a file the caller opened and commits; false when the image
// cannot be encoded or written, with the reason in the file's errorString().
bool writeExr(QImage const& image, FileWriter& file);

} // namespace Model

#pragma once

#include <QByteArray>

namespace Model {

// Decodes base64 text that holds no whitespace, taking exactly what
// QByteArray::fromBase64Encoding takes with AbortOnBase64DecodingErrors:
// unpadded text, and padding only as the last one or two characters of text
// whose length is a multiple of four; bits left over at the end are dropped.
// It reads from any bytes (a view into a whole file) and decodes several
// times faster than QByteArray, which matters for scenes of many megabytes.
class Base64Decoder
{
public:
    // False, with out left empty, when the text is no base64.
    static bool decode(char const* text, qsizetype size, QByteArray* out);
};

} // namespace Model

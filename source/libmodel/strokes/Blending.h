#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

namespace Model {

// Pixel operations on 8-bit coverage images (one byte per pixel, 0 no ink, 255
// full ink). Adding pen coverage and taking eraser coverage away go through two
// 256 x 256 tables indexed [destination][source], so that the inner loops do one
// lookup instead of a multiply and a divide.
class Blending
{
public:
    static constexpr int TableSize = 256 * 256;

    // Builds both tables once; later calls do nothing. Every operation below
    // builds them on first use as well, so blending never reads empty tables.
    static void initLookupTables();

    // Entry d * 256 + s holds the result of blending source s over destination d.
    static const unsigned char* penTable();
    static const unsigned char* eraserTable();

    // Sets every pixel of rect clipped to the image to value.
    static void fillImage(QImage& image, QRect rect, unsigned char value);

    // Over rect clipped to both images, replaces each dst pixel by
    // table[dst][src] at the same coordinates (pen table when isPen).
    static void blendImages(QImage& dst, const QImage& src, QRect rect, bool isPen);

    // Over rect clipped to dst and to src moved by offset, replaces each dst
    // pixel at (x, y) by the larger of it and src at (x - offset.x, y - offset.y).
    static void maxBlendImages(QImage& dst, const QImage& src, QRect rect, QPoint offset);

    // The row kernels of maxBlendImages: maxRow uses vector instructions where the
    // processor has them, maxRowScalar is the plain byte loop it must agree with.
    static void maxRow(unsigned char* dst, const unsigned char* src, int count);
    static void maxRowScalar(unsigned char* dst, const unsigned char* src, int count);
};

} // namespace Model

#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QUuid>

namespace Model {

// The address of a cell across the whole scene: the identifier of its layer
// and the identifier of the cell. Distant clones and their originals point at
// each other with these, so they survive layers being reordered or removed.
struct DrawingRef
{
    QUuid layer;
    QUuid drawing;

    // Both identifiers null. A reference with only one of them null names no
    // cell either, but is not the null reference.
    bool isNull() const { return layer.isNull() && drawing.isNull(); }
};

inline bool operator==(DrawingRef const& a, DrawingRef const& b)
{
    return a.layer == b.layer && a.drawing == b.drawing;
}

inline bool operator!=(DrawingRef const& a, DrawingRef const& b)
{
    return !(a == b);
}

inline bool operator<(DrawingRef const& a, DrawingRef const& b)
{
    if (a.layer != b.layer)
        return a.layer < b.layer;
    return a.drawing < b.drawing;
}

inline size_t qHash(DrawingRef const& ref, size_t seed = 0) noexcept
{
    return qHash(ref.drawing, qHash(ref.layer, seed));
}

} // namespace Model

Q_DECLARE_METATYPE(Model::DrawingRef)

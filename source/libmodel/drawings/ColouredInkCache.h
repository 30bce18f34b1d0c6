#pragma once

#include "drawings/ColouredInk.h"

namespace Model {

// Process-wide cache of coloured coverage: a drawing's coverage turned into
// 32-bit pixels through a colour table, kept for the next time the drawing
// is painted in the same colours, so that a composite only blends. Entries
// are keyed by the drawing, the version of its coverage and the table; a
// changed drawing or colour simply misses, and the least recently used
// entries go once the cache holds more than its budget. Thread-safe.
class ColouredInkCache
{
public:
    using Table = ColouredInk::Table;

    // A number for each drawing and for each version of its coverage, never
    // used twice in a run.
    static quint64 newNumber();

    // The cached ink of owner's coverage version through table, or a null
    // one.
    static ColouredInk find(quint64 owner, quint64 version, Table const& table,
                            bool premultiplied);
    static void insert(quint64 owner, quint64 version, Table const& table, bool premultiplied,
                       ColouredInk const& ink);
    // Forgets every entry of owner (a drawing that goes away).
    static void remove(quint64 owner);

    // Bytes the cache may hold.
    static qint64 budget();
};

} // namespace Model

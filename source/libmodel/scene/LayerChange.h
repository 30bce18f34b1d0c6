#pragma once

#include <QImage>
#include <QTransform>

#include <memory>

namespace Model {

class LayerItem;

// One change of one layer at one frame, recorded so that it can be applied to
// undo an edit. Only the payload that belongs to the kind travels with a copy
// or a move; the other payload fields stay empty.
class LayerChange
{
public:
    enum Kind {
        NoChange = 0,         // what is left after the content was moved away
        InsertCell = 1,       // cell
        ReplaceCell = 2,      // cell
        RemoveFrame = 3,      // cell (may be empty)
        OffPegsTransform = 4, // transform
        InsertImage = 5,      // image
        ReplaceImage = 6,     // image
        RemoveImage = 7       // image
    };

    LayerChange();
    LayerChange(int kind, int frame, std::shared_ptr<LayerItem> cell);
    LayerChange(int kind, int frame, QTransform const& transform);
    LayerChange(int kind, int frame, QImage const& image);

    LayerChange(LayerChange const& other);
    // Leaves other with kind 0 and frame -1.
    LayerChange(LayerChange&& other) noexcept;
    LayerChange& operator=(LayerChange const& other);
    LayerChange& operator=(LayerChange&& other) noexcept;
    virtual ~LayerChange();

    static bool carriesCell(int kind) { return kind >= InsertCell && kind <= RemoveFrame; }
    static bool carriesTransform(int kind) { return kind == OffPegsTransform; }
    static bool carriesImage(int kind) { return kind >= InsertImage && kind <= RemoveImage; }

    int kind = NoChange;
    int frame = -1;
    std::shared_ptr<LayerItem> cell;
    QTransform transform;
    QImage image;

private:
    void copyFrom(LayerChange const& other);
    void moveFrom(LayerChange& other) noexcept;
};

} // namespace Model

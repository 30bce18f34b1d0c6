#pragma once

#include "scene/Layer.h"
#include "settings/KW.h"

#include <QImage>
#include <QSize>
#include <QTransform>

class QPainter;
class QProgressDialog;
class QRect;

namespace Model {

class LayerItem;
struct DrawingRef;

// A layer that shows one cell per frame: frame n is cell n - 1, and frame
// length + 1 is the virtual last frame where a new drawing can be started.
class VisualLayer : public Layer
{
    Q_OBJECT
    Q_PROPERTY(bool visible READ isVisible WRITE setVisible NOTIFY visibleChanged)

public:
    VisualLayer(QSize const& frameSize, QObject* parent);
    // The layer part, frame size, visibility and opacity; no cells, which the
    // concrete layer's copy fills in.
    VisualLayer(VisualLayer const& other);
    ~VisualLayer() override;

    int length() const override;
    bool isFrameValid(int frame) const override;
    // The holds that repeated the cell at frame now repeat the blank.
    void insertBlankFrameAfter(int frame) override;
    void insertHoldFrameAfter(int frame) override;
    // Keeps the clone links of the scene consistent and never leaves the layer
    // without a cell. Distant clones are resolved through the scene that is
    // the layer's parent; without one, only clones on this layer are found.
    QList<LayerChange> removeFrame(int frame) override;

    virtual void draw(int frame, QPainter* painter, QRect const& rect) const = 0;
    virtual void draw(int frame, QPainter* painter, QRect const& rect, bool black) const = 0;
    // The frame as draw shows it (past the end by the beyond-last mode), but
    // without the layer's opacity, which exports apply once themselves or
    // leave to the reader of their files.
    virtual void drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                                   bool black) const;
    virtual QImage thumbnail(int frame, QSize const& size) const = 0;
    virtual QString toolTip(int frame) const;
    // A new original cell with an empty drawing of the layer's kind.
    virtual std::shared_ptr<LayerItem> blankItem() const = 0;
    virtual void changeFrameSize(QSize const& newSize, KW::FitMode fitMode,
                                 QProgressDialog* progressDialog);
    // A copy as clone() makes it, owned by the caller, whose cells have no
    // drawings: for an export that puts in each frame's drawings, made
    // anew, only while it draws that frame. Null when clone() gives none.
    // Layers that copy drawings deeply leave them out rather than copy them.
    virtual VisualLayer* cloneWithoutDrawings() const;

    QSize frameSize() const;
    bool isVisible() const;
    double opacity() const;

    bool isVirtualLastFrame(int frame) const;
    // The cell kind at frame (LayerItem::Kind), NoDrawing where there is no cell.
    int drawingType(int frame) const;
    // As drawingType, but past the end as the beyond-last mode shows it.
    int drawingTypeBeyond(int frame) const;
    // The frame whose cell the layer shows at frame, past the end as the
    // beyond-last mode says; 0 where it shows none.
    int shownFrame(int frame) const;
    bool isOriginalFrame(int frame) const;
    bool isHoldFrame(int frame) const;
    bool isDistantCloneFrame(int frame) const;
    bool isLastHoldFrame(int frame) const;
    int numHoldsAfter(int frame) const;
    bool isKeyDrawing(int frame) const;
    void setKeyDrawing(int frame, bool keyDrawing);
    QTransform offPegsTransform(int frame) const;
    void setOffPegsTransform(int frame, QTransform const& transform);

    // The cells in frame order. The mutable form is for the scene, its file
    // reader and layer copies, which keep the cells' links consistent; asking
    // for it makes the layer forget its index of cell identifiers, so a
    // caller that changes cells asks for it again after any lookup.
    QList<std::shared_ptr<LayerItem>> const& frames() const;
    QList<std::shared_ptr<LayerItem>>& frames();
    // The cell at a valid frame, else empty.
    std::shared_ptr<LayerItem> layerItem(int frame) const;
    // The first cell with that identifier and its frame, or empty; through
    // an index, so that a lookup costs the same however long the layer is.
    std::shared_ptr<LayerItem> cellWithIdentifier(QUuid const& identifier,
                                                  int* frame = nullptr) const;
    // Gives the cell at a valid frame another identifier.
    void setCellIdentifier(int frame, QUuid const& identifier);

public slots:
    void setVisible(bool visible);
    // Clamped to 0..1.
    void setOpacity(double opacity);

signals:
    void visibleChanged(bool visible);

protected:
    // For the copy constructors of the concrete layers: appends deep copies of
    // the other layer's cells, keeping their identifiers and links; the
    // cells alone, without drawings, unless withDrawings.
    void copyCellsOf(VisualLayer const& other, bool withDrawings = true);

private:
    // The frame as the cycle mode shows it: wrapped into 1..length.
    int wrapped(int frame) const;
    std::shared_ptr<LayerItem> findCell(DrawingRef const& ref) const;
    void holdsTakeDrawingOf(int frame);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model

#pragma once

#include <QHeaderView>

#include <memory>

namespace UI {

// The strip under the exposure sheet's columns: a thin band showing each
// drawing layer's colour at its opacity over a checkerboard (a click there
// opens the layer's opacity slider), and under it a handle by which a column
// is dragged sideways to reorder the layers. Sections can be moved only while
// the pointer is over the handle.
class XSheetFooter : public QHeaderView
{
    Q_OBJECT

public:
    explicit XSheetFooter(QWidget* parent = nullptr);
    ~XSheetFooter() override;

    // Paints the area right of the last section; the application style hands
    // it back here.
    void paintEmptyArea(QPainter* painter, QRect const& rect) const;
    void updateUISize();
    bool sectionHasOpacity(int logicalIndex) const;
    int stripHeight() const;
    void setCustomCursor();
    void clearCustomCursor();
    bool hasCustomCursor() const;

signals:
    void opacityClicked(int logicalIndex);
    void rightClickedLayer(int layerIdx, QPoint globalPos);

protected:
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintSection(QPainter* painter, QRect const& rect, int logicalIndex) const override;

private:
    class XSheetFooterPrivate;
    std::unique_ptr<XSheetFooterPrivate> d;
};

} // namespace UI

#pragma once

#include <QHeaderView>

#include <memory>

namespace UI {

// The strip above the exposure sheet's columns. Each section has a row of
// buttons (link and visibility for drawing and reference layers, mute for the
// audio layer, link for the annotation layer) over the layer's name. A click
// acts only when press and release fall on the same part of the same
// section; a double click on the name asks to rename the layer or, on the
// audio layer, for its offset.
class XSheetHeader : public QHeaderView
{
    Q_OBJECT

public:
    enum SubControl { LeftButton = 0, RightButton = 1, NameArea = 2, None = 3 };
    Q_ENUM(SubControl)

    explicit XSheetHeader(QWidget* parent = nullptr);
    ~XSheetHeader() override;

    void updateUISize();
    // p in section coordinates: (x + offset, y).
    SubControl hitTest(int section, QPoint const& p) const;
    void sectionClicked(int section, SubControl part);
    int buttonRowHeight() const;
    // The section under x when its layer is a visual layer, else -1: the
    // layer a context menu at x is about.
    static int visualLayerSectionAt(QHeaderView const* view, int x);

public slots:
    void OnSectionDoubleClicked(int section);

signals:
    void rightClickedLayer(int layerIdx, QPoint globalPos);
    void doubleClickedLayer(int layerIdx, QRect rect);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintSection(QPainter* painter, QRect const& rect, int logicalIndex) const override;

private:
    class XSheetHeaderPrivate;
    std::unique_ptr<XSheetHeaderPrivate> d;
};

} // namespace UI

#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace UI {

// The pop-up on a stroke layer's column header that picks the layer colour.
// It opens, closes and animates like the column gizmos; its rows are fixed:
// row 0 a stroke sample in the current colour, rows 1 to 4 four preset
// colours, row 5 a colour wheel for a custom colour that is always shown
// dimmed and does nothing.
class ColorGizmo : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int gizmoHeight READ gizmoHeight WRITE setGizmoHeight NOTIFY gizmoHeightChanged)
    Q_PROPERTY(QPoint topCenter READ topCenter WRITE setTopCenter)

public:
    explicit ColorGizmo(QWidget* parent = nullptr);
    ~ColorGizmo() override;

    QColor color() const;
    int layerIdx() const;
    int gizmoHeight() const;
    QPoint topCenter() const;
    int state() const;
    void openGizmo();
    void closeGizmo();
    void closeGizmo(QPoint const& pos);
    void updateSize();
    void updateUISize();

    // The preset colour of a row 1 to 4; invalid for another row.
    static QColor presetColor(int row);
    // The colour wheel of the custom-colour row: side n logical pixels (made
    // even) at the device pixel ratio.
    static QPixmap colorWheelPixmap(int side, qreal ratio);

public slots:
    void setLayerIdx(int layerIdx);
    void setColor(QColor const& color);
    void setGizmoHeight(int height);
    void setTopCenter(QPoint const& point);

signals:
    void colorChanged(int layerIdx, QColor const& color);
    void gizmoHeightChanged(int height);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    class ColorGizmoPrivate;
    std::unique_ptr<ColorGizmoPrivate> d;
};

} // namespace UI

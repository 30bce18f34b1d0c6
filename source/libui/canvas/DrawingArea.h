#pragma once

#include <QFrame>
#include <QPoint>

namespace UI {

// The frame that holds the canvas. It reports where the middles of its left
// and right edges are on screen, so that floating panels can be placed
// beside the canvas and follow it when the window moves or resizes.
class DrawingArea : public QFrame
{
    Q_OBJECT

public:
    explicit DrawingArea(QWidget* parent);

    // Global positions of (0, h / 2) and (w, h / 2).
    QPoint leftCenter() const;
    QPoint rightCenter() const;

public slots:
    void triggerLeftAndRightCenterMoved();
    void triggerTopLeftMoved();

signals:
    void leftAndRightCenterMoved(QPoint left, QPoint right);
    void topLeftMoved();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace UI

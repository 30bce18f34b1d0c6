#pragma once

#include <QPoint>
#include <QSize>

class QPainter;
class QPixmap;
class QPropertyAnimation;
class QRect;
class QEvent;
class QWidget;

namespace UI {

// The mechanics that every pop-up selector on a column header shares: its
// sizes at the UI scale, the rows 18 pixels (scaled) apart counted from the
// bottom, the strip that grows downward from a fixed top edge while its
// horizontal centre stays put, and the animated change of height.
class GizmoShape
{
public:
    enum State { Closed = 0, Open = 1, Hover = 2, Closing = 3 };
    static constexpr int NoRow = 6;

    explicit GizmoShape(QWidget* widget);
    ~GizmoShape();
    // The height animation; the widget must be able to answer its int
    // property "gizmoHeight" by then.
    QPropertyAnimation* createAnimation();

    void updateSizes();
    float scale() const { return m_scale; }
    int openWidth() const { return m_openWidth; }
    int maximumHeight() const { return m_maximumHeight; }
    int minimumHeight() const { return int(14 * m_scale); }
    int hoverHeight() const { return int(15 * m_scale); }
    QSize closedSize() const { return m_closedSize; }
    QSize hoverSize() const { return m_hoverSize; }

    State state() const { return m_state; }
    void setState(State state) { m_state = state; }
    int height() const { return m_height; }
    // Clamps and stores the height and resizes the widget to the open width;
    // false when the height did not change.
    bool setHeight(int height);
    void setOpenHeight(int height) { m_openHeight = height; }
    // The size the state asks for (the closing state becomes closed).
    void applyStateSize();
    // Hover enter, move and leave: a closed button grows at once, an open
    // strip tracks the row under the pointer, leaving the grown button folds
    // it again. True when the hovered row changed.
    bool handleHover(QEvent* event, int& hoveredRow, bool enabled);
    void animateTo(State state, int targetHeight);
    QPropertyAnimation* animation() const { return m_animation; }

    // Row under a point in widget coordinates, NoRow outside.
    int rowAt(QPoint const& pos) const;
    void setTopCenter(QPoint const& point);
    QPoint topCenter() const;

    // Draws the bottom part of the base artwork, horizontally centred.
    void paintBase(QPainter& painter, QPixmap const& base) const;

private:
    void resizeKeepingCentre(QSize size);

    QWidget* m_widget;
    QPropertyAnimation* m_animation = nullptr;
    float m_scale = 1.0f;
    int m_openWidth = 24;
    int m_maximumHeight = 107;
    QSize m_closedSize;
    QSize m_hoverSize;
    State m_state = Closed;
    int m_height = 14;
    int m_openHeight = 14;
};

} // namespace UI

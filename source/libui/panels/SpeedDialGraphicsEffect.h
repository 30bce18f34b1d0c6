#pragma once

#include <QGraphicsEffect>
#include <QPointF>

#include <memory>

class QAction;

namespace UI {

// Draws a speed dial and holds its selection: the shadow, the eight icons,
// the lit sector with the line from the hub to the pointer, and an optional
// information box below the dial. Its painting may reach over the whole
// window, since the shadow and the box lie outside the dial.
class SpeedDialGraphicsEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    enum PostSelectionHighlight { KeepHighlight = 0, NoHighlight = 1 };

    explicit SpeedDialGraphicsEffect(QObject* parent = nullptr);
    ~SpeedDialGraphicsEffect() override;

    void updateUISize();

    void insertAction(QAction* action, int slot);
    QAction* action(int slot) const;

    bool isSelecting() const;
    bool isHighlighted() const;
    int postSelectionSlot() const;
    QPointF centre() const;
    double innerRadius() const;
    double outerRadius() const;

    // Starts a selection when p lies in the hub.
    void mousePress(QPointF p);
    // Where the pointer stood when the dial appeared: outside the hub the
    // selection waits until the pointer has moved a few pixels.
    void setInitialSelectLineEndPoint(QPointF p);
    void setSelectLineEndPoint(QPointF p);
    // The enabled action in the selected direction, or null; ends the
    // selection either way.
    QAction* endSelection(PostSelectionHighlight mode);
    void clearSelection();
    QString toolTipText(QPoint p) const;

    void setInfoBoxHtml(const QString& html);
    void setInfoBoxEnabled(bool enabled);

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    void updateSelectLine(double angle);
    int selectedSlot() const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

#pragma once

#include <QGraphicsEffect>

#include <memory>

namespace UI {

// Draws the click artwork under a pressed preset button and the hover
// artwork over a button under the pointer.
class PresetToolButtonShadowEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit PresetToolButtonShadowEffect(QObject* parent = nullptr);
    ~PresetToolButtonShadowEffect() override;

    bool isDown() const;
    bool underMouse() const;
    // Top-left of each artwork relative to the button's rectangle, as last
    // computed by boundingRectFor().
    QPointF hoverPlacement() const;
    QPointF clickPlacement() const;

    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

namespace UI {

// The colour picker: from the centre outward a saturation/lightness triangle,
// a hue ring, an opacity arc with its tab, and ten swatches. The colour is
// held as four HSL floats; it is read and written through the `color`
// property and announced by no signal.
class Palette : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit Palette(QWidget* parent = nullptr);
    ~Palette() override;

    QColor color() const;
    QList<QColor> swatchColors() const;
    // The centre of the saturation/lightness marker, in widget coordinates.
    QPointF fieldIndicator() const;
    // A point of the widget in the triangle's frame: x saturation, y
    // lightness, with black at (0, 0), white at (0, 1) and the hue at (1, 0.5).
    QPointF toField(QPointF widgetPoint) const;
    double innerRadius() const;
    double outerRadius() const;

public slots:
    void setColor(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateIndicators();
    void applyFieldRule(QPointF p);
    bool applyOpacityRule(QPointF p);
    void followHue(QPointF p);

    struct PalettePrivate;
    std::unique_ptr<PalettePrivate> d;
};

} // namespace UI

#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// The narrow vertical slider that sets one layer's opacity, filled from the
// bottom in the layer's colour over a checkerboard. It reports the value
// while dragging (opacitySliderMoved) and once at the end (opacityChanged);
// releasing far away from it gives the committed value back.
class OpacitySlider : public QWidget
{
    Q_OBJECT

public:
    explicit OpacitySlider(QWidget* parent = nullptr);
    ~OpacitySlider() override;

    int layerIdx() const;
    double opacity() const;

public slots:
    void setLayerIdx(int layerIdx);
    void setColor(const QColor& color);
    // Ignored while the slider itself is reporting a drag.
    void setOpacity(double opacity);

signals:
    void opacityChanged(int layerIdx, double prevOpacity, double newOpacity);
    void opacitySliderMoved(int layerIdx, double opacity);

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

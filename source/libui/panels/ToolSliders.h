#pragma once

#include "tools/Tool.h"

#include <QWidget>

#include <memory>

namespace UI {

class TextBubble;

// Two two-handled range sliders, size and opacity, for the pen (tool type 0)
// or the eraser (any other type). The slider values are percentages of the
// tool's own limits. While an end is dragged a bubble shows its value and the
// cursor previews the stroke; the release writes the range into the tool.
// The tool is always asked anew of the tool manager. Takes the pen as a
// mouse.
class ToolSliders : public QWidget
{
    Q_OBJECT

public:
    // Handle indices.
    enum Handle { SizeLower = 0, SizeUpper = 1, OpacityLower = 2, OpacityUpper = 3, NoHandle = 4 };

    ToolSliders(Model::Tool::Type type, QWidget* parent = nullptr);
    ~ToolSliders() override;

    double sizeRangeLower() const;
    double sizeRangeUpper() const;
    double opacityRangeLower() const;
    double opacityRangeUpper() const;
    double sizeRangePositionLower() const;
    double sizeRangePositionUpper() const;
    int currentToolIdx() const;
    void updateUISize();

    // Geometry, for the owner's layout and for tests.
    QRect sizeRow() const;
    QRect opacityRow() const;
    // Pixel x of a value of the size (or opacity) slider, and back.
    int sizeValueToPixel(double value) const;
    double sizePixelToValue(int x) const;
    int opacityValueToPixel(double value) const;
    double opacityPixelToValue(int x) const;
    // The handle under a point, NoHandle when none.
    int handleAt(QPoint pos) const;
    int draggedHandle() const;
    TextBubble* textBubble() const;

signals:
    void sizeRangeChanged(double lower, double upper);
    void sizeRangeSliderMovedMin(double positionLower, double positionUpper);
    void sizeRangeSliderMovedMax(double positionLower, double positionUpper);
    void sizeRangeLimitsChanged(double min, double max);
    void opacityRangeChanged(double lower, double upper);
    void opacityRangeSliderMoved(double positionLower, double positionUpper);

public slots:
    void setSizeRange(double lower, double upper);
    void setSizeRangePositions(double positionLower, double positionUpper);
    void setSizeRangePositionLower(double position);
    void setSizeRangePositionUpper(double position);
    void setSizeRangeLimits(double min, double max);
    void setOpacityRange(double lower, double upper);
    void setOpacityRangePositions(double positionLower, double positionUpper);
    void setOpacityRangePositionLower(double position);
    void setOpacityRangePositionUpper(double position);
    void setCurrentToolIdx(int toolIdx);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

public:
    class ToolSlidersPrivate;

private:
    std::unique_ptr<ToolSlidersPrivate> d;
};

} // namespace UI

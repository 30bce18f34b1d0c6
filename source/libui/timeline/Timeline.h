#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// The strip under the canvas: a playhead slider with frame ticks and numbers
// on top, and below it the frame-range slider with two handles and a
// draggable middle. It holds plain frame numbers (from 1) and knows nothing of
// the scene; the playhead may stand one frame past the upper limit.
class Timeline : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(int sliderPosition READ sliderPosition WRITE setSliderPosition NOTIFY sliderMoved)
    Q_PROPERTY(int rangeLower READ rangeLower WRITE setRangeLower)
    Q_PROPERTY(int rangeUpper READ rangeUpper WRITE setRangeUpper)

public:
    // What a press grabbed.
    enum Part { Playhead = 0, LowerHandle = 1, RangeMiddle = 2, UpperHandle = 3, Nothing = 4 };

    // The minor and major tick steps, in frames, for a row `span` pixels wide
    // showing frames lo..hi; 0 when there is no room for ticks at all.
    struct TickSteps
    {
        qint64 minor = 0;
        qint64 major = 0;
    };
    static TickSteps tickSteps(int span, int lo, int hi);

    explicit Timeline(QWidget* parent = nullptr);
    ~Timeline() override;

    int value() const;
    int sliderPosition() const;
    int rangeLower() const;
    int rangeUpper() const;
    int minimumLimit() const;
    int maximumLimit() const;

    void updateUISize();

public slots:
    void setValue(int value);
    void setSliderPosition(int position);
    void setRange(int lower, int upper);
    void setRangeLower(int lower);
    void setRangeUpper(int upper);
    void setRangePositions(int positionLower, int positionUpper);
    void setRangePositionLower(int positionLower);
    void setRangePositionUpper(int positionUpper);
    void setRangeLimits(int min, int max);

signals:
    void valueChanged(int value);
    void sliderPressed();
    void sliderMoved(int position);
    void sliderDragged(int position);
    void sliderReleased(int position);
    void rangeChanged(int lower, int upper);
    void rangeSliderPressed();
    void rangeSliderMoved(int positionLower, int positionUpper);
    void rangeSliderReleased();
    void rangeLimitsChanged(int min, int max);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
    friend struct Private;
};

} // namespace UI

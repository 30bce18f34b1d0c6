#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// A small dark speech bubble that shows a number or a short text beside a
// control while it is dragged, its pointer aimed at the dragged handle.
class TextBubble : public QWidget
{
    Q_OBJECT

public:
    explicit TextBubble(QWidget* parent = nullptr);
    ~TextBubble() override;

    void setNumber(int number);
    void setText(const QString& text);
    QString text() const;
    // (7 × characters + 12) × 16 pixels.
    QSize bubbleSize() const;
    int traingleHeight() const;
    // Places the bubble's body on `rect` (parent coordinates) with the pointer
    // below it aimed at x = pointerX.
    void setBubbleParams(QRect rect, int pointerX);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

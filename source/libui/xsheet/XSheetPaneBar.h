#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// The bar of icon buttons over the X-sheet: the sheet's most used actions in
// three groups (modes on the left, drawings in the middle, layers on the
// right), triggering the very actions the menus hold. The middle group hides
// when the bar is too narrow for it.
class XSheetPaneBar : public QWidget
{
    Q_OBJECT

public:
    explicit XSheetPaneBar(QWidget* parent = nullptr);
    ~XSheetPaneBar() override;

    void updateUISize();
    // Index of the button under a point, -1 for none.
    int buttonAt(QPointF point) const;
    // Where button i sits; empty for a hidden middle button.
    QRect buttonRect(int index) const;

protected:
    bool event(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

#pragma once

#include <QWidget>

#include <memory>

class QAction;

namespace UI {

// Three tool slots in a pocket drawn by a line: the checked tool stands above
// the line with a shadow and a highlight, the others sink partly below it,
// and the one under the pointer rises a little. Clicking a slot triggers its
// action and reports the slot. Takes the pen as a mouse.
class ToolPocket : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPocket(QWidget* parent = nullptr);
    ~ToolPocket() override;

    void setToolAction(int slot, QAction* action);
    QAction* toolAction(int slot) const;
    // Pop-up mode fixes the height at its maximum.
    void setPopup(bool popup);
    // Global position just below the pocket's middle, where a tool settings
    // panel hangs.
    QPoint bottomCenter() const;
    void updateUISize();
    // The slot under a point, or -1.
    int slotAt(QPoint pos) const;
    int hoveredSlot() const;

signals:
    void pressed(int slot);
    void focusReceived();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;

private:
    void applySizes();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

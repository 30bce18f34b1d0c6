#pragma once

#include "actions/ActionManager.h"

#include <QWidget>

#include <memory>

namespace UI {

// The editable copy of a speed dial on the customisation overlay. Actions are
// dropped onto its eight slots and dragged out of them to another slot, the
// other dial or the recycle bin. A move replaces the target's action and
// empties the source; nothing is swapped.
class CustomizeSpeedDial : public QWidget
{
    Q_OBJECT

public:
    explicit CustomizeSpeedDial(QWidget* parent = nullptr);
    ~CustomizeSpeedDial() override;

    void restoreSettings(const QString& layout);
    // Always eight tokens.
    QString saveSettings() const;
    void paintBackgroundShadow(QPainter* painter);

    Model::ActionManager::ActionRecord* slotRecord(int slot) const;
    // The slot a point lies in, or -1 outside the ring.
    int slotAt(QPointF pos) const;
    QPointF slotIconCentre(int slot) const;
    int dropSlot() const;
    int dropHighlightSlot() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void turnDropSector(QPointF pos);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

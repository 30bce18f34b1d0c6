#pragma once

#include "actions/ActionManager.h"

#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace UI {

// The editable copy of the floating tool bar on the customisation overlay:
// exactly three columns of actions and spacers. Entries are dropped in from
// the action list and the spacer, moved about inside it, and dragged out to
// the recycle bin. While a drag hovers, the entry already stands where it
// would land and the others make room.
class CustomizeToolBar : public QWidget
{
    Q_OBJECT

public:
    // An action record, or null for a spacer.
    using Entry = Model::ActionManager::ActionRecord*;
    // (column, row); (-1, -1) is none.
    using Slot = QPoint;

    explicit CustomizeToolBar(QWidget* parent = nullptr);
    ~CustomizeToolBar() override;

    // A string without column breaks lands in the middle column; breaks
    // beyond the second stay in the third.
    void restoreSettings(const QString& layout);
    // Always two column breaks.
    QString saveSettings() const;
    void paintBackgroundShadow(QPainter* painter);

    QList<QList<Entry>> columns() const;
    Slot slotAt(QPointF pos) const;
    // Where an entry dragged to pos would be put, or none.
    Slot dropSlotFor(QPointF pos) const;
    // Removes and returns the entry at a slot; null for an invalid slot.
    Entry takeAt(Slot slot);
    QPointF slotCentre(Slot slot) const;
    Slot previewSlot() const;
    Slot flashSlot() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A rectangle in global coordinates to repaint: the shadow reaches
    // beyond the editor.
    void shadowUpdateNeeded(QRect rect);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void startDragOut(QPointF pressPosition);
    void insertAt(Slot slot, Entry entry);
    void requestShadowUpdate();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

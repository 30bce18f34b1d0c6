#pragma once

#include "settings/KW.h"

#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>

class QAction;

namespace UI {

class ToolBarHandle;

// The floating bar of user-chosen action buttons beside the drawing area. Its
// layout string holds up to three columns of actions and spacers; the bar
// sizes itself to its columns and hangs just beyond its handle, vertically
// centred on the anchor the drawing area reports.
class ToolBar : public QWidget
{
    Q_OBJECT

public:
    // A (column, row) place; (-1, -1) is none.
    using Slot = QPoint;

    explicit ToolBar(QWidget* parent = nullptr);
    ~ToolBar() override;

    // Rebuilds the columns from a layout string: entries joined by "|",
    // "Spacer" for a gap and "NewToolBarColumn" for the next column (breaks
    // beyond the second stay in the third). An unknown key is a gap.
    void restoreSettings(const QString& layout);
    void updateUISize();
    void setPosition(KW::ToolBarPosition position);

    ToolBarHandle* handle() const;
    // The entries of each column: an action, or null for a gap.
    QList<QList<QAction*>> columns() const;
    // The entry under a point in widget coordinates, or (-1, -1).
    Slot slotAt(QPointF pos) const;

signals:
    void opened(bool opened);
    void toggled(bool showToolBar);

public slots:
    void moveLeftAndRightCenter(QPoint leftCenter, QPoint rightCenter);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void resizeAndPlace();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

#pragma once

#include "settings/KW.h"

#include <QWidget>

#include <memory>

namespace UI {

// The small tab at the very edge of the drawing area that shows and hides the
// floating tool bar. It is a sibling of the bar, so it stays visible while
// the bar is hidden; it only reports clicks and never moves the bar itself.
class ToolBarHandle : public QWidget
{
    Q_OBJECT

public:
    explicit ToolBarHandle(QWidget* parent = nullptr);
    ~ToolBarHandle() override;

    KW::ToolBarPosition handlePosition() const;
    bool isOpened() const;
    void updateUISize();

signals:
    void toggled(bool opened);

public slots:
    void moveLeftAndRightCenter(QPoint leftCenter, QPoint rightCenter);
    void setOpened(bool opened);
    void setHandlePosition(KW::ToolBarPosition position);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateHandle();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

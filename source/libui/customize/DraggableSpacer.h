#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// The source of tool-bar spacers on the customisation overlay: every drag
// from it offers a new spacer to copy.
class DraggableSpacer : public QWidget
{
    Q_OBJECT

public:
    explicit DraggableSpacer(QWidget* parent = nullptr);
    ~DraggableSpacer() override;

    bool isHovered() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI

#pragma once

#include <QWidget>

#include <memory>

class QSvgRenderer;

namespace UI {

// The decorative arrow above the customisation hint, at its artwork's
// natural size.
class DragArrow : public QWidget
{
    Q_OBJECT

public:
    explicit DragArrow(QWidget* parent = nullptr);
    ~DragArrow() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QSvgRenderer> m_arrow;
};

} // namespace UI

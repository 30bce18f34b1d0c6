#pragma once

#include <QToolButton>

namespace UI {

// A flat arrow-and-text button that opens (arrow down) and closes (arrow
// right) a section; it never looks pressed or checked.
class ExpandToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ExpandToolButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace UI

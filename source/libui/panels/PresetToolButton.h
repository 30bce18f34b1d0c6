#pragma once

#include <QToolButton>

namespace UI {

// The icon button of a tool preset: the icon alone, with hover and click
// artwork drawn around it by its graphics effect.
class PresetToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit PresetToolButton(QWidget* parent = nullptr);
    void updateUISize();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace UI

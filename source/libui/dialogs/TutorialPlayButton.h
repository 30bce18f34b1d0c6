#pragma once

#include <QIcon>
#include <QToolButton>

namespace UI {

// A tutorial's thumbnail with a play symbol over it that lights up under the
// pointer and darkens while pressed.
class TutorialPlayButton : public QToolButton
{
    Q_OBJECT

public:
    explicit TutorialPlayButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_normal;
    QIcon m_hover;
    QIcon m_pressed;
};

} // namespace UI

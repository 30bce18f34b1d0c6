#include "xsheet/TwoChoiceGizmo.h"

#include <QPainter>

namespace UI {

TwoChoiceGizmo::TwoChoiceGizmo(QString const& firstArtwork, QString const& secondArtwork,
                               QWidget* parent)
    : Gizmo(parent)
    , m_firstArtwork(firstArtwork)
    , m_secondArtwork(secondArtwork)
{
    setTopSection(Section2);
    connect(this, &Gizmo::sectionSelected, this, [this](GizmoSC section) {
        if (choose(section != Section1))
            choiceChanged();
    });
}

TwoChoiceGizmo::~TwoChoiceGizmo() = default;

bool TwoChoiceGizmo::choose(bool second)
{
    if (second == m_second)
        return false;
    m_second = second;
    update();
    return true;
}

void TwoChoiceGizmo::paintSection(QPainter* painter, QRectF const& rect, GizmoSC section) const
{
    QSvgRenderer* renderer = nullptr;
    if (section == Section1 || (section == Section0 && !m_second))
        renderer = &m_firstArtwork;
    else if (section == Section2 || section == Section0)
        renderer = &m_secondArtwork;
    if (!renderer || !renderer->isValid())
        return;
    QSizeF const size = QSizeF(renderer->defaultSize()).scaled(rect.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), size);
    target.moveCenter(rect.center());
    renderer->render(painter, target);
}

QString TwoChoiceGizmo::tooltipSection(GizmoSC section) const
{
    Texts const t = texts();
    switch (section) {
    case Section0:
        return t.current;
    case Section1:
        return t.first;
    case Section2:
        return t.second;
    case NoSection:
        return t.closed;
    default:
        return QString();
    }
}

} // namespace UI

#include "xsheet/AnnotationGizmo.h"

namespace UI {

AnnotationGizmo::AnnotationGizmo(QWidget* parent)
    : TwoChoiceGizmo(QStringLiteral(":/xsheet/gizmo_pen.svg"), QStringLiteral(":/xsheet/gizmo_crosshair.svg"),
                     parent)
{
}

KW::AnnotationPenType AnnotationGizmo::penType() const
{
    return secondChosen() ? KW::AnnotationPenType::DrawToolPen : KW::AnnotationPenType::ScribblePen;
}

void AnnotationGizmo::setPenType(KW::AnnotationPenType penType)
{
    if (choose(penType == KW::AnnotationPenType::DrawToolPen))
        choiceChanged();
}

void AnnotationGizmo::choiceChanged()
{
    emit penTypeChanged(penType());
}

TwoChoiceGizmo::Texts AnnotationGizmo::texts() const
{
    return {tr("Current pen"), tr("Use Annotations Pen"), tr("Use Drawing Tool for annotations"),
            tr("Choose pen to use for annotations")};
}

} // namespace UI

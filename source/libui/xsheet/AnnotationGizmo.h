#pragma once

#include "settings/KW.h"
#include "xsheet/TwoChoiceGizmo.h"

namespace UI {

// The gizmo on the annotation column: which pen scribbles notes, the
// annotation pen or the current drawing tool.
class AnnotationGizmo : public TwoChoiceGizmo
{
    Q_OBJECT

public:
    explicit AnnotationGizmo(QWidget* parent = nullptr);

    KW::AnnotationPenType penType() const;
    void setPenType(KW::AnnotationPenType penType);

signals:
    void penTypeChanged(KW::AnnotationPenType penType);

protected:
    Texts texts() const override;
    void choiceChanged() override;
};

} // namespace UI

#pragma once

#include "xsheet/TwoChoiceGizmo.h"

namespace UI {

// The gizmo on the audio column: whether the sound may be slid against the
// frames by dragging, or stays locked in place.
class AudioGizmo : public TwoChoiceGizmo
{
    Q_OBJECT

public:
    explicit AudioGizmo(QWidget* parent = nullptr);

    bool audioOffsetLocked() const;
    void setAudioOffsetLocked(bool locked);

signals:
    void audioOffsetLockedChanged(bool locked);

protected:
    Texts texts() const override;
    void choiceChanged() override;
};

} // namespace UI

#include "xsheet/AudioGizmo.h"

namespace UI {

AudioGizmo::AudioGizmo(QWidget* parent)
    : TwoChoiceGizmo(QStringLiteral(":/xsheet/gizmo_arrows.svg"), QStringLiteral(":/xsheet/gizmo_lock.svg"),
                     parent)
{
}

bool AudioGizmo::audioOffsetLocked() const
{
    return secondChosen();
}

void AudioGizmo::setAudioOffsetLocked(bool locked)
{
    if (choose(locked))
        choiceChanged();
}

void AudioGizmo::choiceChanged()
{
    emit audioOffsetLockedChanged(audioOffsetLocked());
}

TwoChoiceGizmo::Texts AudioGizmo::texts() const
{
    return {tr("Current Setting"), tr("Offset Audio by dragging"), tr("Lock Audio in place"),
            tr("Choose whether to lock audio offset")};
}

} // namespace UI

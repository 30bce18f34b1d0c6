#include "commands/ChangeFrameSize.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QPointer>
#include <QProgressDialog>

namespace Commands {

struct ChangeFrameSize::Data
{
    QPointer<QWidget> parentWidget;
    QPointer<Model::KWScene> scene;
    QSize newSize;
    KW::FitMode fitMode = KW::FitMode::FitModeKeepAspect;
    QSize oldSize;
};

ChangeFrameSize::ChangeFrameSize(Model::KWScene* scene, QSize const& size, KW::FitMode fitMode,
                                 QWidget* parentWidget, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->parentWidget = parentWidget;
    d->scene = scene;
    d->newSize = size;
    d->fitMode = fitMode;
    setText(commandText("Change frame size", "Commands::ChangeFrameSize"));
    Model::Scene const* s = sceneOf(scene);
    if (!s) {
        setObsolete(true);
        return;
    }
    d->oldSize = s->frameSize();
    if (d->oldSize == size)
        setObsolete(true);
}

ChangeFrameSize::~ChangeFrameSize() = default;

void ChangeFrameSize::resize(QSize const& size, KW::FitMode fitMode, bool sheet)
{
    Model::Scene* const s = sceneOf(d->scene);
    QProgressDialog progress(d->parentWidget);
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(QObject::tr("Resizing all frames...", "Commands::ChangeFrameSize"));
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(2000);
    progress.setFixedSize(progress.sizeHint());
    progress.setRange(0, s->numDrawings() + 1);
    progress.setValue(progress.minimum());
    if (sheet) {
        progress.setAttribute(Qt::WA_Disabled);
        progress.setWindowFlags(Qt::Sheet | Qt::CustomizeWindowHint);
    }
    d->scene->changeFrameSize(size, fitMode, &progress);
}

void ChangeFrameSize::redo()
{
    if (isObsolete() || !sceneOf(d->scene))
        return;
    resize(d->newSize, d->fitMode, true);
}

void ChangeFrameSize::undo()
{
    if (isObsolete() || !sceneOf(d->scene))
        return;
    // A resize that kept the aspect is undone by filling the old frame again.
    KW::FitMode const mode = d->fitMode == KW::FitMode::FitModeKeepAspect
                                 ? KW::FitMode::FitModeKeepAspectByExpanding
                                 : d->fitMode;
    resize(d->oldSize, mode, false);
}

} // namespace Commands

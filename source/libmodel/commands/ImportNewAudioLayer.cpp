#include "commands/ImportNewAudioLayer.h"

#include "audio/AudioLayer.h"
#include "commands/CommandRules.h"
#include "scene/Scene.h"

#include <QPointer>
#include <QProgressDialog>

namespace Commands {

struct ImportNewAudioLayer::Data
{
    QPointer<Model::Scene> scene;
    int index = -1;
    std::shared_ptr<Model::Layer> layer; // the one not in the scene
    Outcome outcome = Outcome::NothingRead;
};

ImportNewAudioLayer::ImportNewAudioLayer(Model::Scene* scene, QString path, QWidget* parentWidget,
                                         QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    if (path.isEmpty())
        setObsolete(true);
    if (!scene)
        return;
    setText(commandText("Import Audio", "Commands::Import"));
    d->index = scene->audioLayerIdx();
    if (path.isEmpty() || d->index < 0) {
        setObsolete(true);
        return;
    }
    auto layer = std::make_shared<Model::AudioLayer>(scene);
    QProgressDialog progress(parentWidget);
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(QObject::tr("Import Audio", "Importing audio..."));
    progress.setMinimumDuration(2000);
    progress.setFixedSize(progress.sizeHint());
    if (layer->loadFile(path, &progress)) {
        d->layer = layer;
        d->outcome = Outcome::Imported;
        return;
    }
    d->outcome = progress.wasCanceled() ? Outcome::Cancelled : Outcome::NothingRead;
    setObsolete(true);
}

ImportNewAudioLayer::~ImportNewAudioLayer() = default;

ImportNewAudioLayer::Outcome ImportNewAudioLayer::outcome() const
{
    return d->outcome;
}

void ImportNewAudioLayer::redo()
{
    swap();
}

void ImportNewAudioLayer::undo()
{
    swap();
}

void ImportNewAudioLayer::swap()
{
    if (!d->scene || !d->layer)
        return;
    if (std::shared_ptr<Model::Layer> old = d->scene->swapLayer(d->index, d->layer))
        d->layer = std::move(old);
}

} // namespace Commands

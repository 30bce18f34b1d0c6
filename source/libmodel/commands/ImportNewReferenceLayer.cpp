#include "commands/ImportNewReferenceLayer.h"

#include "commands/CommandRules.h"
#include "drawings/ImageDrawing.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"

#include <QCollator>
#include <QColorSpace>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QUuid>

#include <algorithm>

namespace Commands {

struct ImportNewReferenceLayer::Data
{
    QPointer<Model::Scene> scene;
    int index = -1;
    QString name;
    std::shared_ptr<Model::ReferenceLayer> layer; // while outside the scene
    RangeRecord atConstruction;
    int maximumAfterImport = 1;
    Outcome outcome = Outcome::NothingRead;
    QStringList unreadable;
};

ImportNewReferenceLayer::ImportNewReferenceLayer(Model::Scene* scene, QList<QString> files,
                                                 QWidget* parentWidget, int numberPosition,
                                                 int startNumber, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    if (files.isEmpty())
        setObsolete(true);
    if (!scene)
        return;
    d->atConstruction = RangeRecord::ofActiveCell(scene);
    setText(commandText("Import Frames", "Commands::Import"));
    if (!files.isEmpty())
        import(files, parentWidget, numberPosition, startNumber);
}

ImportNewReferenceLayer::~ImportNewReferenceLayer() = default;

ImportNewReferenceLayer::Outcome ImportNewReferenceLayer::outcome() const
{
    return d->outcome;
}

QStringList ImportNewReferenceLayer::unreadableFiles() const
{
    return d->unreadable;
}

void ImportNewReferenceLayer::import(QStringList files, QWidget* parentWidget, int numberPosition,
                                     int startNumber)
{
    // The C locale compares code points and ignores the numeric mode.
    QLocale const system = QLocale::system();
    QCollator collator(system.language() == QLocale::C
                           ? QLocale(QLocale::English, QLocale::UnitedStates)
                           : system);
    collator.setNumericMode(true);
    std::sort(files.begin(), files.end(),
              [&collator](QString const& a, QString const& b) { return collator.compare(a, b) < 0; });

    auto layer = std::make_shared<Model::ReferenceLayer>(d->scene->frameSize(), d->scene);
    auto& cells = layer->frames();
    cells.clear();

    QProgressDialog progress(parentWidget);
    progress.setWindowModality(Qt::WindowModal);
    progress.setLabelText(QStringLiteral("Importing frames..."));
    progress.setCancelButtonText(QStringLiteral("Cancel"));
    progress.setMinimumDuration(2000);
    progress.setMaximum(int(files.size()));
    progress.setFixedSize(progress.sizeHint());

    QImage blank(10, 10, QImage::Format_RGB32);
    blank.fill(Qt::white);
    std::shared_ptr<Model::Drawing> current = std::make_shared<Model::ImageDrawing>(blank);
    current->setName(QObject::tr("Inserted blank", "Commands::Import"));

    bool const sequence = numberPosition != -1 && startNumber != -1;
    bool cancelled = false;
    for (qsizetype i = 0; i < files.size() && !cancelled; ++i) {
        progress.setValue(int(i));
        QFileInfo const file(files.at(i));
        if (sequence) {
            bool ok = false;
            int number = file.completeBaseName().mid(numberPosition).toInt(&ok, 10);
            if (!ok)
                number = -1;
            while (startNumber + cells.size() < number) {
                if (cells.isEmpty())
                    cells.insert(0, std::make_shared<Model::LayerItem>(
                                        Model::LayerItem::Original, QUuid::createUuid(), current));
                else
                    cells.append(std::make_shared<Model::LayerItem>(current));
            }
        }
        QImageReader reader(files.at(i));
        reader.setAutoTransform(true);
        bool read = false;
        while (true) {
            QImage image = reader.read();
            if (image.isNull())
                break;
            read = true;
            // Without a known colour space there is nothing to convert from.
            if (image.colorSpace().isValid())
                image.convertToColorSpace(QColorSpace::SRgb);
            current = std::make_shared<Model::ImageDrawing>(image);
            current->setName(file.fileName());
            cells.append(std::make_shared<Model::LayerItem>(Model::LayerItem::Original,
                                                            QUuid::createUuid(), current));
            if (progress.wasCanceled()) {
                cancelled = true;
                break;
            }
        }
        if (!read)
            d->unreadable.append(files.at(i));
    }
    progress.setValue(progress.maximum());

    if (cancelled) {
        d->outcome = Outcome::Cancelled;
        setObsolete(true);
        return;
    }
    if (cells.isEmpty()) {
        d->outcome = Outcome::NothingRead;
        setObsolete(true);
        return;
    }
    // The layer's number is taken only now: a refused or cancelled import
    // leaves the scene as it was.
    d->name = d->scene->getNextLayerName();
    layer->setName(d->name);
    d->outcome = Outcome::Imported;
    d->layer = layer;
    d->maximumAfterImport = std::max(int(cells.size()), d->atConstruction.maximum);
}

void ImportNewReferenceLayer::redo()
{
    if (!d->scene || !d->layer)
        return;
    int const active = d->scene->activeLayerIdx();
    d->index = d->scene->addLayer(d->layer, d->scene->numLayers());
    moveLayerToPosition(d->scene, d->index, displayPosition(d->scene, active));
    d->scene->setFrameRange(1, d->maximumAfterImport, d->atConstruction.frame, d->index);
    d->layer.reset();
}

void ImportNewReferenceLayer::undo()
{
    if (!d->scene || d->index < 0)
        return;
    d->atConstruction.restore(d->scene);
    d->layer = std::dynamic_pointer_cast<Model::ReferenceLayer>(d->scene->removeLayer(d->index));
}

} // namespace Commands

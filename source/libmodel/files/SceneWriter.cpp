#include "files/SceneWriter.h"

#include "files/FileWriter.h"

#include "audio/AudioLayer.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "images/RleImage.h"
#include "scene/AnnotationLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMetaEnum>
#include <QProgressDialog>
#include <QStringList>
#include <QTransform>
#include <QVariant>

#include <cmath>

namespace Model {

namespace {

constexpr double radiansToDegrees = 57.29577951308232;
constexpr double pi = 3.14159265358979323846;
constexpr double epsilon = 1e-12;

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

// XML 1.0 cannot carry most control characters nor unpaired surrogates. The
// stream writer would drop them and report an error, which would make every
// save of a scene with such a layer name fail; they are dropped here instead.
QString xmlSafe(QString const& text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t const c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                safe.append(text.at(i));
                safe.append(text.at(i + 1));
                ++i;
            }
            continue;
        }
        bool const allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
                             || (c >= 0xE000 && c <= 0xFFFD);
        if (allowed)
            safe.append(text.at(i));
    }
    return safe;
}

} // namespace

SceneWriter::SceneWriter(Scene* scene, QWidget* parent)
    : m_scene(scene)
    , m_progressDialog(std::make_unique<QProgressDialog>(
          QCoreApplication::translate("Model::SceneWriter", "Saving scene..."),
          QCoreApplication::translate("Model::SceneWriter", "Cancel"), 0, 1, parent))
{
    setAutoFormatting(true);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    m_progressDialog->setMinimumDuration(2000);
    m_progressDialog->setFixedSize(m_progressDialog->sizeHint());
    m_progressDialog->reset();
}

SceneWriter::~SceneWriter() = default;

QProgressDialog* SceneWriter::progressDialog() const
{
    return m_progressDialog.get();
}

int SceneWriter::writeFile(QIODevice* device)
{
    setDevice(device);
    try {
        writeStartDocument();
        writeDTD(QStringLiteral("<!DOCTYPE kw>"));
        writeStartElement(QStringLiteral("kw"));
        writeAttribute(QStringLiteral("version"), QStringLiteral("0.4"));
        writeScene();
        writeEndDocument();
    } catch (WritingCancelledException const&) {
        m_progressDialog->reset();
        return 2;
    }
    m_progressDialog->reset();
    return hasError() || m_payloadWriteFailed ? 1 : 0;
}

void SceneWriter::writeBase64Element(QString const& name, QByteArray const& bytes)
{
    writeStartElement(name);
    // Base64 text never needs escaping: it goes to the device as it is, in
    // the place where the stream writer would have put the same bytes, with
    // the start tag closed first.
    writeCharacters(QString());
    QByteArray const text = bytes.toBase64();
    if (QIODevice* const out = device(); out && !hasError() && !m_payloadWriteFailed)
        m_payloadWriteFailed = out->write(text) != text.size();
    writeEndElement();
}

int SceneWriter::writeFile(QString const& fileName, QString* errorString)
{
    // What a save of this name killed half way left goes first.
    FileWriter::removeLeftovers(fileName);
    FileWriter file(fileName);
    int result = file.open(QIODevice::Text) ? writeFile(file.device()) : 1;
    if (result == 0 && !file.commit())
        result = 1;
    if (result != 0)
        file.discard();
    if (result == 1 && errorString)
        *errorString = file.errorString();
    return result;
}

void SceneWriter::checkCancelled() const
{
    if (m_progressDialog->wasCanceled())
        throw WritingCancelledException();
}

void SceneWriter::step()
{
    m_progressDialog->setValue(m_progressDialog->value() + 1);
}

void SceneWriter::writeScene()
{
    int const drawings = m_scene->numDrawings();
    m_progressDialog->reset();
    m_progressDialog->setMaximum(drawings + m_scene->numLayers() + 1);
    m_progressDialog->setValue(0);

    writeStartElement(QStringLiteral("scene"));
    writeAttribute(QStringLiteral("frameWidth"), QString::number(m_scene->frameWidth()));
    writeAttribute(QStringLiteral("frameHeight"), QString::number(m_scene->frameHeight()));
    writeAttribute(QStringLiteral("frameRange"), QStringLiteral("%1;%2")
                                                     .arg(m_scene->minimumFrameRangeNumber())
                                                     .arg(m_scene->maximumFrameRangeNumber()));
    writeAttribute(QStringLiteral("activeFrameNumber"), QString::number(m_scene->activeFrame()));
    writeAttribute(QStringLiteral("activeLayerIndex"), QString::number(m_scene->activeLayerIdx()));
    writeAttribute(QStringLiteral("highestUsedLayerNumber"),
                   QString::number(m_scene->highestUsedLayerNumber()));
    writeAttribute(QStringLiteral("fps"), number(m_scene->frameRate()));
    writeAttribute(QStringLiteral("totalNumberOfDrawings"), QString::number(drawings));
    checkCancelled();

    writeLayers();
    writeEndElement(); // scene
}

void SceneWriter::writeLayers()
{
    writeStartElement(QStringLiteral("layers"));
    writeLayerOrder();
    checkCancelled();
    for (int i = 0; i < m_scene->numLayers(); ++i)
        writeLayer(m_scene->layer(i).get());
    writeEndElement();
}

void SceneWriter::writeLayerOrder()
{
    QStringList entries;
    for (int const index : m_scene->getLogicalLayerIndices())
        entries << QString::number(index);
    writeTextElement(QStringLiteral("ordering"), entries.join(QLatin1Char(';')));
}

void SceneWriter::writeLayer(Layer* layer)
{
    writeStartElement(QStringLiteral("layer"));
    writeAttribute(QStringLiteral("identifier"), layer->identifier().toString());
    writeAttribute(QStringLiteral("name"), xmlSafe(layer->name()));
    writeAttribute(QStringLiteral("linked"), yesNo(layer->isLinked()));
    auto* const visual = qobject_cast<VisualLayer*>(layer);
    if (visual) {
        writeAttribute(QStringLiteral("visible"), yesNo(visual->isVisible()));
        int const beyond = visual->layerBeyondLast();
        if (beyond >= Layer::showNothing && beyond <= Layer::cycleDrawings) {
            QMetaEnum const words = QMetaEnum::fromType<Layer::LayerBeyondLast>();
            writeAttribute(QStringLiteral("beyond"), QString::fromLatin1(words.valueToKey(beyond)));
        }
    }
    checkCancelled();

    auto const writeCells = [this](VisualLayer* cells) {
        for (std::shared_ptr<LayerItem> const& cell : cells->frames()) {
            writeDrawing(cell.get());
            checkCancelled();
            step();
        }
    };

    switch (layer->type()) {
    case Layer::StrokeLayerType: {
        writeAttribute(QStringLiteral("type"), QStringLiteral("stroke"));
        auto* const strokes = qobject_cast<StrokeLayer*>(layer);
        writeTextElement(QStringLiteral("opacity"), QVariant(visual->opacity()).toString());
        if (strokes)
            writeTextElement(QStringLiteral("color"), QVariant(strokes->color()).toString());
        writeCells(visual);
        break;
    }
    case Layer::PaintLayerType:
        writeAttribute(QStringLiteral("type"), QStringLiteral("paint"));
        break;
    case Layer::ReferenceLayerType:
        writeAttribute(QStringLiteral("type"), QStringLiteral("reference"));
        writeTextElement(QStringLiteral("opacity"), QVariant(visual->opacity()).toString());
        writeCells(visual);
        break;
    case Layer::AudioLayerType:
        writeAttribute(QStringLiteral("type"), QStringLiteral("audio"));
        if (auto* const audio = qobject_cast<AudioLayer*>(layer)) {
            writeTextElement(QStringLiteral("offsetFrames"),
                             QVariant(audio->offsetFrames()).toString());
            writeBase64Element(QStringLiteral("originalAudioData"), audio->originalAudioData());
        }
        break;
    case Layer::AnnotationLayerType:
        writeAttribute(QStringLiteral("type"), QStringLiteral("annotation"));
        if (auto* const annotation = qobject_cast<AnnotationLayer*>(layer)) {
            for (int frame = 1; frame <= m_scene->maximumFrameNumber(); ++frame) {
                QByteArray bytes;
                QDataStream out(&bytes, QIODevice::WriteOnly);
                out << RleImage(annotation->annotationImage(frame));
                writeBase64Element(QStringLiteral("image"), bytes);
            }
        }
        break;
    default:
        break;
    }

    writeEndElement(); // layer
    step();
}

void SceneWriter::writeDrawing(LayerItem* item)
{
    writeStartElement(QStringLiteral("drawing"));
    writeOffPegsTransform(item->offPegsTransform);
    if (item->keyDrawing)
        writeAttribute(QStringLiteral("keyDrawing"), QStringLiteral("yes"));

    switch (item->kind) {
    case LayerItem::Original: {
        writeAttribute(QStringLiteral("type"), QStringLiteral("original"));
        writeAttribute(QStringLiteral("identifier"), item->identifier.toString());
        if (item->drawing && !item->drawing->currentCopyId().isNull())
            writeAttribute(QStringLiteral("copyId"), item->drawing->currentCopyId().toString());
        for (DrawingRef const& clone : std::as_const(item->clones)) {
            writeEmptyElement(QStringLiteral("clone"));
            writeAttribute(QStringLiteral("layer"), clone.layer.toString());
            writeAttribute(QStringLiteral("drawing"), clone.drawing.toString());
        }
        if (auto const* strokes = dynamic_cast<StrokeDrawing const*>(item->drawing.get())) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setFloatingPointPrecision(QDataStream::SinglePrecision);
            out << *strokes;
            writeBase64Element(QStringLiteral("strokes"), bytes);
        } else if (auto const* picture = dynamic_cast<ImageDrawing const*>(item->drawing.get())) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << picture->image();
            writeBase64Element(QStringLiteral("image"), bytes);
        }
        break;
    }
    case LayerItem::Hold:
        writeAttribute(QStringLiteral("type"), QStringLiteral("clone"));
        break;
    case LayerItem::DistantClone:
        writeAttribute(QStringLiteral("type"), QStringLiteral("distantClone"));
        writeAttribute(QStringLiteral("identifier"), item->identifier.toString());
        writeEmptyElement(QStringLiteral("original"));
        writeAttribute(QStringLiteral("layer"), item->original.layer.toString());
        writeAttribute(QStringLiteral("drawing"), item->original.drawing.toString());
        break;
    default:
        break;
    }

    writeEndElement(); // drawing
}

void SceneWriter::writeOffPegsTransform(QTransform const& transform)
{
    if (transform.type() == QTransform::TxNone)
        return;
    double const m11 = transform.m11();
    double const m12 = transform.m12();
    double const m21 = transform.m21();
    double const m22 = transform.m22();

    double rotation = 0.0;
    if (std::abs(m11) > epsilon || std::abs(m12) > epsilon) {
        rotation = std::acos(m11 / std::sqrt(m11 * m11 + m12 * m12)) * radiansToDegrees;
        if (m12 <= 0.0)
            rotation = -rotation;
    } else if (std::abs(m21) > epsilon || std::abs(m22) > epsilon) {
        double const v = m22 > 0.0 ? -m21 : m21;
        rotation = (pi / 2.0 - std::acos(v / std::sqrt(m21 * m21 + m22 * m22))) * radiansToDegrees;
    }

    writeAttribute(QStringLiteral("xOffset"), number(transform.dx()));
    writeAttribute(QStringLiteral("yOffset"), number(transform.dy()));
    writeAttribute(QStringLiteral("rotationDeg"), number(rotation));
}

} // namespace Model

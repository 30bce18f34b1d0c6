#include "files/SceneReader.h"

#include "audio/AudioLayer.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "files/PayloadDecoder.h"
#include "files/SceneFileOutline.h"
#include "images/RleImage.h"
#include "images/StreamedPicture.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/AnnotationLayer.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QCoreApplication>
#include <QDataStream>
#include <QFileDevice>
#include <QIODevice>
#include <QImage>
#include <QObject>
#include <QProgressDialog>
#include <QVersionNumber>
#include <QTransform>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <type_traits>

namespace Model {

namespace {

// The audio layer counts time in integer microseconds and nanoseconds; an
// offset beyond this many frames would overflow them even at the lowest
// frame rate.
constexpr double maximumAudioOffsetFrames = 1e6;

// A drawing moved off the pegs by more than this many pixels lies far
// outside any frame; the canvas maps such numbers through paths and
// rectangles that cannot hold them.
constexpr double maximumOffPegsOffset = 1e7;
// The writer keeps rotations within half a turn either way.
constexpr double maximumOffPegsRotation = 360.0;

// Notes decoded from a file take at most as much memory as the largest
// picture: thousands of frames of notes at the size the sheet makes them.
constexpr qint64 maximumAnnotationBytes = qint64(256) * 1024 * 1024;

// Without a drawing count the progress follows the bytes read, in this many
// steps.
constexpr int bytesProgressSteps = 1000;

int toInt(QStringView text)
{
    return text.toInt(); // 0 for text that is no number or does not fit
}

QUuid toUuid(QStringView text)
{
    return QUuid::fromString(text);
}

// The bytes of a device that cannot be mapped or shared, as a read in
// binary mode gives them; the outline drops the carriage returns of a device
// in text mode.
QByteArray wholeInput(QIODevice* device)
{
    bool const text = device->isTextModeEnabled();
    device->setTextModeEnabled(false);
    QByteArray bytes = device->readAll();
    device->setTextModeEnabled(text);
    return bytes;
}

} // namespace

SceneReader::SceneReader(Scene* scene, QWidget* parent)
    : m_scene(scene)
    , m_progressDialog(std::make_unique<QProgressDialog>(
          QCoreApplication::translate("Model::SceneReader", "Opening scene..."),
          QCoreApplication::translate("Model::SceneReader", "Cancel"), 0, 1, parent))
{
    m_progressDialog->setWindowModality(Qt::WindowModal);
    m_progressDialog->setMinimumDuration(2000);
    m_progressDialog->setFixedSize(m_progressDialog->sizeHint());
    m_progressDialog->reset();
}

SceneReader::~SceneReader() = default;

QProgressDialog* SceneReader::progressDialog() const
{
    return m_progressDialog.get();
}

int SceneReader::maximumFrameSide()
{
    return Scene::maximumFrameSide;
}

QString SceneReader::errorString() const
{
    bool const kept = m_errorLine >= 0;
    return QObject::tr("%1\nLine %2, column %3")
        .arg(QXmlStreamReader::errorString())
        .arg(kept ? m_errorLine : lineNumber())
        .arg(kept ? m_errorColumn : fileColumn());
}

qint64 SceneReader::fileColumn() const
{
    return m_outline ? m_outline->documentColumn(characterOffset(), columnNumber()) : columnNumber();
}

int SceneReader::read(QIODevice* device)
{
    // A file is mapped and a buffer's bytes are shared rather than copied:
    // the XML reader then takes the document piece by piece, and a load
    // costs what the scene holds, not what the file's size is. A reading
    // that stops at an error touches nothing of the file beyond it.
    QByteArray bytes;
    QByteArrayView document;
    auto* const file = qobject_cast<QFileDevice*>(device);
    uchar* const mapped = file && !file->isSequential() && file->pos() == 0 && file->size() > 0
                              ? file->map(0, file->size())
                              : nullptr;
    auto* const buffer = qobject_cast<QBuffer*>(device);
    if (mapped) {
        document = QByteArrayView(mapped, file->size());
    } else if (buffer && buffer->pos() == 0) {
        bytes = buffer->data();
        document = bytes;
    } else {
        bytes = wholeInput(device);
        document = bytes;
    }
    int result = 1;
    try {
        // The payload search keeps an entry for every payload the markup
        // holds, however small.
        m_outline = std::make_unique<SceneFileOutline>(document, device->isTextModeEnabled());
        m_outline->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_payloads = std::make_unique<PayloadDecoder>(*m_outline);
    } catch (std::bad_alloc const&) {
        m_outline.reset();
    }
    if (m_outline && m_payloads) {
        setDevice(m_outline.get());
        result = readDocument();
        m_errorLine = lineNumber();
        m_errorColumn = fileColumn();
        // The reader keeps its device: closed, it gives nothing of a
        // document that is gone.
        m_outline->close();
    } else {
        raiseError(QObject::tr("Not enough memory to read the file"));
        m_errorLine = 0;
        m_errorColumn = 0;
    }
    m_payloads.reset();
    if (mapped)
        file->unmap(mapped);
    // The device stands past what was read, as after reading it all.
    if (mapped || (buffer && buffer->pos() == 0))
        device->seek(device->size());
    return result;
}

int SceneReader::readDocument()
{
    try {
        if (readRootElement()) {
            const QString version = attributes().value(QLatin1String("version")).toString();
            if (name() == QLatin1String("kw") && version == QLatin1String("0.4")) {
                while (readNextStartElement()) {
                    if (name() == QLatin1String("scene"))
                        readScene();
                    else
                        skipCurrentElement();
                }
            } else if (name() == QLatin1String("kw") && isNewerVersion(version)) {
                raiseError(QObject::tr("The file was written by a newer version of %1 "
                                       "(file version %2); this version reads version 0.4 files.")
                               .arg(QCoreApplication::applicationName(), version));
            } else {
                raiseError(QObject::tr("The file is not a KW version 0.4 file"));
            }
        }
    } catch (ReadingCancelledException const&) {
        m_progressDialog->reset();
        return 2;
    } catch (std::bad_alloc const&) {
        // A payload too large for the memory left, decoded on this thread or
        // a helper's: the file is refused rather than the program ended.
        raiseError(QObject::tr("Not enough memory to read the file"));
    }
    m_progressDialog->reset();
    return hasError() ? 1 : 0;
}

bool SceneReader::isNewerVersion(QStringView version)
{
    // Only a plain "major.minor" written by a later release counts; anything
    // else is not a scene file this program knows.
    static constexpr qsizetype longestVersion = 16;
    if (version.size() > longestVersion)
        return false;
    qsizetype suffix = 0;
    const QVersionNumber number = QVersionNumber::fromString(version, &suffix);
    return suffix == version.size() && number.segmentCount() >= 2
           && QVersionNumber::compare(number, QVersionNumber(0, 4)) > 0;
}

bool SceneReader::readRootElement()
{
    while (!atEnd()) {
        readNext();
        // The writer never declares entities; one declared entity used a
        // hundred thousand times turns a small file into a gigabyte of text.
        if (tokenType() == DTD && !entityDeclarations().isEmpty()) {
            raiseError(QObject::tr("The file declares entities, which scene files never use"));
            return false;
        }
        if (tokenType() == StartElement)
            return true;
    }
    return false;
}

void SceneReader::showBytesRead()
{
    qsizetype const size = m_outline ? m_outline->document().size() : 0;
    if (m_numExpectedDrawings >= 0 || size <= 0)
        return;
    // Setting the same value again costs nothing.
    qint64 const read = m_outline->documentOffset(characterOffset());
    m_progressDialog->setValue(int(read * bytesProgressSteps / size));
}

void SceneReader::checkCancelled() const
{
    if (m_progressDialog->wasCanceled())
        throw ReadingCancelledException();
}

double SceneReader::parseDouble(QStringView text, QString const& what, bool* ok)
{
    double const value = text.toDouble(ok);
    // "nan" and "inf" parse, and numbers beyond the double range come back
    // as infinities: none of them can be used for a position or a rate.
    if (!std::isfinite(value)) {
        raiseError(QObject::tr("Invalid %1 \"%2\"").arg(what, text.toString()));
        *ok = false;
        return 0.0;
    }
    return *ok ? value : 0.0;
}

QByteArray SceneReader::readBase64(QString const& what)
{
    int const payload = m_outline ? m_outline->payloadAt(characterOffset()) : -1;
    if (payload >= 0) {
        readElementText(); // the outline's marker
        QByteArray decoded;
        if (!hasError() && !m_payloads->take(payload, &decoded))
            raiseError(QObject::tr("Invalid base64 data in %1").arg(what));
        return hasError() ? QByteArray() : decoded;
    }
    QByteArray text = readElementText().toLatin1();
    // Hand-edited files may wrap long lines; anything else that is no part
    // of the encoding means damage.
    text.removeIf([](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; });
    QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        std::move(text), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        raiseError(QObject::tr("Invalid base64 data in %1").arg(what));
        return QByteArray();
    }
    return std::move(decoded.decoded);
}

void SceneReader::readScene()
{
    m_progressDialog->reset();
    QXmlStreamAttributes const attrs = attributes();

    // Layer numbers count up from 0; the scene names no layer below 1.
    if (attrs.hasAttribute(QLatin1String("highestUsedLayerNumber")))
        m_scene->setHighestUsedLayerNumber(
            std::max(0, toInt(attrs.value(QLatin1String("highestUsedLayerNumber")))));

    // A frame size the drawings and pictures cannot take would leave the
    // scene with the default size and its drawings at another one.
    int side[2] = {0, 0};
    bool const hasSize = attrs.hasAttribute(QLatin1String("frameWidth"))
                         && attrs.hasAttribute(QLatin1String("frameHeight"));
    QLatin1String const sideNames[2] = {QLatin1String("frameWidth"), QLatin1String("frameHeight")};
    for (int i = 0; i < 2; ++i) {
        if (!attrs.hasAttribute(sideNames[i]))
            continue;
        QStringView const text = attrs.value(sideNames[i]);
        bool ok = false;
        side[i] = text.toInt(&ok);
        if (!ok || side[i] < 1 || side[i] > maximumFrameSide()) {
            raiseError(QObject::tr("Invalid %1 \"%2\"").arg(sideNames[i], text.toString()));
            return;
        }
    }
    if (hasSize)
        m_scene->setFrameSize(QSize(side[0], side[1]), KW::FitMode::FitModeIgnore, nullptr);

    int rangeMinimum = 0;
    int rangeMaximum = -1;
    QStringList const range = attrs.value(QLatin1String("frameRange"))
                                  .toString()
                                  .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (range.size() == 2) {
        rangeMinimum = range.at(0).toInt();
        rangeMaximum = range.at(1).toInt();
    }

    int const activeFrame = attrs.hasAttribute(QLatin1String("activeFrameNumber"))
                                ? toInt(attrs.value(QLatin1String("activeFrameNumber")))
                                : 1;
    int activeLayer = attrs.hasAttribute(QLatin1String("activeLayerIndex"))
                          ? toInt(attrs.value(QLatin1String("activeLayerIndex")))
                          : 0;

    if (attrs.hasAttribute(QLatin1String("fps"))) {
        bool ok = false;
        double const fps = parseDouble(attrs.value(QLatin1String("fps")), QStringLiteral("fps"), &ok);
        if (hasError())
            return;
        if (ok)
            m_scene->setFrameRate(fps);
    }

    if (attrs.hasAttribute(QLatin1String("totalNumberOfDrawings"))) {
        bool ok = false;
        int const count = attrs.value(QLatin1String("totalNumberOfDrawings")).toInt(&ok);
        // A negative count cannot be counted towards; it stays unknown.
        if (ok && count >= 0) {
            m_numExpectedDrawings = count;
            m_progressDialog->setMaximum(count < INT_MAX ? count + 1 : INT_MAX);
            m_progressDialog->setValue(0);
        }
    }
    checkCancelled();

    OffscreenRenderer::instance()->prepareFor(m_scene->frameSize());

    while (readNextStartElement()) {
        if (name() == QLatin1String("layers"))
            readLayers();
        else
            skipCurrentElement();
    }
    if (hasError())
        return;

    m_scene->updateMaxFrameNumber();
    if (rangeMaximum == -1)
        rangeMaximum = m_scene->maximumFrameNumber();

    checkCancelled();
    // An index that names no layer lets the scene choose the top layer.
    if (activeLayer < 0 || activeLayer >= m_scene->numLayers())
        activeLayer = -1;
    m_scene->setFrameRange(rangeMinimum, rangeMaximum, activeFrame, activeLayer);
    m_scene->updateCachedFramePixmap(true);
    checkCancelled();
    if (m_numExpectedDrawings >= 0)
        m_progressDialog->setValue(m_numExpectedDrawings < INT_MAX ? m_numExpectedDrawings + 1 : INT_MAX);
    else
        m_progressDialog->setValue(m_progressDialog->maximum());
}

void SceneReader::readLayers()
{
    while (m_scene->numLayers() > 0)
        m_scene->removeLayer(0);
    m_layerOrdering.clear();
    // Without a drawing count, the share of the file read tells how far the
    // reading is, however the file spreads its cells over layers.
    if (m_numExpectedDrawings < 0)
        m_progressDialog->setMaximum(bytesProgressSteps);

    while (readNextStartElement()) {
        if (name() == QLatin1String("ordering")) {
            readLayerOrdering();
        } else if (name() == QLatin1String("layer")) {
            readLayer();
        } else {
            skipCurrentElement();
        }
        showBytesRead();
        checkCancelled();
    }
    if (hasError())
        return;

    if (m_numExpectedDrawings >= 0)
        m_progressDialog->setValue(m_numExpectedDrawings);
    else
        showBytesRead();
    m_scene->fixupReferences();
    checkCancelled();
    applyLayerOrdering();
    checkCancelled();
}

void SceneReader::applyLayerOrdering()
{
    // Only a permutation of the layer indices is an order: anything else
    // (entries dropped with their layers, repeats, indices out of range)
    // leaves the layers in file order. Set all at once: a move per layer
    // would cost the square of the layer count.
    if (!m_layerOrdering.isEmpty())
        m_scene->setLayerOrder(m_layerOrdering);
}

void SceneReader::readLayerOrdering()
{
    m_layerOrdering.clear();
    QStringList const entries = readElementText().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString const& entry : entries)
        m_layerOrdering.append(entry.toInt());
}

void SceneReader::readLayer()
{
    QXmlStreamAttributes const attrs = attributes();
    if (!attrs.hasAttribute(QLatin1String("type"))) {
        skipCurrentElement();
        return;
    }

    QUuid const identifier = toUuid(attrs.value(QLatin1String("identifier")));
    m_layerIdentifier = identifier;
    QString const layerName = attrs.value(QLatin1String("name")).toString();
    bool const visible = attrs.hasAttribute(QLatin1String("visible"))
                         && attrs.value(QLatin1String("visible")) != QLatin1String("no");
    bool const linked = attrs.hasAttribute(QLatin1String("linked"))
                        && attrs.value(QLatin1String("linked")) != QLatin1String("no");
    QStringView const beyondWord = attrs.value(QLatin1String("beyond"));
    int beyond = 0;
    if (beyondWord == QLatin1String("showNothing"))
        beyond = Layer::showNothing;
    else if (beyondWord == QLatin1String("freezeLast"))
        beyond = Layer::freezeLast;
    else if (beyondWord == QLatin1String("cycleDrawings"))
        beyond = Layer::cycleDrawings;

    QStringView const type = attrs.value(QLatin1String("type"));
    std::shared_ptr<Layer> layer;

    if (type == QLatin1String("stroke")) {
        auto strokes = std::make_shared<StrokeLayer>(QColor(Qt::red), m_scene->frameSize(), m_scene);
        readVisualLayerContent(strokes.get());
        layer = strokes;
    } else if (type == QLatin1String("reference")) {
        auto pictures = std::make_shared<ReferenceLayer>(m_scene->frameSize(), m_scene);
        readVisualLayerContent(pictures.get());
        layer = pictures;
    } else if (type == QLatin1String("audio")) {
        auto audio = std::make_shared<AudioLayer>(m_scene);
        while (readNextStartElement()) {
            if (name() == QLatin1String("offsetFrames")) {
                readAudioOffsetFrames(audio.get());
            } else if (name() == QLatin1String("originalAudioData")) {
                QByteArray const data = readBase64(QStringLiteral("originalAudioData"));
                if (!hasError()) {
                    // The file names the offset first; the layer is given
                    // it after its sound, as when the user sets it.
                    double const offset = audio->offsetFrames();
                    if (!audio->setOriginalAudioData(data) && !data.isEmpty()) {
                        raiseError(QObject::tr("Damaged sound data"));
                        break;
                    }
                    audio->setOffsetFrames(offset);
                }
            } else {
                skipCurrentElement();
            }
            checkCancelled();
        }
        layer = audio;
    } else if (type == QLatin1String("annotation") || type == QLatin1String("scribble")) {
        auto annotation = std::make_shared<AnnotationLayer>(m_scene);
        int images = 0;
        while (readNextStartElement()) {
            if (name() == QLatin1String("image")) {
                // One image per frame of the scene, as the writer stores
                // them: no scene has more frames than a layer has cells.
                if (++images > maximumFrames) {
                    raiseError(QObject::tr("The notes hold more than %1 frames, more than "
                                           "any scene has")
                                   .arg(maximumFrames));
                    break;
                }
                readAnnotationImage(annotation.get());
            } else {
                skipCurrentElement();
            }
            showBytesRead();
            checkCancelled();
        }
        layer = annotation;
    } else {
        skipCurrentElement();
        return;
    }
    if (hasError())
        return;

    if (!identifier.isNull())
        layer->setIdentifier(identifier);
    if (!layerName.isEmpty())
        layer->setName(layerName);
    layer->setLinked(linked);
    if (auto* const visual = qobject_cast<VisualLayer*>(layer.get())) {
        visual->setVisible(visible);
        if (beyond != 0)
            visual->setLayerBeyondLast(Layer::LayerBeyondLast(beyond));
    }
    m_scene->addLayer(layer, m_scene->numLayers());
}

void SceneReader::readAnnotationImage(AnnotationLayer* layer)
{
    QByteArray const bytes = readBase64(QStringLiteral("image"));
    if (hasError())
        return;
    QDataStream in(bytes);
    RleImage rle;
    in >> rle;
    QSize const size = rle.size();
    // Notes are drawn in the sheet, at its size and not the frame's: a larger
    // image is damage, or a few bytes made to cost gigabytes, and is refused
    // before it is decoded. A frame without notes is stored as an empty
    // image.
    bool const fits = size.width() <= AnnotationLayer::maximumImageWidth
                      && size.height() <= AnnotationLayer::maximumImageHeight;
    bool const read = in.status() == QDataStream::Ok;
    if (!fits || !read) {
        raiseError(QObject::tr("Damaged annotation image data"));
        return;
    }
    // A few bytes decode to a whole image of the sheet's size; thousands of
    // them would fill the memory.
    m_annotationBytes += qint64(std::max(0, size.width())) * std::max(0, size.height());
    if (m_annotationBytes > maximumAnnotationBytes) {
        raiseError(QObject::tr("The notes take more than %1 MB").arg(maximumAnnotationBytes >> 20));
        return;
    }
    QImage const image = rle.toQImage();
    if (image.isNull() && !size.isNull())
        raiseError(QObject::tr("Damaged annotation image data"));
    else
        layer->addImage(image);
}

void SceneReader::readOpacity(VisualLayer* layer)
{
    QString const text = readElementText();
    if (hasError())
        return;
    bool ok = false;
    double const opacity = parseDouble(text, QStringLiteral("opacity"), &ok);
    if (hasError())
        return;
    layer->setOpacity(ok ? std::clamp(opacity, 0.0, 1.0) : 0.0);
}

void SceneReader::readColor(StrokeLayer* layer)
{
    QString const text = readElementText();
    if (hasError())
        return;
    layer->setColor(QVariant(text).value<QColor>());
}

void SceneReader::readAudioOffsetFrames(AudioLayer* layer)
{
    QString const text = readElementText();
    if (hasError())
        return;
    bool ok = false;
    double const offset = parseDouble(text, QStringLiteral("offsetFrames"), &ok);
    if (hasError())
        return;
    if (std::abs(offset) > maximumAudioOffsetFrames) {
        raiseError(QObject::tr("Invalid %1 \"%2\"").arg(QStringLiteral("offsetFrames"), text));
        return;
    }
    layer->setOffsetFrames(ok ? offset : 0.0);
}

void SceneReader::readDrawing(StrokeLayer* layer)
{
    readDrawingOf(layer);
}

void SceneReader::readDrawing(ReferenceLayer* layer)
{
    readDrawingOf(layer);
}

template <typename LayerType>
void SceneReader::readVisualLayerContent(LayerType* layer)
{
    layer->frames().clear();
    while (readNextStartElement()) {
        if (name() == QLatin1String("opacity")) {
            readOpacity(layer);
        } else if (name() == QLatin1String("drawing")) {
            readDrawing(layer);
            if (m_numExpectedDrawings >= 0)
                m_progressDialog->setValue(m_progressDialog->value() + 1);
            else
                showBytesRead();
        } else if constexpr (std::is_same_v<LayerType, Model::StrokeLayer>) {
            if (name() == QLatin1String("color"))
                readColor(layer);
            else
                skipCurrentElement();
        } else {
            skipCurrentElement();
        }
        checkCancelled();
    }
}

template <typename LayerType>
void SceneReader::readDrawingOf(LayerType* layer)
{
    QXmlStreamAttributes const attrs = attributes();
    if (!attrs.hasAttribute(QLatin1String("type"))) {
        skipCurrentElement();
        return;
    }
    // A hold is a few bytes of a file; millions of them would take minutes
    // and gigabytes to open.
    if (layer->frames().size() >= maximumFrames) {
        raiseError(QObject::tr("A layer holds more than %1 cells, more than any scene has frames")
                       .arg(maximumFrames));
        return;
    }
    QTransform const transform = readOffPegsTransform();
    if (hasError())
        return;
    bool const keyDrawing = attrs.value(QLatin1String("keyDrawing")) == QLatin1String("yes");

    QStringView const type = attrs.value(QLatin1String("type"));
    std::shared_ptr<LayerItem> cell;
    if (type == QLatin1String("original")) {
        cell = readOriginal(layer);
    } else if (type == QLatin1String("clone")) {
        if (!layer->frames().isEmpty())
            cell = std::make_shared<LayerItem>(layer->frames().last()->drawing);
        skipCurrentElement();
    } else if (type == QLatin1String("distantClone")) {
        cell = readDistantClone(layer);
    } else {
        skipCurrentElement();
    }
    if (!cell || hasError())
        return;
    cell->offPegsTransform = transform;
    cell->keyDrawing = keyDrawing;
    layer->frames().append(cell);
}

std::shared_ptr<LayerItem> SceneReader::readOriginal(StrokeLayer* layer)
{
    QXmlStreamAttributes const attrs = attributes();
    QUuid const identifier = toUuid(attrs.value(QLatin1String("identifier")));
    QUuid const copyId = toUuid(attrs.value(QLatin1String("copyId")));
    std::shared_ptr<LayerItem> cell = layer->blankItem();

    while (readNextStartElement()) {
        if (name() == QLatin1String("strokes")) {
            QByteArray const bytes = readBase64(QStringLiteral("strokes"));
            if (hasError())
                return nullptr;
            auto* const drawing = dynamic_cast<StrokeDrawing*>(cell->drawing.get());
            if (!drawing)
                continue;
            QDataStream in(bytes);
            in.setFloatingPointPrecision(QDataStream::SinglePrecision);
            in >> *drawing;
            if (in.status() != QDataStream::Ok) {
                raiseError(QObject::tr("Damaged strokes data"));
                return nullptr;
            }
            if (!identifier.isNull())
                cell->identifier = identifier;
            if (!copyId.isNull())
                drawing->setCopyId(copyId);
        } else if (name() == QLatin1String("clone")) {
            readCloneEntry(*cell, identifier);
        } else {
            skipCurrentElement();
        }
    }
    return cell;
}

std::shared_ptr<LayerItem> SceneReader::readOriginal(ReferenceLayer* layer)
{
    QXmlStreamAttributes const attrs = attributes();
    QUuid const identifier = toUuid(attrs.value(QLatin1String("identifier")));
    QUuid const copyId = toUuid(attrs.value(QLatin1String("copyId")));
    std::shared_ptr<LayerItem> cell = layer->blankItem();

    while (readNextStartElement()) {
        if (name() == QLatin1String("image")) {
            QByteArray const bytes = readBase64(QStringLiteral("image"));
            if (hasError())
                return nullptr;
            QDataStream in(bytes);
            QImage image;
            QSize size;
            StreamedPicture::Outcome const outcome = StreamedPicture::read(in, &image, &size);
            if (outcome != StreamedPicture::Read) {
                raiseError(outcome == StreamedPicture::TooLarge
                               ? StreamedPicture::tooLargeMessage(size)
                               : QObject::tr("Damaged image data"));
                return nullptr;
            }
            cell->drawing = std::make_shared<ImageDrawing>(image);
            if (!identifier.isNull())
                cell->identifier = identifier;
            if (!copyId.isNull())
                cell->drawing->setCopyId(copyId);
        } else if (name() == QLatin1String("clone")) {
            readCloneEntry(*cell, identifier);
        } else {
            skipCurrentElement();
        }
    }
    return cell;
}

void SceneReader::readCloneEntry(LayerItem& cell, QUuid const& original)
{
    DrawingRef const clone{toUuid(attributes().value(QLatin1String("layer"))),
                           toUuid(attributes().value(QLatin1String("drawing")))};
    // An original is no clone of itself; the entry would only be written back.
    bool const self = clone.layer == m_layerIdentifier && clone.drawing == original;
    if (!clone.layer.isNull() && !clone.drawing.isNull() && !self)
        cell.clones.append(clone);
    skipCurrentElement();
}

std::shared_ptr<LayerItem> SceneReader::readDistantClone(VisualLayer* layer)
{
    QUuid const identifier = toUuid(attributes().value(QLatin1String("identifier")));
    std::shared_ptr<LayerItem> cell;
    while (readNextStartElement()) {
        if (name() == QLatin1String("original")) {
            DrawingRef const original{toUuid(attributes().value(QLatin1String("layer"))),
                                      toUuid(attributes().value(QLatin1String("drawing")))};
            if (!original.layer.isNull() && !original.drawing.isNull()) {
                // The layer's blank drawing stands in until fixupReferences
                // points the cell at its original's drawing, and stays when
                // there is no original of the layer's kind.
                cell = std::make_shared<LayerItem>(
                    LayerItem::DistantClone,
                    identifier.isNull() ? QUuid::createUuid() : identifier,
                    layer->blankItem()->drawing);
                cell->original = original;
            }
        }
        skipCurrentElement();
    }
    return cell;
}

QTransform SceneReader::readOffPegsTransform()
{
    QXmlStreamAttributes const attrs = attributes();
    struct Part
    {
        QLatin1String name;
        double limit;
        double value;
    };
    Part parts[] = {{QLatin1String("xOffset"), maximumOffPegsOffset, 0.0},
                    {QLatin1String("yOffset"), maximumOffPegsOffset, 0.0},
                    {QLatin1String("rotationDeg"), maximumOffPegsRotation, 0.0}};
    for (Part& part : parts) {
        if (!attrs.hasAttribute(part.name))
            continue;
        QStringView const text = attrs.value(part.name);
        bool ok = false;
        double const value = parseDouble(text, part.name, &ok);
        if (hasError())
            return QTransform();
        if (ok && std::abs(value) > part.limit) {
            raiseError(QObject::tr("Invalid %1 \"%2\"").arg(part.name, text.toString()));
            return QTransform();
        }
        if (ok)
            part.value = value;
    }
    QTransform transform;
    transform.translate(parts[0].value, 0.0);
    transform.translate(0.0, parts[1].value);
    if (parts[2].value != 0.0)
        transform.rotate(parts[2].value);
    return transform;
}

} // namespace Model

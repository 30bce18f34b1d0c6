#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QSet>

#include <algorithm>
#include <climits>

namespace Model {

using namespace SceneDetail;

// --- clipboard form of drawings ----------------------------------------------

QString Scene::clipboardMimeType()
{
    return QStringLiteral("application/x-quillmere");
}

QMimeData* Scene::createMimeData(int layer, int first, int count) const
{
    VisualLayer const* const visual = visualLayer(layer);
    if (!visual)
        return nullptr;
    int const n = std::min(visual->length() - first + 1, count);
    if (first < 1 || n < 1)
        return nullptr;

    // The cell whose drawing a frame shows: holds repeat the cell before them.
    auto const sourceCell = [visual](int frame) {
        while (frame > 1 && visual->isHoldFrame(frame))
            --frame;
        return visual->layerItem(frame);
    };

    auto mimeData = std::make_unique<QMimeData>();
    QString const application = QGuiApplication::applicationDisplayName();
    if (n == 1)
        mimeData->setText(tr("%1 scene %2, Layer %3, frame %4")
                              .arg(application, name(), visual->name(), QString::number(first)));
    else
        mimeData->setText(tr("%1 scene %2, Layer %3, frames %4-%5")
                              .arg(application, name(), visual->name(), QString::number(first),
                                   QString::number(first + n - 1)));

    int const type = visual->type();
    std::shared_ptr<LayerItem> const firstSource = sourceCell(first);
    if (type == Layer::ReferenceLayerType) {
        auto const* picture = dynamic_cast<ImageDrawing const*>(firstSource->drawing.get());
        if (picture && !picture->image().isNull())
            mimeData->setImageData(picture->image());
    } else if (type == Layer::StrokeLayerType) {
        QImage image(visual->frameSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        visual->draw(first, &painter, image.rect());
        painter.end();
        mimeData->setImageData(image);
    }

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(type) << qint32(n);
    QSet<DrawingRef> written;
    for (int frame = first; frame < first + n; ++frame) {
        std::shared_ptr<LayerItem> const source = sourceCell(frame);
        QByteArray payload;
        QDataStream inner(&payload, QIODevice::WriteOnly);
        inner.setFloatingPointPrecision(QDataStream::SinglePrecision);
        inner << qint32(visual->layerItem(frame)->kind);

        DrawingRef const ref = source->kind == LayerItem::DistantClone
                                   ? source->original
                                   : source->reference(visual->identifier());
        Drawing* const drawing = source->drawing.get();
        if (!drawing || written.contains(ref)) {
            inner << (drawing ? drawing->currentCopyId() : QUuid()) << false;
        } else {
            if (drawing->currentCopyId().isNull())
                drawing->createCopyId();
            inner << drawing->currentCopyId() << true;
            if (type == Layer::StrokeLayerType) {
                if (auto const* strokes = dynamic_cast<StrokeDrawing const*>(drawing))
                    inner << *strokes;
            } else if (type == Layer::ReferenceLayerType) {
                if (auto const* picture = dynamic_cast<ImageDrawing const*>(drawing))
                    inner << picture->image();
            }
            written.insert(ref);
        }
        out.writeBytes(payload.constData(), uint(payload.size()));
    }
    mimeData->setData(clipboardMimeType(), bytes);
    return mimeData.release();
}

int Scene::numDrawingsInPaste(QMimeData const* mimeData) const
{
    if (!mimeData)
        return 0;
    int const active = validActiveLayer();
    if (mimeData->hasFormat(clipboardMimeType())) {
        QByteArray const bytes = mimeData->data(clipboardMimeType());
        QDataStream in(bytes);
        in.setFloatingPointPrecision(QDataStream::SinglePrecision);
        qint32 sourceType = 0;
        qint32 count = 0;
        in >> sourceType >> count;
        // A count below 1 pastes nothing, and content whose frames are not
        // all there is damaged: neither may enable pasting.
        if (in.status() != QDataStream::Ok || count < 1)
            return 0;
        for (qint32 i = 0; i < count; ++i) {
            quint32 length = 0;
            in >> length;
            if (in.status() != QDataStream::Ok || length > quint32(INT_MAX)
                || in.skipRawData(int(length)) != int(length))
                return 0;
        }
        return active >= 0 && layerType(active) == sourceType ? count : 0;
    }
    if (mimeData->hasImage())
        return active >= 0 && layerType(active) == Layer::ReferenceLayerType ? 1 : 0;
    return 0;
}

} // namespace Model

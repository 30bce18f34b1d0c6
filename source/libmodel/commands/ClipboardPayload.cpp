#include "commands/ClipboardPayload.h"

#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "images/StreamedPicture.h"
#include "scene/Layer.h"
#include "scene/Scene.h"

#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QMimeData>

namespace Commands {

namespace {

// Positions the stream of a block after its header.
QDataStream& readHeader(QDataStream& in, ClipboardPayload::Frame& frame)
{
    qint32 kind = 0;
    in >> kind >> frame.copyId >> frame.hasData;
    frame.kind = kind;
    return in;
}

std::shared_ptr<Model::Drawing> readDrawing(QDataStream& in, int layerType)
{
    if (layerType == Model::Layer::ReferenceLayerType) {
        QImage image;
        if (Model::StreamedPicture::read(in, &image) != Model::StreamedPicture::Read)
            return nullptr;
        return std::make_shared<Model::ImageDrawing>(image);
    }
    // A drawing without a size of its own takes the stream's.
    auto drawing = std::make_shared<Model::StrokeDrawing>(QSize());
    in >> *drawing;
    if (in.status() != QDataStream::Ok)
        return nullptr;
    return drawing;
}

} // namespace

QByteArray ClipboardPayload::bytesOf(QMimeData const* mimeData)
{
    if (!mimeData || !mimeData->hasFormat(Model::Scene::clipboardMimeType()))
        return QByteArray();
    return mimeData->data(Model::Scene::clipboardMimeType());
}

ClipboardPayload::ClipboardPayload(QByteArray const& bytes)
{
    QDataStream in(bytes);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    qint32 type = 0;
    qint32 count = 0;
    in >> type >> count;
    m_layerType = type;
    if (in.status() != QDataStream::Ok || count < 1
        || (type != Model::Layer::StrokeLayerType && type != Model::Layer::ReferenceLayerType))
        return;
    // Each block needs at least its length: a count beyond what the bytes
    // could hold is refused before anything is reserved for it.
    if (qint64(count) > (bytes.size() - in.device()->pos()) / qint64(sizeof(quint32)))
        return;
    for (qint32 k = 0; k < count; ++k) {
        QByteArray block;
        in >> block;
        if (in.status() != QDataStream::Ok || !readBlock(block))
            return;
    }
    m_valid = true;
}

bool ClipboardPayload::readBlock(QByteArray const& block)
{
    QDataStream in(block);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    Frame frame;
    readHeader(in, frame);
    if (in.status() != QDataStream::Ok || frame.kind < 0 || frame.kind > 2)
        return false;
    if (frame.hasData && !readDrawing(in, m_layerType))
        return false;
    m_frames.append(frame);
    m_blocks.append(block);
    return true;
}

std::shared_ptr<Model::Drawing> ClipboardPayload::drawing(int k) const
{
    if (k < 0 || k >= m_frames.size() || !m_frames.at(k).hasData)
        return nullptr;
    QDataStream in(m_blocks.at(k));
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    Frame frame;
    readHeader(in, frame);
    std::shared_ptr<Model::Drawing> drawing = readDrawing(in, m_layerType);
    if (drawing)
        drawing->setCopyId(frame.copyId);
    return drawing;
}

} // namespace Commands

#pragma once

#include <QByteArray>
#include <QList>
#include <QUuid>

#include <memory>

class QMimeData;

namespace Model {
class Drawing;
}

namespace Commands {

// The scene's own clipboard content as paste reads it: the layer type the
// frames were copied from, their count, and one block per frame. Content
// from another program or a damaged clipboard is refused as a whole, before
// anything is pasted: a frame count that the blocks present do not match, a
// stream that does not read, a layer type other than stroke or reference,
// or a block whose header or drawing does not read.
class ClipboardPayload
{
public:
    // One frame: the cell kind (0 original, 1 hold, 2 distant clone), the
    // copy id of the drawing it shows and, the first time that drawing
    // appears, the drawing itself.
    struct Frame
    {
        int kind = 0;
        QUuid copyId;
        bool hasData = false;
    };

    // The bytes of the scene's clipboard format, empty without it.
    static QByteArray bytesOf(QMimeData const* mimeData);

    // Reads the bytes afresh: paste keeps the bytes, not what they hold.
    explicit ClipboardPayload(QByteArray const& bytes);

    bool isValid() const { return m_valid; }
    int layerType() const { return m_layerType; }
    int frameCount() const { return int(m_frames.size()); }
    Frame const& frame(int k) const { return m_frames.at(k); }
    // A new drawing made from the frame's data, null without data.
    std::shared_ptr<Model::Drawing> drawing(int k) const;

private:
    bool readBlock(QByteArray const& block);

    int m_layerType = 0;
    bool m_valid = false;
    QList<Frame> m_frames;
    QList<QByteArray> m_blocks;
};

} // namespace Commands

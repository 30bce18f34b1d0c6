#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QList>

namespace Model {

// A scene document split into its structure and its payloads. Drawings,
// pictures and the sound are long base64 texts; reading them through the XML
// reader costs a UTF-16 copy of every byte, while the structure around them
// is small. The outline is a device that reads as the document with the text
// of each payload element (strokes, image, originalAudioData) replaced by one
// '*', beside the list of where each such text lies in the document, so that
// the payloads can be decoded straight from the document's bytes.
//
// The document is neither copied nor read ahead: the XML reader takes the
// outline piece by piece, so a reading that stops at an error touches nothing
// of the document beyond it. Only the search for payloads walks the markup
// beforehand, and it stops at the first byte no XML document may hold.
//
// Only payloads that are plain base64 (no whitespace, entities or markup)
// directly followed by their own end tag are taken out; anything else stays
// for the XML reader to read or refuse as before. A document the outline
// cannot follow (another encoding, a byte-order mark, a document type with
// declarations) keeps all of its text. The marker is no base64, so a payload
// the reader does not find in the list is refused rather than read as empty.
class SceneFileOutline : public QIODevice
{
public:
    struct Payload
    {
        qint64 outlineOffset = 0; // characters before the marker in the outline
        qsizetype begin = 0;      // the text's bytes in the document
        qsizetype size = 0;
    };

    // The document must outlive the outline. Without carriage returns, the
    // outline reads as the document does through a device in text mode.
    explicit SceneFileOutline(QByteArrayView document, bool withoutCarriageReturns = false);
    ~SceneFileOutline() override;

    QByteArrayView document() const;
    QList<Payload> const& payloads() const;

    // The payload whose marker follows the given character offset of the
    // outline (where the XML reader stands after the payload's start tag),
    // or -1.
    int payloadAt(qint64 outlineOffset) const;
    // The column in the document of a position of the outline given as the
    // XML reader counts it: its character offset and its column.
    qint64 documentColumn(qint64 outlineOffset, qint64 outlineColumn) const;
    // About where in the document, in bytes, a character offset of the
    // outline lies (exactly, while the text is ASCII).
    qsizetype documentOffset(qint64 outlineOffset) const;

    bool isSequential() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(char const* data, qint64 maxSize) override;

private:
    void cutPayloads();

    QByteArrayView m_document;
    bool m_withoutCarriageReturns = false;
    QList<Payload> m_payloads;
    qsizetype m_position = 0;    // the next document byte the outline gives
    qsizetype m_nextPayload = 0; // the first payload not yet passed
};

} // namespace Model

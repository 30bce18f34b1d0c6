#pragma once

#include <QByteArray>
#include <QList>

namespace Model {

// A scene document split into its structure and its payloads. Drawings,
// pictures and the sound are long base64 texts; reading them through the XML
// reader costs a UTF-16 copy of every byte, while the structure around them
// is small. The outline is the document with the text of each payload element
// (strokes, image, originalAudioData) replaced by one '*', and the list of
// where each such text lies in the document, so that the payloads can be
// decoded straight from the document's bytes.
//
// Only payloads that are plain base64 (no whitespace, entities or markup)
// directly followed by their own end tag are taken out; anything else stays
// for the XML reader to read or refuse as before. A document the outline
// cannot follow (another encoding, a byte-order mark, a document type with
// declarations) keeps all of its text. The marker is no base64, so a payload
// the reader does not find in the list is refused rather than read as empty.
class SceneFileOutline
{
public:
    struct Payload
    {
        qint64 outlineOffset = 0; // characters before the marker in the outline
        qsizetype begin = 0;      // the text's bytes in the document
        qsizetype size = 0;
    };

    explicit SceneFileOutline(QByteArray document);

    QByteArray const& document() const;
    QByteArray const& outline() const;
    QList<Payload> const& payloads() const;

    // The payload whose marker follows the given character offset of the
    // outline (where the XML reader stands after the payload's start tag),
    // or -1.
    int payloadAt(qint64 outlineOffset) const;
    // The column in the document of a position of the outline given as the
    // XML reader counts it: its character offset and its column.
    qint64 documentColumn(qint64 outlineOffset, qint64 outlineColumn) const;

private:
    void cutPayloads();

    QByteArray m_document;
    QByteArray m_outline;
    QList<Payload> m_payloads;
};

} // namespace Model

#include "files/SceneFileOutline.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Model {

namespace {

constexpr std::array<std::uint8_t, 256> makeBase64Characters()
{
    std::array<std::uint8_t, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c)
        table[std::size_t(c)] = table[std::size_t(c - 'A' + 'a')] = 1;
    for (int c = '0'; c <= '9'; ++c)
        table[std::size_t(c)] = 1;
    table[std::size_t('+')] = table[std::size_t('/')] = table[std::size_t('=')] = 1;
    return table;
}

constexpr std::array<std::uint8_t, 256> base64Characters = makeBase64Characters();

// The control characters but tab, line feed and carriage return: no XML
// document holds them anywhere, so the XML reader stops at the first one.
constexpr std::array<std::uint8_t, 256> makeNeverInXml()
{
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 0x20; ++c)
        table[std::size_t(c)] = c != '\t' && c != '\n' && c != '\r';
    return table;
}

constexpr std::array<std::uint8_t, 256> neverInXml = makeNeverInXml();

// Payloads taken out at most, far more than the program writes in a scene;
// past them the rest of the document stays whole, so that the list never
// costs more than a small part of a load.
constexpr qsizetype payloadsAtMost = 4000000;

// An XML declaration longer than this is not one the outline follows.
constexpr qsizetype declarationAtMost = 1024;

bool isNeverInXml(char c)
{
    return neverInXml[std::uint8_t(c)] != 0;
}

// The first byte from `from` that is not of the base64 alphabet or its
// padding, or size. Payloads are nearly all of a document; this runs without
// a branch per byte.
qsizetype base64End(char const* text, qsizetype from, qsizetype size)
{
    auto const* bytes = reinterpret_cast<std::uint8_t const*>(text);
    qsizetype i = from;
    for (; i + 8 <= size; i += 8) {
        std::uint8_t const all = base64Characters[bytes[i]] & base64Characters[bytes[i + 1]]
                                 & base64Characters[bytes[i + 2]] & base64Characters[bytes[i + 3]]
                                 & base64Characters[bytes[i + 4]] & base64Characters[bytes[i + 5]]
                                 & base64Characters[bytes[i + 6]] & base64Characters[bytes[i + 7]];
        if (!all)
            break;
    }
    while (i < size && base64Characters[bytes[i]])
        ++i;
    return i;
}

bool endsName(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == '>' || c == '<';
}

bool isPayloadName(QByteArrayView name)
{
    return name == QByteArrayView("strokes") || name == QByteArrayView("image")
           || name == QByteArrayView("originalAudioData");
}

// Whether the document is UTF-8 as the XML reader will read it: it starts
// with markup (no byte-order mark, no UTF-16) and declares no other encoding.
bool readsAsUtf8(QByteArrayView document)
{
    if (!document.startsWith('<'))
        return false;
    if (!document.startsWith("<?xml"))
        return true;
    qsizetype const end = document.first(std::min(document.size(), declarationAtMost)).indexOf("?>");
    if (end < 0)
        return false;
    QByteArrayView const declaration = document.first(end);
    qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return true;
    at = declaration.indexOf('=', at);
    if (at < 0)
        return false;
    QByteArray const value = declaration.sliced(at + 1).toByteArray().trimmed();
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\''))
        return false;
    qsizetype const close = value.indexOf(value.front(), 1);
    return close > 0 && value.mid(1, close - 1).compare("UTF-8", Qt::CaseInsensitive) == 0;
}

} // namespace

SceneFileOutline::SceneFileOutline(QByteArrayView document, bool withoutCarriageReturns)
    : m_document(document)
    , m_withoutCarriageReturns(withoutCarriageReturns)
{
    cutPayloads();
}

SceneFileOutline::~SceneFileOutline() = default;

QByteArrayView SceneFileOutline::document() const
{
    return m_document;
}

QList<SceneFileOutline::Payload> const& SceneFileOutline::payloads() const
{
    return m_payloads;
}

qsizetype SceneFileOutline::documentOffset(qint64 outlineOffset) const
{
    // Counted on from the end of the last payload before the offset.
    auto const after = std::lower_bound(
        m_payloads.cbegin(), m_payloads.cend(), outlineOffset,
        [](Payload const& payload, qint64 offset) { return payload.outlineOffset < offset; });
    qint64 offset = outlineOffset;
    if (after != m_payloads.cbegin()) {
        Payload const& before = *(after - 1);
        offset = before.begin + before.size + (outlineOffset - before.outlineOffset - 1);
    }
    return qsizetype(std::clamp<qint64>(offset, 0, m_document.size()));
}

bool SceneFileOutline::isSequential() const
{
    return true;
}

qint64 SceneFileOutline::bytesAvailable() const
{
    return m_document.size() - m_position + QIODevice::bytesAvailable();
}

qint64 SceneFileOutline::writeData(char const*, qint64)
{
    return -1;
}

qint64 SceneFileOutline::readData(char* data, qint64 maxSize)
{
    char const* const document = m_document.data();
    qsizetype const size = m_document.size();
    qint64 written = 0;
    while (written < maxSize && m_position < size) {
        qsizetype stop = size;
        if (m_nextPayload < m_payloads.size()) {
            Payload const& payload = m_payloads.at(m_nextPayload);
            if (m_position == payload.begin) {
                data[written++] = '*';
                m_position += payload.size;
                ++m_nextPayload;
                continue;
            }
            stop = payload.begin;
        }
        qsizetype const count = qsizetype(std::min<qint64>(stop - m_position, maxSize - written));
        if (m_withoutCarriageReturns) {
            for (qsizetype i = 0; i < count; ++i) {
                char const c = document[m_position + i];
                if (c != '\r')
                    data[written++] = c;
            }
        } else {
            std::memcpy(data + written, document + m_position, size_t(count));
            written += count;
        }
        m_position += count;
    }
    return written;
}

void SceneFileOutline::cutPayloads()
{
    if (!readsAsUtf8(m_document))
        return;
    char const* const data = m_document.data();
    qsizetype const size = m_document.size();

    // The reader counts offsets in UTF-16 units of the decoded text; the
    // same decoder counts them here, piece by piece.
    QStringDecoder toUtf16(QStringDecoder::Utf8);
    constexpr qsizetype piece = 16384;
    std::vector<char> kept(static_cast<size_t>(piece));
    std::vector<QChar> decoded(static_cast<size_t>(toUtf16.requiredSpace(piece)));
    qint64 characters = 0;
    qsizetype counted = 0;
    auto const countUpTo = [&](qsizetype end) {
        while (counted < end) {
            qsizetype const length = std::min(piece, end - counted);
            QByteArrayView part(data + counted, length);
            if (m_withoutCarriageReturns && part.contains('\r')) {
                auto const last = std::remove_copy(part.begin(), part.end(), kept.begin(), '\r');
                part = QByteArrayView(kept.data(), last - kept.begin());
            }
            characters += toUtf16.appendToBuffer(decoded.data(), part) - decoded.data();
            counted += length;
        }
    };
    auto const startsAt = [&](qsizetype at, char const* what) {
        qsizetype const length = qsizetype(std::strlen(what));
        return at + length <= size && std::memcmp(data + at, what, size_t(length)) == 0;
    };
    // Where what starts from `from` on, or -1 when the document ends or a
    // byte the XML reader stops at comes first.
    auto const find = [&](char const* what, qsizetype from) -> qsizetype {
        for (qsizetype at = from; at < size; ++at) {
            if (data[at] == what[0] && startsAt(at, what))
                return at;
            if (isNeverInXml(data[at]))
                return -1;
        }
        return -1;
    };

    // Markup is followed only as far as it is understood; from the first
    // construct that is not, the rest of the document stays whole. Nothing
    // is followed past a byte the XML reader stops at: a document of
    // gigabytes behind such a byte costs no more than the bytes before it.
    qsizetype at = 0;
    while (at < size && m_payloads.size() < payloadsAtMost) {
        while (at < size && data[at] != '<') {
            if (isNeverInXml(data[at]))
                return;
            ++at;
        }
        if (at >= size)
            return;
        if (startsAt(at, "<!--")) {
            qsizetype const end = find("-->", at + 4);
            if (end < 0)
                return;
            at = end + 3;
        } else if (startsAt(at, "<![CDATA[")) {
            qsizetype const end = find("]]>", at + 9);
            if (end < 0)
                return;
            at = end + 3;
        } else if (startsAt(at, "<?")) {
            qsizetype const end = find("?>", at + 2);
            if (end < 0)
                return;
            at = end + 2;
        } else if (startsAt(at, "<!") || startsAt(at, "</")) {
            // A document type only without declarations or quoted names.
            qsizetype const end = find(">", at);
            if (end < 0)
                return;
            QByteArrayView const inside(data + at, end - at);
            if (inside.contains('[') || inside.contains('"') || inside.contains('\''))
                return;
            at = end + 1;
        } else {
            qsizetype nameEnd = at + 1;
            while (nameEnd < size && !endsName(data[nameEnd]) && !isNeverInXml(data[nameEnd]))
                ++nameEnd;
            qsizetype end = nameEnd;
            char quote = 0;
            for (; end < size; ++end) {
                char const c = data[end];
                if (isNeverInXml(c))
                    return;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>' || c == '<') {
                    break;
                }
            }
            if (end >= size || data[end] == '<')
                return;
            QByteArrayView const name(data + at + 1, nameEnd - at - 1);
            bool const empty = data[end - 1] == '/';
            at = end + 1;
            if (empty || !isPayloadName(name))
                continue;
            qsizetype const text = base64End(data, at, size);
            if (text >= size || data[text] != '<')
                continue;
            qsizetype const close = text + 2 + name.size();
            if (close >= size || data[text + 1] != '/'
                || std::memcmp(data + text + 2, name.data(), size_t(name.size())) != 0
                || data[close] != '>')
                continue;
            countUpTo(at);
            m_payloads.append(Payload{characters, at, text - at});
            characters += 1;
            counted = text;
            at = text;
        }
    }
}

int SceneFileOutline::payloadAt(qint64 outlineOffset) const
{
    auto const found = std::lower_bound(
        m_payloads.cbegin(), m_payloads.cend(), outlineOffset,
        [](Payload const& payload, qint64 offset) { return payload.outlineOffset < offset; });
    if (found == m_payloads.cend() || found->outlineOffset != outlineOffset)
        return -1;
    return int(found - m_payloads.cbegin());
}

qint64 SceneFileOutline::documentColumn(qint64 outlineOffset, qint64 outlineColumn) const
{
    // Payload texts hold no line breaks: only those earlier on the same line
    // move the column.
    qint64 const lineStart = outlineOffset - outlineColumn;
    auto found = std::lower_bound(
        m_payloads.cbegin(), m_payloads.cend(), lineStart,
        [](Payload const& payload, qint64 offset) { return payload.outlineOffset < offset; });
    qint64 column = outlineColumn;
    for (; found != m_payloads.cend() && found->outlineOffset < outlineOffset; ++found)
        column += found->size - 1;
    return column;
}

} // namespace Model

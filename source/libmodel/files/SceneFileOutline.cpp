#include "files/SceneFileOutline.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

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

// Whether every byte is of the base64 alphabet or its padding. Payloads are
// nearly all of a document; this runs without a branch per byte.
bool isBase64Text(char const* text, qsizetype size)
{
    auto const* bytes = reinterpret_cast<std::uint8_t const*>(text);
    std::uint8_t all = 1;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        all &= base64Characters[bytes[i]] & base64Characters[bytes[i + 1]]
               & base64Characters[bytes[i + 2]] & base64Characters[bytes[i + 3]]
               & base64Characters[bytes[i + 4]] & base64Characters[bytes[i + 5]]
               & base64Characters[bytes[i + 6]] & base64Characters[bytes[i + 7]];
        if (!all)
            return false;
    }
    for (; i < size; ++i)
        all &= base64Characters[bytes[i]];
    return all != 0;
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
bool readsAsUtf8(QByteArray const& document)
{
    if (!document.startsWith('<'))
        return false;
    if (!document.startsWith("<?xml"))
        return true;
    qsizetype const end = document.indexOf("?>");
    if (end < 0)
        return false;
    QByteArray const declaration = document.left(end);
    qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return true;
    at = declaration.indexOf('=', at);
    if (at < 0)
        return false;
    QByteArray const value = declaration.mid(at + 1).trimmed();
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\''))
        return false;
    qsizetype const close = value.indexOf(value.front(), 1);
    return close > 0 && value.mid(1, close - 1).compare("UTF-8", Qt::CaseInsensitive) == 0;
}

} // namespace

SceneFileOutline::SceneFileOutline(QByteArray document)
    : m_document(std::move(document))
{
    cutPayloads();
}

QByteArray const& SceneFileOutline::document() const
{
    return m_document;
}

QByteArray const& SceneFileOutline::outline() const
{
    return m_outline;
}

QList<SceneFileOutline::Payload> const& SceneFileOutline::payloads() const
{
    return m_payloads;
}

void SceneFileOutline::cutPayloads()
{
    if (!readsAsUtf8(m_document)) {
        m_outline = m_document;
        return;
    }
    char const* const data = m_document.constData();
    qsizetype const size = m_document.size();
    // The reader counts offsets in UTF-16 units of the decoded text; the
    // same decoder counts them here.
    QStringDecoder toUtf16(QStringDecoder::Utf8);
    qint64 characters = 0;
    qsizetype copied = 0;
    auto const copyUpTo = [&](qsizetype end) {
        QByteArrayView const part(data + copied, end - copied);
        m_outline.append(part);
        characters += QString(toUtf16.decode(part)).size();
        copied = end;
    };
    auto const find = [&](char const* what, qsizetype from) {
        return m_document.indexOf(what, from);
    };
    auto const startsAt = [&](qsizetype at, char const* what) {
        qsizetype const length = qsizetype(std::strlen(what));
        return at + length <= size && std::memcmp(data + at, what, size_t(length)) == 0;
    };

    // Markup is followed only as far as it is understood; from the first
    // construct that is not, the rest of the document stays whole.
    qsizetype at = 0;
    while (at < size) {
        auto const* const open = static_cast<char const*>(std::memchr(data + at, '<', size_t(size - at)));
        if (!open)
            break;
        at = open - data;
        if (startsAt(at, "<!--")) {
            qsizetype const end = find("-->", at + 4);
            if (end < 0)
                break;
            at = end + 3;
        } else if (startsAt(at, "<![CDATA[")) {
            qsizetype const end = find("]]>", at + 9);
            if (end < 0)
                break;
            at = end + 3;
        } else if (startsAt(at, "<?")) {
            qsizetype const end = find("?>", at + 2);
            if (end < 0)
                break;
            at = end + 2;
        } else if (startsAt(at, "<!") || startsAt(at, "</")) {
            // A document type only without declarations or quoted names.
            qsizetype const end = m_document.indexOf('>', at);
            if (end < 0)
                break;
            QByteArrayView const inside(data + at, end - at);
            if (inside.contains('[') || inside.contains('"') || inside.contains('\''))
                break;
            at = end + 1;
        } else {
            qsizetype nameEnd = at + 1;
            while (nameEnd < size && !endsName(data[nameEnd]))
                ++nameEnd;
            qsizetype end = nameEnd;
            char quote = 0;
            for (; end < size; ++end) {
                char const c = data[end];
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
                break;
            QByteArrayView const name(data + at + 1, nameEnd - at - 1);
            bool const empty = data[end - 1] == '/';
            at = end + 1;
            if (empty || !isPayloadName(name))
                continue;
            auto const* const next =
                static_cast<char const*>(std::memchr(data + at, '<', size_t(size - at)));
            if (!next)
                break;
            qsizetype const text = next - data;
            if (!isBase64Text(data + at, text - at))
                continue;
            qsizetype const close = text + 2 + name.size();
            if (close >= size || data[text + 1] != '/'
                || std::memcmp(data + text + 2, name.data(), size_t(name.size())) != 0
                || data[close] != '>')
                continue;
            copyUpTo(at);
            m_payloads.append(Payload{characters, at, text - at});
            m_outline.append('*');
            characters += 1;
            copied = text;
            at = text;
        }
    }
    copyUpTo(size);
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

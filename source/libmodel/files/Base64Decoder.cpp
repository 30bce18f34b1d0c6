#include "files/Base64Decoder.h"

#include <array>
#include <cstdint>

namespace Model {

namespace {

constexpr std::uint8_t invalid = 0xff;

constexpr std::array<std::uint8_t, 256> makeTable()
{
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table)
        entry = invalid;
    for (int i = 0; i < 26; ++i) {
        table[std::size_t('A' + i)] = std::uint8_t(i);
        table[std::size_t('a' + i)] = std::uint8_t(26 + i);
    }
    for (int i = 0; i < 10; ++i)
        table[std::size_t('0' + i)] = std::uint8_t(52 + i);
    table[std::size_t('+')] = 62;
    table[std::size_t('/')] = 63;
    return table;
}

constexpr std::array<std::uint8_t, 256> values = makeTable();

inline std::uint8_t valueOf(char c)
{
    return values[std::uint8_t(c)];
}

} // namespace

bool Base64Decoder::decode(char const* text, qsizetype size, QByteArray* out)
{
    out->clear();
    qsizetype length = size;
    if (length > 0 && text[length - 1] == '=') {
        --length;
        if (length > 0 && text[length - 1] == '=')
            --length;
        if (size % 4 != 0)
            return false;
    }
    // Any padding left is in the middle of the text, where it is refused
    // below as any other character outside the alphabet.
    qsizetype const quads = length / 4;
    qsizetype const rest = length % 4;
    QByteArray decoded(quads * 3 + (rest > 1 ? rest - 1 : 0), Qt::Uninitialized);
    auto* to = reinterpret_cast<std::uint8_t*>(decoded.data());
    auto const* from = reinterpret_cast<std::uint8_t const*>(text);

    std::uint32_t bad = 0;
    for (qsizetype q = 0; q < quads; ++q, from += 4, to += 3) {
        std::uint32_t const a = values[from[0]];
        std::uint32_t const b = values[from[1]];
        std::uint32_t const c = values[from[2]];
        std::uint32_t const d = values[from[3]];
        bad |= a | b | c | d;
        std::uint32_t const bits = (a << 18) | (b << 12) | (c << 6) | d;
        to[0] = std::uint8_t(bits >> 16);
        to[1] = std::uint8_t(bits >> 8);
        to[2] = std::uint8_t(bits);
    }
    // Valid values fit in six bits; the invalid mark sets the seventh.
    if (bad & 0x40)
        return false;

    std::uint32_t bits = 0;
    for (qsizetype i = 0; i < rest; ++i) {
        std::uint8_t const value = valueOf(char(from[i]));
        if (value == invalid)
            return false;
        bits = (bits << 6) | value;
    }
    if (rest == 2) {
        to[0] = std::uint8_t(bits >> 4);
    } else if (rest == 3) {
        to[0] = std::uint8_t(bits >> 10);
        to[1] = std::uint8_t(bits >> 2);
    }
    *out = std::move(decoded);
    return true;
}

} // namespace Model

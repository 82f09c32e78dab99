#include "settings/store/scrambler.h"

namespace brindle {

static std::uint16_t NextKey(std::uint8_t scrambled, std::uint16_t key)
{
    return std::uint16_t((std::uint32_t(scrambled) + key) * 52845u + 22719u);
}

QByteArray Scramble(const QByteArray &text, std::uint16_t key)
{
    QByteArray out(text.size(), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = std::uint8_t(std::uint8_t(text.at(i)) ^ (key >> 8));
        out[i] = char(c);
        key = NextKey(c, key);
    }
    return out;
}

QByteArray Unscramble(const QByteArray &data, std::uint16_t key)
{
    QByteArray out(data.size(), '\0');
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto c = std::uint8_t(data.at(i));
        out[i] = char(c ^ (key >> 8));
        key = NextKey(c, key);
    }
    return out;
}

} // namespace brindle

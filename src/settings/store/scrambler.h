#pragma once

#include <QByteArray>

#include <cstdint>

namespace brindle {

// Keys of the stored credentials: the user name (UMask) and the login profiles'
// passwords use the first, the session password (Persistence) the second.
inline constexpr std::uint16_t kUserNameScrambleKey = 8462;
inline constexpr std::uint16_t kPasswordScrambleKey = 7319;

// The credential scrambler. A 16-bit key k starts at the given key; each byte b
// gives c = b xor (high byte of k), then k = ((c + k) * 52845 + 22719) mod 65536.
// Unscramble runs the same with the scrambled bytes, so
// Unscramble(Scramble(t, k), k) == t. A scrambled form may contain zero bytes.
QByteArray Scramble(const QByteArray &text, std::uint16_t key);
QByteArray Unscramble(const QByteArray &data, std::uint16_t key);

} // namespace brindle

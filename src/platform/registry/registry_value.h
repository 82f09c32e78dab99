#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace brindle {

// Type of a stored value, numbered as in registry export files ("hex(n):").
// Any other number may be stored too; its data is then only read raw.
enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    Dword = 4,
    MultiString = 7,
    Qword = 11,
};

// One value as stored: its type and its raw bytes.
//
// Raw forms: String and ExpandString hold UTF-8 text followed by one zero byte;
// MultiString holds each text followed by a zero byte, then one more zero byte;
// Dword and Qword hold 4 and 8 bytes, least significant first; Binary holds the
// bytes unchanged. So an empty string still has data (its terminator), as a
// registry export expects.
struct RegistryValue {
    RegistryType type = RegistryType::None;
    QByteArray data;

    static RegistryValue FromString(const QString &text);
    static RegistryValue FromExpandString(const QString &text);
    static RegistryValue FromMultiString(const QStringList &texts);
    static RegistryValue FromDword(std::uint32_t number);
    static RegistryValue FromQword(std::uint64_t number);
    static RegistryValue FromBinary(const QByteArray &bytes);

    bool IsString() const { return type == RegistryType::String || type == RegistryType::ExpandString; }

    // The text of a String or ExpandString value, up to its first zero byte;
    // nothing for other types.
    std::optional<QString> ToString() const;
    // The texts of a MultiString value; nothing for other types.
    std::optional<QStringList> ToMultiString() const;
    // The number of a Dword (exactly 4 bytes) or Qword (exactly 8 bytes) value.
    std::optional<std::uint32_t> ToDword() const;
    std::optional<std::uint64_t> ToQword() const;

    bool operator==(const RegistryValue &) const = default;
};

} // namespace brindle

#include "platform/registry/registry_value.h"

#include <QtEndian>

namespace brindle {

static QByteArray Terminated(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');
    return bytes;
}

RegistryValue RegistryValue::FromString(const QString &text)
{
    return {RegistryType::String, Terminated(text)};
}

RegistryValue RegistryValue::FromExpandString(const QString &text)
{
    return {RegistryType::ExpandString, Terminated(text)};
}

RegistryValue RegistryValue::FromMultiString(const QStringList &texts)
{
    QByteArray bytes;
    for (const QString &text : texts)
        bytes += Terminated(text);
    bytes.append('\0');
    return {RegistryType::MultiString, bytes};
}

RegistryValue RegistryValue::FromDword(std::uint32_t number)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(number, bytes.data());
    return {RegistryType::Dword, bytes};
}

RegistryValue RegistryValue::FromQword(std::uint64_t number)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(number, bytes.data());
    return {RegistryType::Qword, bytes};
}

RegistryValue RegistryValue::FromBinary(const QByteArray &bytes)
{
    return {RegistryType::Binary, bytes};
}

std::optional<QString> RegistryValue::ToString() const
{
    if (!IsString())
        return std::nullopt;
    const qsizetype end = data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? data : data.left(end));
}

std::optional<QStringList> RegistryValue::ToMultiString() const
{
    if (type != RegistryType::MultiString)
        return std::nullopt;
    QStringList texts;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\0', start);
        if (end < 0)
            end = data.size();
        if (end == start) // the closing empty text
            break;
        texts.append(QString::fromUtf8(data.mid(start, end - start)));
        start = end + 1;
    }
    return texts;
}

std::optional<std::uint32_t> RegistryValue::ToDword() const
{
    if (type != RegistryType::Dword || data.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<std::uint32_t>(data.constData());
}

std::optional<std::uint64_t> RegistryValue::ToQword() const
{
    if (type != RegistryType::Qword || data.size() != 8)
        return std::nullopt;
    return qFromLittleEndian<std::uint64_t>(data.constData());
}

} // namespace brindle

#include "settings/store/typed_setting.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace brindle {

namespace {

constexpr double kMsPerDay = 86400000.0;

QDate DayZero()
{
    return QDate(1899, 12, 30);
}

RegistryValue DoubleValue(double number)
{
    quint64 bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    QByteArray bytes(8, '\0');
    qToLittleEndian(bits, bytes.data());
    return RegistryValue::FromBinary(bytes);
}

std::optional<double> DoubleOf(const RegistryValue &stored)
{
    if (stored.type != RegistryType::Binary || stored.data.size() != 8)
        return std::nullopt;
    const quint64 bits = qFromLittleEndian<quint64>(stored.data.constData());
    double number = 0;
    std::memcpy(&number, &bits, sizeof number);
    if (!std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<double> DayCountOf(const QVariant &value, SettingType type)
{
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime when = value.toDateTime();
        return when.isValid() ? std::optional(DayCountFromDateTime(when)) : std::nullopt;
    }
    if (type == SettingType::Time) {
        const QTime time = value.toTime();
        return time.isValid() ? std::optional(time.msecsSinceStartOfDay() / kMsPerDay) : std::nullopt;
    }
    const QDate date = value.toDate();
    return date.isValid() ? std::optional(double(DayZero().daysTo(date))) : std::nullopt;
}

} // namespace

double DayCountFromDateTime(const QDateTime &when)
{
    return double(DayZero().daysTo(when.date())) + when.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDate DateFromDayCount(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return {};
    return DayZero().addDays(qint64(std::trunc(days)));
}

QTime TimeFromDayCount(double days)
{
    const double fraction = std::fabs(days - std::trunc(days));
    const int ms = int(std::min<long long>(std::llround(fraction * kMsPerDay), 86399999));
    return QTime::fromMSecsSinceStartOfDay(ms);
}

std::optional<RegistryValue> ToStoredSetting(const QVariant &value, SettingType type)
{
    bool ok = false;
    switch (type) {
    case SettingType::Integer: {
        const int number = value.toInt(&ok);
        return ok ? std::optional(RegistryValue::FromDword(quint32(number))) : std::nullopt;
    }
    case SettingType::Boolean:
        return RegistryValue::FromDword(value.toBool() ? 1 : 0);
    case SettingType::String:
        return RegistryValue::FromString(value.toString());
    case SettingType::Date:
    case SettingType::Time: {
        const auto days = DayCountOf(value, type);
        return days ? std::optional(DoubleValue(*days)) : std::nullopt;
    }
    case SettingType::Float: {
        const double number = value.toDouble(&ok);
        return ok ? std::optional(DoubleValue(number)) : std::nullopt;
    }
    case SettingType::Currency: {
        const double amount = value.toDouble(&ok);
        if (!ok || !std::isfinite(amount) || std::fabs(amount) > 9.2e14)
            return std::nullopt;
        QByteArray bytes(8, '\0');
        qToLittleEndian(qint64(std::llround(amount * 10000.0)), bytes.data());
        return RegistryValue::FromBinary(bytes);
    }
    }
    return std::nullopt;
}

QVariant FromStoredSetting(const RegistryValue &stored, SettingType type)
{
    switch (type) {
    case SettingType::Integer:
        if (const auto number = stored.ToDword())
            return int(qint32(*number));
        return {};
    case SettingType::Boolean:
        if (const auto number = stored.ToDword())
            return *number != 0;
        return {};
    case SettingType::String:
        if (const auto text = stored.ToString())
            return *text;
        return {};
    case SettingType::Date:
        if (const auto days = DoubleOf(stored); days && DateFromDayCount(*days).isValid())
            return DateFromDayCount(*days);
        return {};
    case SettingType::Time:
        if (const auto days = DoubleOf(stored))
            return TimeFromDayCount(*days);
        return {};
    case SettingType::Float:
        if (const auto number = DoubleOf(stored))
            return *number;
        return {};
    case SettingType::Currency:
        if (stored.type == RegistryType::Binary && stored.data.size() == 8)
            return double(qFromLittleEndian<qint64>(stored.data.constData())) / 10000.0;
        return {};
    }
    return {};
}

} // namespace brindle

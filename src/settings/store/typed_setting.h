#pragma once

#include "platform/registry/registry_value.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QVariant>

#include <optional>

namespace brindle {

// How a typed setting is stored:
//   Integer   DWORD, the int's 32 bits
//   Boolean   DWORD 1 or 0; reads true when not 0
//   String    string value
//   Date      8-byte binary: a double counting days from 30 December 1899
//             (a QDateTime also stores its local time of day as the fraction)
//   Time      8-byte binary: the same double, the time of day as the fraction
//             (a QTime alone gives day 0)
//   Float     8-byte binary: the double
//   Currency  8-byte binary: a 64-bit integer of ten-thousandths (four fixed
//             decimals, as a currency amount is kept); read back as a double
// All numbers little-endian. A value of another type or size reads as nothing.
enum class SettingType { Integer, Boolean, String, Date, Time, Float, Currency };

// The stored form of value as the type asks for, or nothing when value does not convert.
std::optional<RegistryValue> ToStoredSetting(const QVariant &value, SettingType type);

// The value of the given type (int, bool, QString, QDate, QTime, double, double),
// or an invalid variant when the stored value is not of that type.
QVariant FromStoredSetting(const RegistryValue &stored, SettingType type);

// Day count from 30 December 1899, with the time of day as the fraction.
double DayCountFromDateTime(const QDateTime &when);
QDate DateFromDayCount(double days);
QTime TimeFromDayCount(double days);

} // namespace brindle

#include "platform/ini/ini_file.h"

// Only the narrow-character parser is used; text is kept as UTF-8 throughout.
// The parser is instantiated here with our own name order, so its template
// bodies are compiled in this file.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brindle {

namespace {

constexpr int kMaxLength = 255;

QString Folded(const char *utf8)
{
    return QString::fromUtf8(utf8).toCaseFolded();
}

// Section and key order of the parser: without regard to case, for every
// script. Plain ASCII, the usual case, never leaves the byte loop.
struct FoldedLess {
    bool operator()(const char *left, const char *right) const
    {
        for (; *left && *right; ++left, ++right) {
            const auto l = static_cast<unsigned char>(*left);
            const auto r = static_cast<unsigned char>(*right);
            if (l >= 0x80 || r >= 0x80)
                return QString::compare(Folded(left), Folded(right), Qt::CaseSensitive) < 0;
            const int diff = AsciiLower(l) - AsciiLower(r);
            if (diff != 0)
                return diff < 0;
        }
        return *right != 0;
    }

    static int AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
};

using Ini = CSimpleIniTempl<char, FoldedLess, SI_ConvertA<char>>;

std::unique_ptr<Ini> NewIni()
{
    auto ini = std::make_unique<Ini>(/*utf8*/ true, /*multiKey*/ false, /*multiLine*/ false);
    ini->SetSpaces(false);
    return ini;
}

// At most 255 characters; a character outside the basic plane is never split.
QString CutAt255(const QString &text)
{
    if (text.size() <= kMaxLength)
        return text;
    qsizetype units = 0;
    for (int characters = 0; units < text.size() && characters < kMaxLength; ++characters) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size() && text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

// A line break inside a name or value would start a new line of the file.
std::string OneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.toStdString();
}

std::optional<int> ParseInteger(const QString &raw)
{
    QStringView text = QStringView(raw).trimmed();
    bool negative = false;
    QStringView digits = text;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    bool ok = false;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        digits = digits.mid(2);
        const auto isHex = [](QChar c) {
            return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        };
        if (!std::all_of(digits.begin(), digits.end(), isHex))
            return std::nullopt;
        // Up to eight hex digits, read as a 32-bit pattern ("0xFFFFFFFF" is -1).
        const uint value = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty())
            return std::nullopt;
        return static_cast<int>(negative ? 0u - value : value);
    }
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The file's bytes as UTF-8 text for the parser. Files with a byte order mark
// may be UTF-16 or UTF-32; bytes that are no valid UTF-8 are taken as Latin-1,
// the way older files were written. Data with NUL bytes is not text.
bool DecodeIniText(const QByteArray &raw, std::string &text)
{
    const auto encoding = QStringConverter::encodingForData(raw);
    if (encoding && *encoding != QStringConverter::Utf8) {
        QStringDecoder decoder(*encoding);
        const QString decoded = decoder(raw);
        if (decoder.hasError())
            return false;
        text = decoded.toStdString();
        return true;
    }
    if (raw.contains('\0'))
        return false;
    QStringDecoder utf8(QStringConverter::Utf8);
    QString decoded = utf8(raw);
    if (utf8.hasError())
        decoded = QString::fromLatin1(raw);
    text = decoded.toStdString();
    return true;
}

struct FileText {
    IniFile::LoadResult result = IniFile::LoadResult::NoFile;
    std::string text;
};

FileText ReadFileText(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {IniFile::LoadResult::Unreadable, {}};
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {IniFile::LoadResult::Unreadable, {}};
    FileText result{IniFile::LoadResult::Read, {}};
    if (!DecodeIniText(raw, result.text))
        return {IniFile::LoadResult::NotText, {}};
    return result;
}

// Parses text into a fresh parser; text the parser refuses reads as empty.
std::unique_ptr<Ini> ParseText(const std::string &text, bool &parsed)
{
    auto ini = NewIni();
    parsed = ini->LoadData(text) >= 0;
    if (!parsed)
        ini = NewIni();
    return ini;
}

struct Change {
    enum class Kind { Set, DeleteKey, EraseSection };
    Kind kind;
    std::string section;
    std::string key;
    std::string value;
};

void Apply(Ini &ini, const Change &change)
{
    switch (change.kind) {
    case Change::Kind::Set:
        ini.SetValue(change.section.c_str(), change.key.c_str(), change.value.c_str());
        break;
    case Change::Kind::DeleteKey:
        ini.Delete(change.section.c_str(), change.key.c_str(), /*removeEmpty*/ false);
        break;
    case Change::Kind::EraseSection:
        ini.Delete(change.section.c_str(), nullptr);
        break;
    }
}

// Saves of all INI files of the program take turns, so the re-read, merge and
// replace of one file is never interleaved with another save of it.
std::mutex &SaveMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool ReplaceFile(const QString &path, const std::string &text)
{
    QSaveFile file(path); // temporary file beside the target, synced and renamed on commit
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool IsCanonicalNumber(const QString &key, int max, int &number)
{
    bool ok = false;
    number = key.toInt(&ok);
    return ok && number >= 1 && number <= max && key == QString::number(number);
}

} // namespace

struct IniFile::Impl {
    QString path;
    NameLimit limit = NameLimit::None;
    LoadResult loaded = LoadResult::NoFile;
    std::unique_ptr<Ini> data = NewIni();
    std::vector<Change> pending;

    std::string Name(const QString &name) const
    {
        return OneLine(limit == NameLimit::Cut255 ? CutAt255(name) : name);
    }

    void Record(Change change)
    {
        Apply(*data, change);
        if (!path.isEmpty())
            pending.push_back(std::move(change));
    }
};

IniFile::IniFile(const QString &path)
    : IniFile(path, NameLimit::None)
{
}

IniFile::IniFile(const QString &path, NameLimit limit)
    : d(std::make_unique<Impl>())
{
    d->limit = limit;
    d->path = limit == NameLimit::Cut255 ? CutAt255(path) : path;
    if (d->path.isEmpty())
        return;
    const FileText file = ReadFileText(d->path);
    d->loaded = file.result;
    if (file.result != LoadResult::Read)
        return;
    bool parsed = false;
    d->data = ParseText(file.text, parsed);
    if (!parsed)
        d->loaded = LoadResult::NotText;
}

IniFile::~IniFile()
{
    if (d)
        Save();
}

IniFile::IniFile(IniFile &&other) noexcept = default;

IniFile IniFile::FromText(const QString &text)
{
    IniFile ini{QString()};
    bool parsed = false;
    ini.d->data = ParseText(text.toStdString(), parsed);
    return ini;
}

const QString &IniFile::Path() const
{
    return d->path;
}

IniFile::LoadResult IniFile::Loaded() const
{
    return d->loaded;
}

bool IniFile::SectionExists(const QString &section) const
{
    return d->data->GetSection(d->Name(section).c_str()) != nullptr;
}

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return d->data->GetValue(d->Name(section).c_str(), d->Name(key).c_str(), nullptr) != nullptr;
}

QStringList IniFile::Sections() const
{
    Ini::TNamesDepend names;
    d->data->GetAllSections(names);
    names.sort(Ini::Entry::LoadOrder());
    QStringList result;
    for (const auto &entry : names) {
        if (*entry.pItem)
            result.append(QString::fromUtf8(entry.pItem));
    }
    return result;
}

QStringList IniFile::Keys(const QString &section) const
{
    Ini::TNamesDepend names;
    d->data->GetAllKeys(d->Name(section).c_str(), names);
    names.sort(Ini::Entry::LoadOrder());
    QStringList result;
    for (const auto &entry : names)
        result.append(QString::fromUtf8(entry.pItem));
    return result;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const char *value = d->data->GetValue(d->Name(section).c_str(), d->Name(key).c_str(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    return ParseInteger(text).value_or(defaultValue);
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniFile::ReadStringList(const QString &section) const
{
    const int count = ReadInteger(section, QStringLiteral("Count"), 0);
    // Walk the keys that exist rather than 1..Count, so a damaged Count costs nothing.
    std::map<int, QString> entries;
    for (const QString &key : Keys(section)) {
        int number = 0;
        if (IsCanonicalNumber(key, count, number))
            entries.emplace(number, ReadString(section, key, QString()));
    }
    QStringList result;
    for (const auto &[number, entry] : entries)
        result.append(entry);
    return result;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    d->Record({Change::Kind::Set, d->Name(section), d->Name(key), OneLine(CutAt255(value))});
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteStringList(const QString &section, const QStringList &entries)
{
    const int oldCount = ReadInteger(section, QStringLiteral("Count"), 0);
    for (const QString &key : Keys(section)) {
        int number = 0;
        if (IsCanonicalNumber(key, oldCount, number))
            DeleteKey(section, key);
    }
    WriteInteger(section, QStringLiteral("Count"), static_cast<int>(entries.size()));
    for (int i = 0; i < entries.size(); ++i)
        WriteString(section, QString::number(i + 1), entries.at(i));
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    d->Record({Change::Kind::DeleteKey, d->Name(section), d->Name(key), {}});
}

void IniFile::EraseSection(const QString &section)
{
    d->Record({Change::Kind::EraseSection, d->Name(section), {}, {}});
}

QString IniFile::ToText() const
{
    std::string text;
    d->data->Save(text);
    return QString::fromStdString(text);
}

bool IniFile::Save()
{
    if (d->path.isEmpty())
        return false;
    if (d->pending.empty())
        return true;
    if (d->loaded == LoadResult::Unreadable)
        return false;

    std::lock_guard lock(SaveMutex());
    const FileText current = ReadFileText(d->path);
    if (current.result == LoadResult::Unreadable)
        return false;
    bool parsed = false;
    auto merged = ParseText(current.result == LoadResult::Read ? current.text : std::string(), parsed);
    for (const Change &change : d->pending)
        Apply(*merged, change);

    std::string text;
    if (merged->Save(text) < 0 || !ReplaceFile(d->path, text))
        return false;
    d->data = std::move(merged);
    d->pending.clear();
    d->loaded = LoadResult::Read;
    return true;
}

RecordIniFile::RecordIniFile(const QString &path)
    : IniFile(path, NameLimit::Cut255)
{
}

} // namespace brindle

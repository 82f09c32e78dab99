#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace brindle {

// INI text with the rules of Windows profile files: a "[section]" line, then
// "key=value" lines; sections and keys compare without regard to case and keep
// their file order; booleans are written "0"/"1" and read as integers (non-zero
// is true); integers are written in decimal and read in decimal or "0x"
// hexadecimal, and a value that is no number gives the default of the read;
// string values are cut at 255 characters; a string list is a section of its own
// with "Count" and the keys "1" to n. Text is UTF-8.
//
// A file is read when the object is created. Changes are written when Save() is
// called or the object is released, and only when there are changes. Writing
// replaces the file atomically (a temporary file beside it, flushed to disk and
// renamed over it), so a crash leaves the old file or the new one, never half of
// one. The changes are applied to the file as it is on disk at that moment, so
// two objects of one file in this program never drop each other's keys.
//
// A file that cannot be read, or that holds no text, reads as empty. A file that
// exists but cannot be opened is never overwritten (Save() fails), so nothing
// already stored is lost.
class IniFile {
public:
    enum class LoadResult {
        NoFile,     // the file does not exist (or the object holds text in memory)
        Read,       // the file was read
        NotText,    // the file holds binary data; it reads as empty
        Unreadable, // the file exists but cannot be read; it reads as empty and is not written
    };

    explicit IniFile(const QString &path);
    ~IniFile();

    IniFile(IniFile &&other) noexcept;
    IniFile &operator=(IniFile &&) = delete;
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    // INI text held in memory only; Save() has no file to write.
    static IniFile FromText(const QString &text);

    const QString &Path() const;
    LoadResult Loaded() const;

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // Section names in file order (keys before the first section header are not a section).
    QStringList Sections() const;
    // Key names of a section in file order; empty when the section is missing.
    QStringList Keys(const QString &section) const;

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // Entries "1" to "Count" that exist, in order of their number.
    QStringList ReadStringList(const QString &section) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);
    // Removes the keys "1" to the old count, then writes "Count" and the entries.
    void WriteStringList(const QString &section, const QStringList &entries);

    void DeleteKey(const QString &section, const QString &key);
    void EraseSection(const QString &section);

    // The INI text as it would be written.
    QString ToText() const;

    // Writes pending changes; true when there was nothing to write or the file
    // was replaced. On failure the file on disk is unchanged and the changes stay
    // pending.
    bool Save();

protected:
    enum class NameLimit { None, Cut255 };
    IniFile(const QString &path, NameLimit limit);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The record files of the download pools: besides the rules above, the file path,
// every section name and every key are cut at 255 characters before use.
class RecordIniFile : public IniFile {
public:
    explicit RecordIniFile(const QString &path);
};

} // namespace brindle

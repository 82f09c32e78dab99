#pragma once

#include <QString>

#include <atomic>

namespace brindle {

// The application log: a text file of entries, one line each:
//   date and time (system short date, long time) + " \t " + text + CRLF.
// A file that does not exist yet is created (with its folder) and gets the line
// "Created New Log File" first, so deleting the log while the program runs simply
// starts a new one. Each entry opens, appends and closes the file.
//
// Safe to call from any thread: every entry is one write() of the whole line to a
// file opened with O_APPEND, under a mutex shared by all LogFile objects, so lines
// are never split or interleaved. Failures are swallowed.
class LogFile {
public:
    explicit LogFile(QString path, bool enabled = false);

    // DebugFolder() + "Brindle_LogFile.log".
    static QString DefaultPath();

    const QString &path() const { return m_path; }

    void setEnabled(bool enabled) { m_enabled.store(enabled); }
    bool enabled() const { return m_enabled.load(); }

    // Appends an entry when logging is enabled.
    void write(const QString &text) const;

    // The entry line for text at the current time, CRLF included.
    static QString EntryLine(const QString &text);

private:
    void append(const QByteArray &line) const;

    QString m_path;
    std::atomic<bool> m_enabled;
};

// Creates the program's log at DefaultPath() and makes it the sink of Log().
// Call once at start-up, before other threads log.
void InstallApplicationLog(bool enabled);

// Switches the installed application log on or off (m_boolEnableAppLogging of the
// options). Safe at any time; does nothing before InstallApplicationLog().
void SetLoggingEnabled(bool enabled);

} // namespace brindle

#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace brindle {

// A download in progress. The bytes go into a hidden file beside the target
// (".<name>.part-XXXXXX" in the same folder) and replace the target only when
// commit() is called, in one rename. A transfer that breaks off therefore never
// leaves a truncated target behind nor spoils a complete file of an earlier run:
// the part file is removed and the target stays as it was.
class PartFile {
public:
    explicit PartFile(const QString &targetPath);
    ~PartFile(); // removes the part file unless it was committed

    // Creates the part file. False on failure, with the system error in error().
    bool open();
    bool write(const char *data, size_t size);
    // Closes the part file and renames it onto the target (replacing it).
    bool commit();
    // Closes and removes the part file; the target is not touched.
    void discard();

    qint64 size() const { return m_size; }
    int error() const { return m_error; }
    QString partPath() const;

    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

private:
    bool fail(int error);

    QByteArray m_target;   // encoded for the file system
    QByteArray m_partPath; // empty until open() succeeded
    int m_fd = -1;
    qint64 m_size = 0;
    int m_error = 0;
};

} // namespace brindle

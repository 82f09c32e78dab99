#include "platform/http/part_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace brindle {

namespace {

// Keeps the hidden name within the usual 255-byte limit of a file name even for
// long target names; the part name only has to be unique in its folder.
QString ShortenedName(const QString &name)
{
    constexpr int keep = 100;
    if (name.size() <= keep)
        return name;
    int cut = keep;
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut);
}

QString RandomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return suffix;
}

} // namespace

PartFile::PartFile(const QString &targetPath)
    : m_target(QFile::encodeName(targetPath))
{
}

PartFile::~PartFile()
{
    discard();
}

QString PartFile::partPath() const
{
    return QFile::decodeName(m_partPath);
}

bool PartFile::fail(int error)
{
    m_error = error ? error : EIO;
    discard();
    return false;
}

bool PartFile::open()
{
    const QFileInfo target(QFile::decodeName(m_target));
    const QString prefix = target.absolutePath() + QStringLiteral("/.") + ShortenedName(target.fileName())
        + QStringLiteral(".part-");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = QFile::encodeName(prefix + RandomSuffix());
        // 0666 lets the user's umask decide the permissions, as for any new file.
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_partPath = candidate;
            m_size = 0;
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool PartFile::write(const char *data, size_t size)
{
    if (m_fd < 0)
        return fail(EBADF);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += n;
        size -= size_t(n);
        m_size += n;
    }
    return true;
}

bool PartFile::commit()
{
    if (m_fd < 0)
        return fail(EBADF);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(m_partPath.constData(), m_target.constData()) != 0)
        return fail(errno);
    m_partPath.clear();
    return true;
}

void PartFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_partPath.isEmpty()) {
        ::unlink(m_partPath.constData());
        m_partPath.clear();
    }
}

} // namespace brindle

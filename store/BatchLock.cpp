#include "BatchLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// "file:PATH?…" (as tests open read-only stores) locks beside PATH.
QString plainPath(const QString &storePath)
{
    QString p = storePath;
    if (p.startsWith(QLatin1String("file:"))) {
        p = p.mid(5);
        p = p.left(p.indexOf(u'?') < 0 ? p.size() : p.indexOf(u'?'));
    }
    return p;
}

} // namespace

BatchLock::BatchLock(const QString &storePath)
    : m_path(plainPath(storePath) + QStringLiteral(".lock"))
{}

BatchLock::~BatchLock()
{
    unlock();
}

bool BatchLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // flock locks belong to the open file: a second open in this process
    // is refused as another process would be.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void BatchLock::unlock()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

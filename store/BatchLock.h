#pragma once

#include <QString>

// One batch per store at a time: an exclusive lock on a file beside the
// store ("setting.dat.lock"), held while the object holds it. The kernel
// lets go of it when the process ends, however it ends.
class BatchLock
{
public:
    explicit BatchLock(const QString &storePath);
    ~BatchLock();
    BatchLock(const BatchLock &) = delete;
    BatchLock &operator=(const BatchLock &) = delete;

    // False when another batch (this process or another) holds it.
    bool tryLock();
    void unlock();
    bool locked() const { return m_fd >= 0; }
    QString path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};

#pragma once

#include <QByteArray>
#include <QString>

// SHA-256 of a file's bytes; "missing" when it cannot be read.
QByteArray digestOf(const QString &path);
// A loopback port on which nothing listens (any more).
int closedPort();
// Resident memory of this process, in megabytes.
double residentMegabytes();
// Open file descriptors and threads of this process.
int openDescriptors();
int threadCount();

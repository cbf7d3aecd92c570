#include "TestFiles.h"

#include "LoopbackServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <fstream>
#include <string>

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "missing";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

int closedPort()
{
    LoopbackServer server([](LoopbackServer::Connection &) {});
    return server.port();
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::AllEntries)
                   .size());
}

int threadCount()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0)
            return std::stoi(line.substr(8));
    }
    return 0;
}

double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

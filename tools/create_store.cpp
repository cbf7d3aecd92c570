// Creates an empty result store (setting.dat) with its tables and key.
//   talvexa-create-store [PATH]     default: setting.dat in the working folder
// Refuses to touch a file that exists already.
#include "ResultStore.h"

#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [PATH]\n", argv[0]);
        return 2;
    }
    const QString path = argc == 2 ? QString::fromLocal8Bit(argv[1])
                                   : QString::fromLatin1(ResultStore::DefaultFileName);
    try {
        ResultStore::create(path);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("created %s\n", path.toLocal8Bit().constData());
    return 0;
}

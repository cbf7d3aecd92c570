// Appends history rows to the store file named on the command line until
// killed, printing the number of rows committed after each commit.
#include "StoreFixture.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    ResultStore store(QString::fromLocal8Bit(argv[1]));
    store.addDomain("kill.com");
    QueryRun run;
    run.CurrentDomain = "kill.com";
    for (long i = 1;; ++i) {
        // One row per day, so that every committed row shows in the history.
        run.QueryTime = datetime::make(QDate(2000, 1, 1).addDays(i), QTime(12, 0));
        run.Result.baidu = int(i);
        addRow(store, run);
        std::printf("%ld\n", i);
        std::fflush(stdout);
    }
}

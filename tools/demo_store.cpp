// Creates a store filled with made-up history, for trying the program and
// for screenshots: DOMAINS saved domains with DAYS daily rows each.
//   talvexa-demo-store PATH [DOMAINS] [DAYS]
#include "ResultStore.h"

#include <QString>

#include <cmath>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s PATH [DOMAINS] [DAYS]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int domains = argc > 2 ? std::atoi(argv[2]) : 12;
    const int days = argc > 3 ? std::atoi(argv[3]) : 45;
    try {
        ResultStore::create(path);
        ResultStore store(path);
        ResultStore::Transaction t(store);
        const QStringList names = {"www.example.com", "example.com", "news.example.org",
                                   "shop.example.net", "中文域名.example"};
        QStringList all;
        for (int i = 0; i < domains; ++i)
            all << (i < names.size() ? names[i] : QStringLiteral("site%1.example.com").arg(i));
        for (const QString &d : all)
            store.addDomain(d);
        const QDate first = QDate::currentDate().addDays(-days);
        for (int day = 0; day < days; ++day) {
            const QDateTime queryTime = datetime::make(first.addDays(day), QTime(9, 30));
            for (int i = 0; i < all.size(); ++i) {
                const double wave = 1.0 + 0.15 * std::sin((day + i) / 4.0);
                const int base = 20000 * (i + 1) + day * 150 * (i + 1);
                QueryResult r;
                r.baidu = int(base * wave);
                r.baidu1 = int(base * wave / 90);
                r.baidu7 = int(base * wave / 14);
                r.baidu30 = int(base * wave / 4);
                r.baidu360 = int(base * wave / 1.3);
                r.baidudomain = 3000 * (i + 1) + day * 20;
                r.baiduindex = datetime::make(first.addDays(day - 1));
                r.baiduisfirst = (day + i) % 5 != 0;
                // Most answers read; a few show what a blocked or failed
                // answer looks like.
                AnswerRecords answers{};
                answers.fill(AnswerRecord{AnswerOutcome::Read, 200});
                if ((day + 3 * i) % 11 == 0)
                    answers[1] = AnswerRecord{AnswerOutcome::Blocked, 403};
                if ((day + i) % 17 == 0)
                    answers[5] = AnswerRecord{AnswerOutcome::Failed, 0};
                if (day + 1 == days && i % 4 == 2)
                    answers[0] = AnswerRecord{AnswerOutcome::Unrecognised, 200};
                store.addshoulu(all[i], queryTime, r, answers);
            }
        }
        t.commit();
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

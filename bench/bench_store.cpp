// Speed of the store's statements on a large history: 10,000 saved domains
// with 365 daily rows each (3.65 million rows), appended day by day as
// daily batches would. The file is made once and kept beside the
// executable (bench_store.dat); delete it to make it anew.
#include "StoreFixture.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

constexpr int Domains = 10000;
constexpr int Days = 365;

QString domainName(int i)
{
    return QStringLiteral("site%1.example.com").arg(i, 5, 10, QLatin1Char('0'));
}

QString storePath()
{
    return QCoreApplication::applicationDirPath() + "/bench_store.dat";
}

void generate(const QString &path)
{
    std::fprintf(stderr, "generating %s (%d rows)...\n", qPrintable(path), Domains * Days);
    const QString partial = path + ".part";
    QFile::remove(partial);
    ResultStore::create(partial);
    ResultStore store(partial);
    {
        ResultStore::Transaction t(store);
        for (int i = 0; i < Domains; ++i)
            store.addDomain(domainName(i));
        t.commit();
    }
    QueryRun run;
    for (int day = 0; day < Days; ++day) {
        ResultStore::Transaction t(store);
        run.QueryTime = datetime::make(QDate(2025, 1, 1).addDays(day), QTime(9, 30, 0));
        for (int i = 0; i < Domains; ++i) {
            run.CurrentDomain = domainName(i).toLatin1();
            run.Result.baidu = 1000 + i + day;
            run.Result.baidu1 = day % 17;
            run.Result.baidu7 = day % 101;
            run.Result.baidu30 = day * 3;
            run.Result.baidu360 = day * 30;
            run.Result.baidudomain = i % 5000;
            run.Result.baiduindex = datetime::make(QDate(2025, 1, 1).addDays(day - 1));
            run.Result.baiduisfirst = (i + day) % 3 == 0;
            addRow(store, run);
        }
        t.commit();
    }
    QFile::rename(partial, path);
}

ResultStore &store()
{
    static std::unique_ptr<ResultStore> instance = [] {
        if (!QFile::exists(storePath()))
            generate(storePath());
        return std::make_unique<ResultStore>(storePath());
    }();
    return *instance;
}

void BM_latestRows(benchmark::State &state)
{
    for (auto _ : state) {
        const QList<ShouluRow> rows = store().latestRows();
        if (rows.size() != Domains)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_dayHistory(benchmark::State &state)
{
    int i = 0;
    for (auto _ : state) {
        const QList<ShouluRow> rows = store().dayHistory(domainName((i += 7919) % Domains));
        if (rows.size() != Days)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_chartRows(benchmark::State &state)
{
    int i = 0;
    for (auto _ : state) {
        const QList<ShouluRow> rows = store().chartRows(domainName((i += 7919) % Domains));
        if (rows.size() != 30)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows.data());
    }
}

// The same domain again and again, as the shell comparison runs it.
void BM_dayHistory_sameDomain(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(store().dayHistory(domainName(4242)).data());
}

void BM_chartRows_sameDomain(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(store().chartRows(domainName(4242)).data());
}

// One appended row with its own commit (synced to disk). The domain is not
// saved, so the other statements' results stay the same.
void BM_addshoulu(benchmark::State &state)
{
    QueryRun run;
    run.CurrentDomain = "bench-append.example.com";
    run.QueryTime = datetime::now();
    for (auto _ : state)
        addRow(store(), run);
}

void BM_fileSizePerRow(benchmark::State &state)
{
    store();
    for (auto _ : state)
        benchmark::DoNotOptimize(QFileInfo(storePath()).size());
    state.counters["bytes_per_row"] =
        double(QFileInfo(storePath()).size()) / (double(Domains) * Days);
}

} // namespace

BENCHMARK(BM_latestRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_dayHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_chartRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_dayHistory_sameDomain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_chartRows_sameDomain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_addshoulu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_fileSizePerRow)->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

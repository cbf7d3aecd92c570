// Reading speed of the result page reader, per query kind and encoding,
// beside one memmem pass over the same page (the floor of any reading).
#include "Codec.h"
#include "PageReader.h"

#include "SamplePage.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// The page each kind gets: the snapshot query searches for the domain
// itself, so its page shows the domain in bold.
QByteArray utf8Page(int kind)
{
    return samplePageUtf8("www.example.com", kind == int(QueryKind::Snapshot));
}

QByteArray cp936Page(int kind)
{
    return codec::toCp936(QString::fromUtf8(utf8Page(kind)));
}

void readKind(benchmark::State &state, const QByteArray &page)
{
    const int kind = int(state.range(0));
    QueryResult result;
    for (auto _ : state) {
        pagereader::readPage(kind, "www.example.com", page, result);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
    state.counters["page_bytes"] = double(page.size());
}

void BM_read_cp936(benchmark::State &state)
{
    readKind(state, cp936Page(int(state.range(0))));
}

void BM_read_utf8(benchmark::State &state)
{
    readKind(state, utf8Page(int(state.range(0))));
}

void BM_memmem_floor(benchmark::State &state)
{
    const QByteArray page = cp936Page(0);
    static const char marker[] =
        "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"0\">";
    for (auto _ : state) {
        const void *hit = memmem(page.constData(), size_t(page.size()), marker, sizeof marker - 1);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

} // namespace

BENCHMARK(BM_read_cp936)->DenseRange(0, 6)->ArgName("kind");
BENCHMARK(BM_read_utf8)->DenseRange(0, 6)->ArgName("kind");
BENCHMARK(BM_memmem_floor);

BENCHMARK_MAIN();

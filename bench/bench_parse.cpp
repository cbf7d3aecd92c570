// Reading speed of the result page reader, per query kind and encoding,
// beside one memmem pass over the same page (the floor of any reading).
#include "Codec.h"
#include "PageReader.h"
#include "TextModel.h"

#include "SamplePage.h"

#include <benchmark/benchmark.h>

#include <QStringDecoder>
#include <QStringEncoder>

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

// The reader's own search beside glibc's memmem, for a marker that is
// absent (the whole page is scanned) and one found near the end.
const char *const SearchNeedles[] = {"\xCF\xE0\xB9\xD8\xCD\xF8\xD2\xB3"
                                     "absent marker",
                                     "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
                                     "id=\"40\">"};

void BM_find_ours(benchmark::State &state)
{
    const QByteArray page = cp936Page(0);
    const QByteArrayView needle(SearchNeedles[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(text::find(page, needle));
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

void BM_find_memmem(benchmark::State &state)
{
    const QByteArray page = cp936Page(0);
    const char *needle = SearchNeedles[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(
            memmem(page.constData(), size_t(page.size()), needle, std::strlen(needle)));
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

// UTF-8 page to code page 936, checked and converted: ours in one pass,
// Qt's in two (decode with error check, then encode).
void BM_convert_ours(benchmark::State &state)
{
    const QByteArray page = utf8Page(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(codec::utf8ToCp936(page));
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

void BM_convert_qt(benchmark::State &state)
{
    const QByteArray page = utf8Page(0);
    for (auto _ : state) {
        QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QStringEncoder encode("windows-936", QStringEncoder::Flag::Stateless);
        const QString text = decode(page);
        QByteArray out;
        if (!decode.hasError())
            out = encode(text);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

// A whole answer in today's layout: conversion, the classic reading, the
// verification texts and today's count, as every answer is read now.
void readToday(benchmark::State &state, const QByteArray &page)
{
    const int kind = int(state.range(0));
    const QueryAnswer answer{true, page, 200, "http://www.baidu.com/s", "text/html", {}};
    QueryResult result;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pagereader::readAnswer(kind, "www.example.com", answer, result));
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
    state.counters["page_bytes"] = double(page.size());
}

void BM_read_today_utf8(benchmark::State &state)
{
    readToday(state, todayPageUtf8());
}

// One stray byte: the page is converted with "?" for it.
void BM_read_today_stray_byte(benchmark::State &state)
{
    QByteArray page = todayPageUtf8();
    page.insert(page.indexOf("<body>") + 6, "\xFF");
    readToday(state, page);
}

} // namespace

BENCHMARK(BM_read_today_utf8)->DenseRange(0, 6)->ArgName("kind");
BENCHMARK(BM_read_today_stray_byte)->Arg(0)->ArgName("kind");
BENCHMARK(BM_find_ours)->DenseRange(0, 1)->ArgName("found");
BENCHMARK(BM_find_memmem)->DenseRange(0, 1)->ArgName("found");
BENCHMARK(BM_convert_ours);
BENCHMARK(BM_convert_qt);
BENCHMARK(BM_read_cp936)->DenseRange(0, 6)->ArgName("kind");
BENCHMARK(BM_read_utf8)->DenseRange(0, 6)->ArgName("kind");
BENCHMARK(BM_memmem_floor);

BENCHMARK_MAIN();

// Seven concurrent fetches of a 100 KB page from a loopback server, timed
// to the seventh completion event, beside the same seven fetches made by
// seven parallel `curl` processes.
#include "THTTPGet.h"
#include "THTTPGetThread.h"

#include "LoopbackServer.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>

#include <curl/curl.h>

#include <memory>
#include <vector>

namespace {

constexpr int Fetches = 7;

LoopbackServer &server()
{
    static const QByteArray page = [] {
        QByteArray p(qsizetype(100) * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < p.size(); ++i)
            p[i] = char('a' + i % 26);
        return p;
    }();
    static LoopbackServer instance([](LoopbackServer::Connection &c) { c.respond(page); });
    return instance;
}

QByteArray url(int i)
{
    return "http://" + server().address() + "/s?wd=site%3Adomain" + QByteArray::number(i);
}

void BM_seven_fetches(benchmark::State &state)
{
    for (auto _ : state) {
        QObject owner;
        int events = 0;
        for (int i = 0; i < Fetches; ++i) {
            auto *get = new THTTPGet(&owner);
            get->URL = url(i);
            get->OnDoneString = [&events](QObject *, const QByteArray &) { ++events; };
            get->OnError = [&events](QObject *) { ++events; };
            get->Fetch();
        }
        while (events < Fetches)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    THTTPGetThread::finishAll();
}

void BM_seven_curl_processes(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < Fetches; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setStandardOutputFile(QProcess::nullDevice());
            p->start("curl", {"-s", "--noproxy", "*", QString::fromLatin1(url(i))});
            processes.push_back(std::move(p));
        }
        for (auto &p : processes)
            p->waitForFinished();
    }
}

} // namespace

BENCHMARK(BM_seven_fetches)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_seven_curl_processes)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}

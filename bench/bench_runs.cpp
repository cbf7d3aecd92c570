// A real batch through the main window against a fake search engine on
// loopback (reached through http_proxy): the spacing of the launches for
// the delay 1, and the longest the event loop is kept from a 10 ms timer
// while a batch runs with 10,000 domains in the overview.
//   QT_QPA_PLATFORM=offscreen bench_runs [--benchmark_filter=...]
// TALVEXA_BENCH_BATCH sets the batch length of the second figure (default
// 20; each domain takes delay + 1 = 2 seconds).
#include "CurlGlobal.h"
#include "HttpQueryFetcher.h"
#include "Program.h"
#include "ResultStore.h"
#include "TForm1.h"
#include "THTTPGetThread.h"
#include "Toolkit.h"

#include "FakeEnginePages.h"
#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "TestFiles.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace {

std::mutex arrivalsMutex;
std::vector<double> arrivals; // seconds, kind-0 requests
QElapsedTimer sinceStart;

LoopbackServer &engine()
{
    static LoopbackServer server([](LoopbackServer::Connection &c) {
        if (c.request().requestLine.contains("?wd=site%3A")) {
            std::lock_guard lock(arrivalsMutex);
            arrivals.push_back(double(sinceStart.nsecsElapsed()) / 1e9);
        }
        c.respond(enginePage("12,345", siteResults("x.com", true)));
    });
    return server;
}

// A store with `listed` saved domains, each with one row.
QString makeStore(QTemporaryDir &dir, int listed)
{
    QString path = dir.filePath("setting.dat");
    ResultStore::create(path);
    ResultStore store(path);
    ResultStore::Transaction t(store);
    QueryRun run;
    run.QueryTime = datetime::make(QDate(2026, 1, 1), QTime(9, 0));
    for (int i = 0; i < listed; ++i) {
        const QByteArray d = "site" + QByteArray::number(i) + ".example.com";
        store.addDomain(QString::fromLatin1(d));
        run.CurrentDomain = d;
        addRow(store, run);
    }
    t.commit();
    return path;
}

std::unique_ptr<TForm1> openWindow(const QString &path)
{
    TForm1::Options options;
    options.storePath = path;
    options.bannerUrl = QUrl();
    auto form = std::make_unique<TForm1>(options);
    form->FormCreate();
    form->show();
    return form;
}

void BM_launch_spacing_delay1(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        auto form = openWindow(makeStore(dir, 5));
        arrivals.clear();
        form->bsSkinSpinEdit1->setValue(1);
        sinceStart.start();
        form->bsSkinXFormButton2->click();
        while (form->Run().Busy && sinceStart.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::sort(arrivals.begin(), arrivals.end());
    double low = 1e9, high = 0;
    for (size_t i = 1; i < arrivals.size(); ++i) {
        low = std::min(low, arrivals[i] - arrivals[i - 1]);
        high = std::max(high, arrivals[i] - arrivals[i - 1]);
    }
    state.counters["first_launch_ms"] = arrivals.empty() ? -1 : arrivals[0] * 1000;
    state.counters["gap_min_ms"] = low * 1000;
    state.counters["gap_max_ms"] = high * 1000;
    state.counters["launches"] = double(arrivals.size());
}

void BM_event_loop_lateness_batch(benchmark::State &state)
{
    const int batch = qEnvironmentVariableIntValue("TALVEXA_BENCH_BATCH") > 0
                          ? qEnvironmentVariableIntValue("TALVEXA_BENCH_BATCH")
                          : 20;
    double worst = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        // 10,000 domains in the overview; the batch runs over the first
        // `batch` of them (the list is cut to those in the box).
        auto form = openWindow(makeStore(dir, 10000));
        QStringList first;
        for (int i = 0; i < batch; ++i)
            first << form->cbb1->itemText(i);
        form->cbb1->clear();
        form->cbb1->addItems(first);
        form->bsSkinSpinEdit1->setValue(1);
        QElapsedTimer last;
        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worst = std::max(worst, double(last.nsecsElapsed()) / 1e6 - 10.0);
            last.restart();
        });
        form->bsSkinXFormButton2->click();
        last.start();
        probe.start();
        QElapsedTimer clock;
        clock.start();
        while (form->Run().Busy && clock.elapsed() < 2000 * batch + 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        probe.stop();
    }
    state.counters["worst_lateness_ms"] = worst;
    state.counters["batch_domains"] = batch;
}

// talvexa-fake-engine in a process of its own, answering every request
// while the object lives (http_proxy points at it meanwhile).
class ExternalEngine
{
public:
    explicit ExternalEngine(const char *mode) : m_proxy(qgetenv("http_proxy"))
    {
        const int port = closedPort();
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral(FAKE_ENGINE), {QString::number(port), mode});
        m_started = m_process.waitForStarted();
        QThread::msleep(300); // until it listens
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(port));
    }
    ~ExternalEngine()
    {
        qputenv("http_proxy", m_proxy);
        m_process.terminate();
        m_process.waitForFinished();
    }
    ExternalEngine(const ExternalEngine &) = delete;
    ExternalEngine &operator=(const ExternalEngine &) = delete;
    bool started() const { return m_started; }

private:
    QByteArray m_proxy;
    QProcess m_process;
    bool m_started = false;
};

// Resident memory before and after a long batch through the real window,
// its requests and the loopback engine. The batch timer is ticked by hand
// (two ticks launch a domain at the delay 1), a launch waiting while four
// domains' requests are still out, so that 2,000 domains take seconds.
void BM_memory_long_batch(benchmark::State &state)
{
    const int domains = qEnvironmentVariableIntValue("TALVEXA_BENCH_DOMAINS") > 0
                            ? qEnvironmentVariableIntValue("TALVEXA_BENCH_DOMAINS")
                            : 2000;
    // The engine runs in a process of its own, so that what it keeps of
    // every request does not count here.
    const ExternalEngine engineProcess("pages");
    if (!engineProcess.started()) {
        state.SkipWithError("the fake engine did not start");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        auto form = openWindow(makeStore(dir, domains));
        form->bsSkinSpinEdit1->setValue(1);
        auto settle = [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        for (int i = 0; i < 50; ++i)
            settle();
        const double before = residentMegabytes();
        form->bsSkinXFormButton2->click();
        QElapsedTimer clock;
        clock.start();
        double afterFirst100 = 0;
        while (form->Run().Busy && clock.elapsed() < 600000) {
            while (form->fetcher()->requestsOut() > 4 * AnswersPerDomain)
                settle();
            form->Timer1Timer();
            settle();
            if (afterFirst100 == 0 && form->Run().Answers >= 100 * AnswersPerDomain)
                afterFirst100 = residentMegabytes();
        }
        for (int i = 0; i < 50 || form->overviewPending(); ++i)
            settle();
        const double after = residentMegabytes();
        state.counters["rss_before_mb"] = before;
        state.counters["rss_after_100_mb"] = afterFirst100;
        state.counters["rss_after_mb"] = after;
        state.counters["growth_mb"] = after - before;
        state.counters["growth_after_100_mb"] = after - afterFirst100;
        state.counters["domains_stored"] = double(form->store().latestRows().size());
        state.counters["requests_left"] = form->fetcher()->requestsOut();
        state.counters["seconds"] = double(clock.elapsed()) / 1000;
    }
}

// A batch against an engine that trickles (a byte every 0.5 s, for ever) or
// sends an endless body on every request, at the delay 1 and with the
// program's own limits: descriptors, threads and memory over time, and when
// the run ends.
void hostileEngine(benchmark::State &state, const char *mode)
{
    const int domains = qEnvironmentVariableIntValue("TALVEXA_BENCH_HOSTILE_DOMAINS") > 0
                            ? qEnvironmentVariableIntValue("TALVEXA_BENCH_HOSTILE_DOMAINS")
                            : 50;
    const ExternalEngine engineProcess(mode);
    if (!engineProcess.started()) {
        state.SkipWithError("the fake engine did not start");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        auto form = openWindow(makeStore(dir, domains));
        form->bsSkinSpinEdit1->setValue(1);
        int fds = openDescriptors(), threads = threadCount(), out = 0;
        double rss = residentMegabytes();
        state.counters["fds_before"] = fds;
        state.counters["threads_before"] = threads;
        state.counters["rss_before_mb"] = rss;
        QTimer sample;
        sample.setInterval(500);
        QObject::connect(&sample, &QTimer::timeout, [&] {
            fds = std::max(fds, openDescriptors());
            threads = std::max(threads, threadCount());
            rss = std::max(rss, residentMegabytes());
            out = std::max(out, form->fetcher()->requestsOut());
        });
        sample.start();
        QElapsedTimer clock;
        clock.start();
        form->bsSkinXFormButton2->click();
        while (form->Run().Busy && clock.elapsed() < 3600000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        state.counters["run_seconds"] = double(clock.elapsed()) / 1000;
        state.counters["fds_max"] = fds;
        state.counters["threads_max"] = threads;
        state.counters["rss_max_mb"] = rss;
        state.counters["requests_out_max"] = out;
        state.counters["rows"] = double(form->store().latestRows().size());
    }
}

void BM_trickling_engine(benchmark::State &state)
{
    hostileEngine(state, "trickle");
}

void BM_endless_body_engine(benchmark::State &state)
{
    hostileEngine(state, "endless");
}

} // namespace

int main(int argc, char **argv)
{
    prepareBrowserEngine();
    const CurlGlobal curl;
    {
        toolkit::TApplication app(argc, argv);
        qputenv("http_proxy", "http://" + engine().address());
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
        benchmark::Initialize(&argc, argv);
        benchmark::RegisterBenchmark("BM_launch_spacing_delay1", BM_launch_spacing_delay1)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_event_loop_lateness_batch", BM_event_loop_lateness_batch)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_memory_long_batch", BM_memory_long_batch)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        // Long: run them by name (--benchmark_filter=engine).
        benchmark::RegisterBenchmark("BM_trickling_engine", BM_trickling_engine)
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark("BM_endless_body_engine", BM_endless_body_engine)
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        THTTPGetThread::finishAll();
    }
    return 0;
}

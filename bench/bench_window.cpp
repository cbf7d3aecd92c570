// The window with 10,000 saved domains: start-up to the window shown (the
// first one in this process, the banner loading in the background from a
// loopback page), the overview list filled and painted, and the resident
// memory of the process before and after the banner has loaded.
#include "BannerPane.h"
#include "Program.h"
#include "StoreFixture.h"
#include "TForm1.h"
#include "Toolkit.h"

#include "LoopbackServer.h"
#include "TestFiles.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

namespace {

constexpr int Domains = 10000;

QString storePath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QString p = dir.filePath("setting.dat");
        ResultStore::create(p);
        ResultStore store(p);
        ResultStore::Transaction t(store);
        QueryRun run;
        for (int day = 0; day < 3; ++day) {
            run.QueryTime = datetime::make(QDate(2026, 1, 1).addDays(day), QTime(9, 0));
            for (int i = 0; i < Domains; ++i) {
                const QByteArray d = "site" + QByteArray::number(i) + ".example.com";
                if (day == 0)
                    store.addDomain(QString::fromLatin1(d));
                run.CurrentDomain = d;
                run.Result.baidu = i * 10 + day;
                addRow(store, run);
            }
        }
        t.commit();
        return p;
    }();
    return path;
}

LoopbackServer &bannerServer()
{
    static LoopbackServer server([](LoopbackServer::Connection &c) {
        c.respond("<html><body style='margin:8px'><b>Talvexa</b> banner</body></html>", "200 OK",
                  "Content-Type: text/html\r\n");
    });
    return server;
}

std::unique_ptr<TForm1> form;

void BM_startup_to_window_shown(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        TForm1::Options options;
        options.storePath = storePath();
        options.bannerUrl =
            QUrl("http://" + bannerServer().address() + "/softad/Shoulu.html?baidu");
        form = std::make_unique<TForm1>(options);
        if (!form->FormCreate())
            state.SkipWithError("store did not open");
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            state.SkipWithError("window not shown");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["rss_mb_banner_loading"] = residentMegabytes();
    bool loaded = false;
    QObject::connect(form->WebBrowser1, &QWebEngineView::loadFinished,
                     [&](bool) { loaded = true; });
    QElapsedTimer wait;
    wait.start();
    while (!loaded && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(500);
    state.counters["rss_mb_banner_loaded"] = residentMegabytes();
}

void BM_rss_without_banner(benchmark::State &state)
{
    // Measured in a process of its own (see main): no browser engine at all.
    for (auto _ : state) {
        TForm1::Options options;
        options.storePath = storePath();
        options.bannerUrl = QUrl();
        TForm1 window(options);
        window.FormCreate();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("window not shown");
        state.counters["rss_mb"] = residentMegabytes();
    }
}

void BM_LoadShoulu_overview(benchmark::State &state)
{
    if (!form) {
        TForm1::Options options;
        options.storePath = storePath();
        options.bannerUrl = QUrl();
        form = std::make_unique<TForm1>(options);
        form->FormCreate();
        form->show();
    }
    for (auto _ : state) {
        form->LoadShoulu(QString());
        form->lv1->viewport()->repaint(); // filled and drawn
    }
    state.counters["rows"] = form->lv1->model()->rowCount();
}

} // namespace

int main(int argc, char **argv)
{
    prepareBrowserEngine();
    toolkit::TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    storePath(); // made before anything is timed
    if (qEnvironmentVariableIsSet("TALVEXA_BENCH_NO_BANNER")) {
        benchmark::RegisterBenchmark("BM_rss_without_banner", BM_rss_without_banner)->Iterations(1);
    } else {
        benchmark::RegisterBenchmark("BM_startup_to_window_shown", BM_startup_to_window_shown)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_LoadShoulu_overview", BM_LoadShoulu_overview)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    form.reset();
    benchmark::Shutdown();
    return 0;
}

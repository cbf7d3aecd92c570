#include "CliRun.h"

#include "BatchLock.h"
#include "CliOptions.h"
#include "CurlGlobal.h"
#include "HttpQueryFetcher.h"
#include "QueryRunner.h"
#include "ResultStore.h"
#include "StoreHistory.h"
#include "THTTPGetThread.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace cli {
namespace {

// SIGINT and SIGTERM reach the event loop through a pipe.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// The store's history, telling each row once it is stored.
class PrintingHistory : public StoreHistory
{
public:
    using StoreHistory::StoreHistory;

    void storeRow(const QString &domain, const QDateTime &queryTime, const QueryResult &r,
                  const AnswerRecords &answers) override
    {
        StoreHistory::storeRow(domain, queryTime, r, answers);
        QStringList missing;
        for (int kind = 0; kind < int(answers.size()); ++kind) {
            if (!outcome::obtained(answers[std::size_t(kind)].outcome))
                missing << QString::number(kind) + u':' +
                               outcome::name(answers[std::size_t(kind)].outcome);
        }
        const QStringList fields = {domain,
                                    QString::number(r.baidu),
                                    QString::number(r.baidu1),
                                    QString::number(r.baidu7),
                                    QString::number(r.baidu30),
                                    QString::number(r.baidu360),
                                    QString::number(r.baidudomain),
                                    r.baiduindex.date().toString(QStringLiteral("yyyy-MM-dd")),
                                    r.baiduisfirst ? QStringLiteral("1") : QStringLiteral("0"),
                                    missing.join(u',')};
        print(stdout, fields.join(u'\t') + u'\n');
    }
};

QString duration(int seconds)
{
    if (seconds >= 60)
        return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1秒").arg(seconds);
}

} // namespace

int run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Queries every saved domain (or the DOMAINs given, leaving the list alone), one every "
        "delay + 1 seconds, and stores a row for each. Exit status: 0 every answer obtained, "
        "3 some not (or stopped on verification), 1 store problem, 2 bad arguments, 130 "
        "interrupted."));
    parser.addOption(storeOption());
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Seconds between two domains, 1 to 60 "
                                                  "(default 2: launches 3 s apart)."),
                                   QStringLiteral("SECONDS"), QStringLiteral("2"));
    const QCommandLineOption keepGoing(QStringLiteral("keep-going"),
                                       QStringLiteral("Launch on when the engine asks for "
                                                      "verification instead of stopping."));
    parser.addOption(delay);
    parser.addOption(keepGoing);
    parser.addPositionalArgument(QStringLiteral("DOMAIN"), QStringLiteral("Domains to query."),
                                 QStringLiteral("[DOMAIN...]"));
    if (const int status = parse(parser, arguments); status >= 0)
        return status;
    bool delayOk = false;
    const int delaySeconds = parser.value(delay).toInt(&delayOk);
    if (!delayOk || delaySeconds < 1 || delaySeconds > 60) {
        print(stderr, QStringLiteral("--delay takes 1 to 60\n") + parser.helpText());
        return exitcode::BadArguments;
    }

    const QString path = parser.value(QStringLiteral("store"));
    const std::unique_ptr<ResultStore> store = openStore(path);
    if (!store)
        return exitcode::StoreProblem;
    // Two batches on one store would double what the engine sees.
    BatchLock lock(path);
    if (!lock.tryLock()) {
        print(stderr, QStringLiteral("另一个批量查询正在使用 %1，本次不运行。\n")
                          .arg(QFileInfo(path).absoluteFilePath()));
        return exitcode::StoreProblem;
    }
    const QString writeProblem = store->writeProblem();
    if (!writeProblem.isEmpty()) {
        print(stderr, QStringLiteral("无法写入 %1：%2\n")
                          .arg(QFileInfo(path).absoluteFilePath(), writeProblem));
        return exitcode::StoreProblem;
    }

    QStringList domains = parser.positionalArguments();
    try {
        if (domains.isEmpty())
            domains = store->domains();
    } catch (const StoreError &e) {
        print(stderr, QString::fromUtf8(e.what()) + u'\n');
        return exitcode::StoreProblem;
    }

    const CurlGlobal curl;
    QCoreApplication &app = *QCoreApplication::instance();
    int status = exitcode::Ok;
    bool interrupted = false;
    bool stoppedOnVerification = false;
    {
        PlainDomainList list(domains);
        PrintingHistory history(*store);
        HttpQueryFetcher fetcher;
        const QueryUrls urls;
        QueryRunner runner(list, fetcher, history, urls);
        runner.setDelay(delaySeconds);
        runner.setPauseOnVerification(!parser.isSet(keepGoing));

        const bool terminal = ::isatty(STDERR_FILENO) == 1;
        QObject::connect(
            &runner, &QueryRunner::batchProgress, [terminal](const QueryRunner::Progress &p) {
                if (!terminal)
                    return;
                QString line =
                    QStringLiteral("\r\033[K[%1/%2] %3").arg(p.launched).arg(p.total).arg(p.domain);
                if (p.launched < p.total)
                    line += QStringLiteral(" · 剩余约 ") + duration(p.secondsLeft);
                print(stderr, line);
            });
        QObject::connect(&runner, &QueryRunner::failed, [terminal](const QString &text) {
            print(stderr, (terminal ? QStringLiteral("\r\033[K") : QString()) + text + u'\n');
        });
        // No one is there to say "继续": a verification page ends the
        // launches.
        QObject::connect(&runner, &QueryRunner::pausedForVerification, &runner,
                         [&](const QueryRunner::Progress &) {
                             stoppedOnVerification = true;
                             runner.stopBatch();
                         });
        QueryRunner::RunSummary summary;
        QObject::connect(&runner, &QueryRunner::runFinished,
                         [&summary, &app](const QueryRunner::RunSummary &s) {
                             summary = s;
                             QTimer::singleShot(0, &app, &QCoreApplication::quit);
                         });

        // SIGINT, SIGTERM: no further launch; what is out gets 5 s.
        if (::pipe2(signalPipe, O_CLOEXEC) != 0)
            return exitcode::StoreProblem;
        struct sigaction action = {};
        action.sa_handler = onSignal;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
        QSocketNotifier signalReader(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&signalReader, &QSocketNotifier::activated, [&] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
            if (interrupted)
                return;
            interrupted = true;
            runner.stopBatch();
            QTimer::singleShot(5000, &fetcher, [&fetcher] { fetcher.abortAll(); });
        });

        runner.bsSkinXFormButton2Click();
        if (runner.run().Busy)
            app.exec();
        if (terminal)
            print(stderr, QStringLiteral("\r\033[K"));
        if (runner.unsavedRows() > 0 && !runner.retryUnsaved()) {
            print(stderr,
                  QStringLiteral("%1 条查询结果未能存入数据库\n").arg(runner.unsavedRows()));
            status = exitcode::StoreProblem;
        }
        const int incomplete = summary.stored - summary.complete;
        print(stderr,
              QStringLiteral("完毕：%1 个域名中 %2 个已存入，%3 个全部取得，%4 个有未取得的"
                             "结果（被拦截 %5 项，查询失败 %6 项，无法识别 %7 项）%8\n")
                  .arg(summary.total)
                  .arg(summary.stored)
                  .arg(summary.complete)
                  .arg(incomplete)
                  .arg(summary.blocked)
                  .arg(summary.failed)
                  .arg(summary.unrecognised)
                  .arg(interrupted             ? QStringLiteral("；已中断")
                       : stoppedOnVerification ? QStringLiteral("；百度要求安全验证，已停止")
                                               : QString()));
        if (status == exitcode::Ok && (incomplete > 0 || stoppedOnVerification))
            status = exitcode::NotAllObtained;
        if (interrupted)
            status = exitcode::Interrupted;
    }
    THTTPGetThread::finishAll();
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    return status;
}

} // namespace cli

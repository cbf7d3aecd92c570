#include "QueryRunner.h"

#include "Codec.h"
#include "PageReader.h"

#include <QDateTime>

namespace {

const QString Querying = QStringLiteral("正在查询：");
const QString BatchStarted = QStringLiteral("开始查询所有域名收录量...");
const QString Done = QStringLiteral("查询完毕：");
const QString UnsavedNotice =
    QStringLiteral("有 %1 条查询结果尚未存入数据库，将在下次存入时重试。");

QString withoutSlashes(QString text)
{
    text.remove(u'/');
    text.remove(u'\\');
    return text;
}

QString failureText()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}

} // namespace

QueryRunner::QueryRunner(DomainList &domains, QueryFetcher &fetcher, QueryHistory &history,
                         const QueryUrls &urls, QTimer *timer, QObject *parent)
    : QObject(parent), m_domains(domains), m_fetcher(fetcher), m_history(history), m_urls(urls),
      m_timer(timer ? timer : new QTimer(this))
{
    if (!timer) {
        m_timer->setInterval(1000);
        m_timer->setTimerType(Qt::PreciseTimer); // launches delay + 1 seconds apart, not about
    }
    connect(m_timer, &QTimer::timeout, this, &QueryRunner::Timer1Timer);
}

void QueryRunner::startRun(int expectedAnswers)
{
    Run.QueryTime = datetime::now();
    Run.ExpectedAnswers = expectedAnswers;
    Run.Answers = 0;
    Run.DomainAnswers = 0;
    m_launchedRequests = 0;
    m_launches.clear();
    m_paused = false;
    m_stopped = false;
    m_summary = RunSummary{};
    emit gaugeMaximumChanged(expectedAnswers);
    emit gaugeValueChanged(0);
}

void QueryRunner::bsSkinXFormButton1Click()
{
    if (Run.Busy)
        return;
    const QString typed = m_domains.text();
    const QString d = withoutSlashes(typed);
    startRun(AnswersPerDomain);
    m_launching = false;
    m_batch = false;
    Run.Busy = true;
    emit busyChanged(true);
    Run.CurrentDomain = codec::toCp936(d);
    emit statusChanged(Querying + d);

    QString listFailure;
    try {
        QStringList items = m_domains.items();
        if (!typed.isEmpty() && !items.contains(typed, Qt::CaseInsensitive)) {
            items << typed;
            m_domains.setItems(items);
        }
        m_domains.load(m_history.saveDomains(items));
    } catch (...) {
        // The list stays as the box shows it; the query itself still runs,
        // and its row waits if the store cannot take it either.
        listFailure = failureText();
    }
    launchDomain(d, codec::toCp936(d));
    m_domains.setText(d);
    countLaunchFailures();
    // Told last: the message box lets the answers in meanwhile.
    if (!listFailure.isEmpty())
        emit failed(listFailure);
}

void QueryRunner::bsSkinXFormButton2Click()
{
    if (Run.Busy)
        return;
    m_batchItems.reset();
    startBatchRun();
}

void QueryRunner::startBatch(const QStringList &domains)
{
    if (Run.Busy)
        return;
    m_batchItems = domains;
    startBatchRun();
}

QStringList QueryRunner::batchItems() const
{
    return m_batchItems ? *m_batchItems : m_domains.items();
}

void QueryRunner::startBatchRun()
{
    const int items = int(batchItems().size());
    startRun(AnswersPerDomain * items);
    m_batch = true;
    Run.BatchTicks = m_delay;
    Run.BatchIndex = 0;
    Run.Busy = true;
    emit busyChanged(true);
    m_launching = true;
    m_timer->setInterval(10);
    m_timer->start();
    emit statusChanged(BatchStarted);
    emit batchProgress(progress());
    if (items == 0) {
        // Nothing to launch and nothing to wait for.
        m_launching = false;
        endRunIfDone();
    }
}

void QueryRunner::Timer1Timer()
{
    if (!Run.Busy || !m_launching || m_paused) {
        m_timer->stop();
        return;
    }
    if (Run.BatchTicks > m_delay) {
        m_timer->setInterval(1000);
        const QStringList items = batchItems();
        if (Run.BatchIndex < items.size()) {
            const QString &item = items[Run.BatchIndex];
            Run.CurrentDomain = codec::toCp936(item);
            launchDomain(item, codec::toCp936(withoutSlashes(item)));
            ++Run.BatchIndex;
        }
        Run.BatchTicks = 0;
        // The list as it is now decides where the batch stops: a shortened
        // list ends it early, a lengthened one is followed to its new end.
        const int launchedDomains = Run.BatchIndex;
        const int listed = int(items.size());
        Run.ExpectedAnswers = AnswersPerDomain * qMax(launchedDomains, listed);
        if (Run.BatchIndex >= listed) {
            m_launching = false;
            Run.ExpectedAnswers = AnswersPerDomain * launchedDomains;
            m_timer->stop();
        }
        emit gaugeMaximumChanged(Run.ExpectedAnswers);
    }
    ++Run.BatchTicks;
    if (m_launching)
        emit batchProgress(progress());
    countLaunchFailures();
    endRunIfDone();
}

QueryRunner::Progress QueryRunner::progress() const
{
    Progress p;
    p.launched = Run.BatchIndex;
    p.total = m_launching ? qMax(p.launched, int(batchItems().size())) : p.launched;
    p.domain = codec::fromCp936(Run.CurrentDomain);
    // The next launch comes on the tick that finds BatchTicks above the
    // delay, one second a tick; each further one delay + 1 seconds later.
    const int remaining = p.total - p.launched;
    p.secondsLeft =
        remaining > 0 ? qMax(1, m_delay + 2 - Run.BatchTicks) + (remaining - 1) * (m_delay + 1) : 0;
    p.answersOut = m_launchedRequests - Run.Answers;
    return p;
}

void QueryRunner::stopBatch()
{
    if (!Run.Busy || !m_batch || !m_launching)
        return;
    m_launching = false;
    m_paused = false;
    m_stopped = true;
    m_timer->stop();
    Run.ExpectedAnswers = AnswersPerDomain * Run.BatchIndex;
    emit gaugeMaximumChanged(Run.ExpectedAnswers);
    endRunIfDone();
}

void QueryRunner::resumeBatch()
{
    if (!Run.Busy || !m_paused)
        return;
    m_paused = false;
    // The next tick launches the next domain.
    Run.BatchTicks = m_delay + 1;
    m_timer->setInterval(1000);
    m_timer->start();
    emit batchProgress(progress());
}

void QueryRunner::launchDomain(const QString &item, const QByteArray &cleaned)
{
    const int launch = m_nextLaunch++;
    Launch &state = m_launches[launch];
    state.domain = Run.CurrentDomain;
    const QByteArray bytes = codec::toCp936(item);
    for (int kind = 0; kind < AnswersPerDomain; ++kind) {
        ++m_launchedRequests;
        bool started = false;
        try {
            started = m_fetcher.start(
                QueryRequest{m_urls.requestUrl(QueryKind(kind), bytes), cleaned, kind, launch},
                [this](const QueryRequest &request, const QueryAnswer &result) {
                    answer(request, result);
                });
        } catch (...) {
            started = false;
        }
        if (!started)
            m_unstarted.append({launch, kind});
    }
}

void QueryRunner::countLaunchFailures()
{
    const QList<QPair<int, int>> failures = std::exchange(m_unstarted, {});
    for (const auto &[launch, kind] : failures)
        geterror(launch, kind);
}

void QueryRunner::answer(const QueryRequest &request, const QueryAnswer &result)
{
    auto it = m_launches.find(request.launch);
    if (it == m_launches.end() || !isQueryKind(request.kind))
        return; // an answer of an earlier run
    const AnswerOutcome read =
        pagereader::readAnswer(request.kind, request.domain, result, it->result);
    it->answers[request.kind] = AnswerRecord{read, result.status};
    if (read == AnswerOutcome::Blocked && m_batch && m_launching && !m_paused &&
        m_pauseOnVerification) {
        // Going on only lengthens the block: no further domain until the
        // user says so.
        m_paused = true;
        m_timer->stop();
        emit pausedForVerification(progress());
    }
    exitth(request.launch);
}

void QueryRunner::getstr(int launch, int kind, const QByteArray &domain, const QByteArray &page)
{
    answer(QueryRequest{{}, domain, kind, launch}, QueryAnswer{true, page, 200, {}, {}, {}});
}

void QueryRunner::geterror(int launch, int kind)
{
    answer(QueryRequest{{}, {}, kind, launch}, QueryAnswer{});
}

void QueryRunner::exitth(int launch)
{
    Launch &state = m_launches[launch];
    ++state.counted;
    Run.DomainAnswers = state.counted % AnswersPerDomain;
    QString failure;
    bool reloaded = false;
    if (state.counted >= AnswersPerDomain) {
        const Launch done = m_launches.take(launch);
        Run.Result = done.result;
        countInSummary(codec::fromCp936(done.domain), done.answers);
        const QString domain = codec::fromCp936(done.domain);
        // Behind any rows still waiting, so that rows reach the store in
        // the order their domains completed.
        m_unsaved.push_back({domain, Run.QueryTime, done.result, done.answers});
        failure = writeUnsaved();
        if (failure.isEmpty()) {
            emit statusChanged(Done + domain);
            try {
                m_history.reloadOverview();
                reloaded = true;
            } catch (...) {
                failure = failureText();
            }
        }
    }
    ++Run.Answers;
    emit gaugeValueChanged(Run.Answers);
    // The list was just reloaded with nothing stored since: once is enough.
    // A row that failed this very moment is not tried again at once.
    endRunIfDone(reloaded, !failure.isEmpty());
    // Shown last: the message box lets further answers in, and they find
    // the counts already up to date.
    if (!failure.isEmpty())
        showStoreFailure(failure);
}

void QueryRunner::countInSummary(const QString &domain, const AnswerRecords &answers)
{
    ++m_summary.stored;
    bool complete = true;
    for (const AnswerRecord &a : answers) {
        switch (a.outcome) {
        case AnswerOutcome::Blocked:
            ++m_summary.blocked;
            complete = false;
            break;
        case AnswerOutcome::Failed:
            ++m_summary.failed;
            complete = false;
            break;
        case AnswerOutcome::Unrecognised:
            ++m_summary.unrecognised;
            complete = false;
            break;
        default:
            break;
        }
    }
    if (complete)
        ++m_summary.complete;
    else
        m_summary.incompleteDomains << domain;
}

void QueryRunner::endRunIfDone(bool listFresh, bool justFailed)
{
    if (!Run.Busy || m_launching || Run.Answers < m_launchedRequests || !m_unstarted.isEmpty())
        return;
    Run.Busy = false;
    m_timer->stop();
    m_summary.batch = m_batch;
    m_summary.stopped = m_stopped;
    m_summary.launched = m_batch ? Run.BatchIndex : 1;
    m_summary.total = m_batch ? qMax(Run.BatchIndex, int(batchItems().size())) : 1;
    // Told once everything below is done.
    struct Finish
    {
        QueryRunner &runner;
        ~Finish()
        {
            emit runner.busyChanged(false);
            emit runner.runFinished(runner.m_summary);
        }
    } finish{*this};
    // The run's last chance to write what is still waiting.
    const bool hadUnsaved = !m_unsaved.empty();
    if (hadUnsaved && !justFailed) {
        const QString failure = writeUnsaved();
        if (!failure.isEmpty())
            showStoreFailure(failure);
    }
    if (listFresh && !hadUnsaved)
        return;
    try {
        m_history.reloadOverview();
    } catch (...) {
        showStoreFailure(failureText());
    }
}

QString QueryRunner::writeUnsaved()
{
    while (!m_unsaved.empty()) {
        const UnsavedRow &row = m_unsaved.front();
        try {
            m_history.storeRow(row.domain, row.queryTime, row.result, row.answers);
        } catch (...) {
            return failureText();
        }
        m_unsaved.pop_front();
    }
    return {};
}

bool QueryRunner::retryUnsaved()
{
    const QString failure = writeUnsaved();
    if (!failure.isEmpty()) {
        showStoreFailure(failure);
        return false;
    }
    try {
        m_history.reloadOverview();
    } catch (...) {
        showStoreFailure(failureText());
    }
    return true;
}

void QueryRunner::discardUnsaved()
{
    m_unsaved.clear();
}

void QueryRunner::showStoreFailure(const QString &text)
{
    // Every failure is told, with what it leaves waiting.
    if (m_unsaved.empty())
        emit failed(text);
    else
        emit failed(text + u'\n' + UnsavedNotice.arg(m_unsaved.size()));
}

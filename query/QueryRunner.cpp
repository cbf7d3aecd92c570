#include "QueryRunner.h"

#include "Codec.h"
#include "PageReader.h"

#include <QDateTime>

namespace {

const QString Querying = QStringLiteral("正在查询：");
const QString BatchStarted = QStringLiteral("开始查询所有域名收录量...");
const QString Done = QStringLiteral("查询完毕：");

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

QueryRunner::QueryRunner(Window &window, const QueryUrls &urls) : m_window(window), m_urls(urls) {}

void QueryRunner::bsSkinXFormButton1Click()
{
    if (Run.Busy)
        return;
    const QString typed = m_window.domainText();
    const QString d = withoutSlashes(typed);
    Run.QueryTime = datetime::now();
    Run.ExpectedAnswers = AnswersPerDomain;
    Run.Answers = 0;
    Run.DomainAnswers = 0;
    m_launchedRequests = 0;
    m_launches.clear();
    m_storeFailureShown = false;
    m_launching = false;
    m_window.setGaugeMaximum(AnswersPerDomain);
    m_window.setGaugeValue(0);
    Run.Busy = true;
    Run.CurrentDomain = codec::toCp936(d);
    m_window.setStatus(Querying + d);

    try {
        if (!typed.isEmpty() && !m_window.domainItems().contains(typed, Qt::CaseInsensitive))
            m_window.appendDomainItem(typed);
        m_window.saveDomainList();
    } catch (...) {
        // Nothing was launched, so no answer will come: the run ends here.
        Run.Busy = false;
        m_window.setTimerEnabled(false);
        m_window.showError(failureText());
        return;
    }
    launchDomain(d, codec::toCp936(d));
    m_window.setDomainText(d);
    countLaunchFailures();
}

void QueryRunner::bsSkinXFormButton2Click()
{
    if (Run.Busy)
        return;
    const int items = int(m_window.domainItems().size());
    Run.QueryTime = datetime::now();
    Run.ExpectedAnswers = AnswersPerDomain * items;
    Run.Answers = 0;
    Run.BatchTicks = m_window.delay();
    Run.BatchIndex = 0;
    Run.DomainAnswers = 0;
    m_launchedRequests = 0;
    m_launches.clear();
    m_storeFailureShown = false;
    m_window.setGaugeMaximum(Run.ExpectedAnswers);
    m_window.setGaugeValue(0);
    Run.Busy = true;
    m_launching = true;
    m_window.setTimerInterval(10);
    m_window.setTimerEnabled(true);
    m_window.setStatus(BatchStarted);
    if (items == 0) {
        // Nothing to launch and nothing to wait for.
        m_launching = false;
        endRunIfDone();
    }
}

void QueryRunner::Timer1Timer()
{
    if (!Run.Busy || !m_launching) {
        m_window.setTimerEnabled(false);
        return;
    }
    const int delay = m_window.delay();
    if (Run.BatchTicks > delay) {
        m_window.setTimerInterval(1000);
        const QStringList items = m_window.domainItems();
        if (Run.BatchIndex < items.size()) {
            const QString item = items[Run.BatchIndex];
            Run.CurrentDomain = codec::toCp936(item);
            launchDomain(item, codec::toCp936(withoutSlashes(item)));
            ++Run.BatchIndex;
        }
        Run.BatchTicks = 0;
        // The list as it is now decides where the batch stops: a shortened
        // list ends it early, a lengthened one is followed to its new end.
        const int launchedDomains = Run.BatchIndex;
        const int listed = int(m_window.domainItems().size());
        Run.ExpectedAnswers = AnswersPerDomain * qMax(launchedDomains, listed);
        if (Run.BatchIndex >= listed) {
            m_launching = false;
            Run.ExpectedAnswers = AnswersPerDomain * launchedDomains;
            m_window.setTimerEnabled(false);
        }
        m_window.setGaugeMaximum(Run.ExpectedAnswers);
    }
    ++Run.BatchTicks;
    countLaunchFailures();
    endRunIfDone();
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
            started =
                m_window.gotourl(m_urls.requestUrl(QueryKind(kind), bytes), cleaned, kind, launch);
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

void QueryRunner::getstr(int launch, int kind, const QByteArray &domain, const QByteArray &page)
{
    auto it = m_launches.find(launch);
    if (it == m_launches.end())
        return; // an answer of an earlier run
    pagereader::readPage(kind, domain, page, it->result);
    exitth(launch);
}

void QueryRunner::geterror(int launch, int kind)
{
    auto it = m_launches.find(launch);
    if (it == m_launches.end())
        return;
    pagereader::readFailure(kind, it->result);
    exitth(launch);
}

void QueryRunner::exitth(int launch)
{
    Launch &state = m_launches[launch];
    ++state.answers;
    Run.DomainAnswers = state.answers % AnswersPerDomain;
    QString failure;
    bool reloaded = false;
    if (state.answers >= AnswersPerDomain) {
        QueryRun row;
        row.CurrentDomain = state.domain;
        row.QueryTime = Run.QueryTime;
        row.Result = state.result;
        Run.Result = state.result;
        m_launches.remove(launch);
        try {
            m_window.storeRow(row);
            m_window.setStatus(Done + codec::fromCp936(row.CurrentDomain));
            m_window.reloadResults();
            reloaded = true;
        } catch (...) {
            failure = failureText();
        }
    }
    ++Run.Answers;
    m_window.setGaugeValue(Run.Answers);
    // The list was just reloaded with nothing stored since: once is enough.
    endRunIfDone(reloaded);
    // Shown last: the message box lets further answers in, and they find
    // the counts already up to date.
    if (!failure.isEmpty())
        showStoreFailure(failure);
}

void QueryRunner::endRunIfDone(bool listFresh)
{
    if (!Run.Busy || m_launching || Run.Answers < m_launchedRequests || !m_unstarted.isEmpty())
        return;
    Run.Busy = false;
    m_window.setTimerEnabled(false);
    if (listFresh)
        return;
    try {
        m_window.reloadResults();
    } catch (...) {
        showStoreFailure(failureText());
    }
}

void QueryRunner::showStoreFailure(const QString &text)
{
    // Once per run: a broken store must not raise a box for every domain.
    if (m_storeFailureShown)
        return;
    m_storeFailureShown = true;
    m_window.showError(text);
}

#pragma once

#include "DomainList.h"
#include "QueryFetcher.h"
#include "QueryHistory.h"
#include "QueryRun.h"
#include "QueryUrls.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <optional>

// Single queries and batches: starts them, launches the seven requests of
// each domain, paces a batch with its timer, counts every answer and
// stores each domain's row when its seventh answer arrives. It works with
// three collaborators and reports through signals, so the window and the
// command line drive the same run.
//
// Every launch of a domain keeps its own answers and its own count, so
// that domains whose answers overlap in a batch are stored apart, each
// under its own name.
class QueryRunner : public QObject
{
    Q_OBJECT
public:
    // `timer` paces batches; when none is given the runner makes its own.
    QueryRunner(DomainList &domains, QueryFetcher &fetcher, QueryHistory &history,
                const QueryUrls &urls, QTimer *timer = nullptr, QObject *parent = nullptr);

    // The batch delay in whole seconds, read afresh at every tick.
    void setDelay(int seconds) { m_delay = seconds; }
    int delay() const { return m_delay; }

    void bsSkinXFormButton1Click(); // single query of the typed domain
    void bsSkinXFormButton2Click(); // batch over the list
    void Timer1Timer();             // one tick of the batch timer
    // A batch over these domains instead of the list (retrying what was
    // not obtained); paced and counted as any batch.
    void startBatch(const QStringList &domains);

    // No further launch; the answers out are counted and stored, and the
    // run ends with the last of them.
    void stopBatch();
    // After a pause for verification: launch on from the next domain, in
    // the same run.
    void resumeBatch();
    bool paused() const { return m_paused; }
    // Whether a blocked answer pauses a batch (on by default).
    void setPauseOnVerification(bool on) { m_pauseOnVerification = on; }

    // How far a batch is.
    struct Progress
    {
        int launched = 0;    // domains launched
        int total = 0;       // domains in the batch
        QString domain;      // launched last
        int secondsLeft = 0; // until the last launch
        int answersOut = 0;  // answers still to come
    };
    Progress progress() const;

    // What a finished run got.
    struct RunSummary
    {
        bool batch = false;
        bool stopped = false; // stopped before the end of the list
        int launched = 0;
        int total = 0;
        int stored = 0;   // rows completed
        int complete = 0; // rows with every answer obtained
        int blocked = 0;  // answers not obtained, by outcome
        int failed = 0;
        int unrecognised = 0;
        QStringList incompleteDomains;
    };

    // One answer of a request of the given launch: a page, or a failure.
    void getstr(int launch, int kind, const QByteArray &domain, const QByteArray &page);
    void geterror(int launch, int kind);

    const QueryRun &run() const { return Run; }

    // Completed rows the history could not take yet (a locked, full or
    // read-only store). They are written, in order, before the next row
    // and when the run ends.
    int unsavedRows() const { return int(m_unsaved.size()); }
    // Writes the waiting rows now; false (and the failure told) when some
    // still wait.
    bool retryUnsaved();
    // Gives the waiting rows up.
    void discardUnsaved();
    QTimer &timer() { return *m_timer; }

signals:
    void statusChanged(const QString &text);
    void gaugeMaximumChanged(int maximum);
    void gaugeValueChanged(int value);
    // A failure the user must hear of (the store's own text).
    void failed(const QString &text);
    void busyChanged(bool busy);
    // Every batch tick while it launches.
    void batchProgress(const QueryRunner::Progress &progress);
    // A blocked answer stopped the launches; the run waits for the user.
    void pausedForVerification(const QueryRunner::Progress &progress);
    void runFinished(const QueryRunner::RunSummary &summary);

private:
    struct Launch
    {
        QByteArray domain; // CurrentDomain of its row
        QueryResult result;
        AnswerRecords answers{};
        int counted = 0;
    };

    void startRun(int expectedAnswers);
    void startBatchRun();
    QStringList batchItems() const;
    void countInSummary(const QString &domain, const AnswerRecords &answers);
    // Launches the seven requests of one domain.
    void launchDomain(const QString &item, const QByteArray &cleaned);
    void answer(const QueryRequest &request, const QueryAnswer &answer);
    // Counts one answer of a launch.
    void exitth(int launch);
    void countLaunchFailures();
    // Writes the waiting rows in order; the failure's text when one fails.
    QString writeUnsaved();
    void endRunIfDone(bool listFresh = false, bool justFailed = false);
    void showStoreFailure(const QString &text);

    DomainList &m_domains;
    QueryFetcher &m_fetcher;
    QueryHistory &m_history;
    const QueryUrls &m_urls;
    QTimer *m_timer;
    int m_delay = 2;
    QueryRun Run;
    QHash<int, Launch> m_launches;
    int m_nextLaunch = 1;
    int m_launchedRequests = 0;
    bool m_launching = false; // a batch still has domains to launch
    bool m_batch = false;     // the run is a batch
    bool m_paused = false;
    bool m_stopped = false;
    bool m_pauseOnVerification = true;
    std::optional<QStringList> m_batchItems; // else the domain list
    RunSummary m_summary;
    struct UnsavedRow
    {
        QString domain;
        QDateTime queryTime;
        QueryResult result;
        AnswerRecords answers;
    };
    std::deque<UnsavedRow> m_unsaved;
    // Requests that could not be started, counted as failed answers once
    // the launching handler has done its own steps.
    QList<QPair<int, int>> m_unstarted; // launch, kind
};

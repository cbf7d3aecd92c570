#pragma once

#include "QueryRun.h"
#include "QueryUrls.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Single queries and batches: starts them, launches the seven requests of
// each domain, paces a batch, counts every answer and stores each domain's
// row when its seventh answer arrives. It talks to the window only through
// Window, so it runs without one.
//
// Every launch of a domain keeps its own answers and its own count, so
// that domains whose answers overlap in a batch are stored apart, each
// under its own name.
class QueryRunner
{
public:
    // What the runner needs of the main window.
    class Window
    {
    public:
        virtual ~Window() = default;
        // The domain box.
        virtual QString domainText() const = 0;
        virtual void setDomainText(const QString &text) = 0;
        virtual QStringList domainItems() const = 0;
        virtual void appendDomainItem(const QString &domain) = 0;
        // Stores every item of the box not stored yet, then reloads the box.
        virtual void saveDomainList() = 0;
        // The delay box, in whole seconds.
        virtual int delay() const = 0;
        virtual void setStatus(const QString &text) = 0;
        virtual void setGaugeMaximum(int maximum) = 0;
        virtual void setGaugeValue(int value) = 0;
        virtual void setTimerInterval(int milliseconds) = 0;
        virtual void setTimerEnabled(bool enabled) = 0;
        // Appends one history row: CurrentDomain, QueryTime and Result.
        virtual void storeRow(const QueryRun &row) = 0;
        // Reloads the results list with the latest rows.
        virtual void reloadResults() = 0;
        // Starts one request; its answer comes back through getstr or
        // geterror with the same launch number. False when it could not be
        // created or started.
        virtual bool gotourl(const QByteArray &url, const QByteArray &domain, int kind,
                             int launch) = 0;
        virtual void showError(const QString &text) = 0;
    };

    QueryRunner(Window &window, const QueryUrls &urls);

    // Handlers of the window's controls.
    void bsSkinXFormButton1Click(); // "查询"
    void bsSkinXFormButton2Click(); // "批量查询"
    void Timer1Timer();

    // One answer of a request of the given launch: a page, or a failure.
    void getstr(int launch, int kind, const QByteArray &domain, const QByteArray &page);
    void geterror(int launch, int kind);

    const QueryRun &run() const { return Run; }
    // Requests launched in this run and not counted yet.
    int pendingAnswers() const { return m_launchedRequests - Run.Answers; }

private:
    struct Launch
    {
        QByteArray domain; // CurrentDomain of its row
        QueryResult result;
        int answers = 0;
    };

    // Launches the seven requests of one domain.
    void launchDomain(const QString &item, const QByteArray &cleaned);
    // Counts one answer of a launch.
    void exitth(int launch);
    void countLaunchFailures();
    void endRunIfDone(bool listFresh = false);
    void showStoreFailure(const QString &text);

    Window &m_window;
    const QueryUrls &m_urls;
    QueryRun Run;
    QHash<int, Launch> m_launches;
    int m_nextLaunch = 1;
    int m_launchedRequests = 0;
    bool m_launching = false; // a batch still has domains to launch
    bool m_storeFailureShown = false;
    // Requests that could not be started, counted as failed answers once
    // the launching handler has done its own steps.
    QList<QPair<int, int>> m_unstarted; // launch, kind
};

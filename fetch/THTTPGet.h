#pragma once

#include "FetchEvents.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

class THTTPGetThread;

// Fetches one URL at a time on a worker thread of its own and reports the
// body (OnDoneString) or a failure (OnError) on the main thread.
class THTTPGet : public QObject
{
    Q_OBJECT
public:
    explicit THTTPGet(QObject *owner);
    ~THTTPGet() override;

    QByteArray AcceptTypes = "*/*";
    QByteArray Agent = "Brannock HTTPGet";
    bool BinaryData = false;
    QByteArray URL;
    bool UseCache = false;
    QByteArray UserName;
    QByteArray Password;
    QByteArray PostQuery;
    QByteArray Referer;
    bool WaitThread = false;
    TOnProgressEvent OnProgress;
    TOnDoneStringEvent OnDoneString;
    TNotifyEvent OnError;

    // Starts a fetch of the current settings unless one is running.
    void Fetch();
    // Asks the running worker, if any, to stop; its fetch ends failed.
    void Abort();

    bool Succeeded() const { return m_succeeded; }
    // Of the last finished fetch, beside Succeeded: the response status (0
    // when none came), the address finally fetched (for a verification
    // redirect, where it pointed), the Content-Type and why it failed.
    int Status() const { return m_status; }
    const QByteArray &FinalUrl() const { return m_finalUrl; }
    const QByteArray &ContentType() const { return m_contentType; }
    const QString &FailureReason() const { return m_failureReason; }
    bool busy() const { return !Worker.isNull(); }

protected:
    // Runs on the main thread when the worker ends.
    void ThreadDone(THTTPGetThread *Sender);

private:
    // Cleared by ThreadDone; also by the worker's release when its
    // completion was never delivered (program shutdown).
    QPointer<THTTPGetThread> Worker;
    bool m_succeeded = false;
    int m_status = 0;
    QByteArray m_finalUrl;
    QByteArray m_contentType;
    QString m_failureReason;
};

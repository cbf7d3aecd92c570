#pragma once

#include "FetchEvents.h"

#include <QByteArray>
#include <QThread>

#include <atomic>
#include <chrono>

// One HTTP request on a thread of its own. Created with a copy of the
// component's settings, it starts at once, reports progress and its
// completion on the main thread while it waits, and then releases itself.
class THTTPGetThread final : public QThread
{
    Q_OBJECT
public:
    using Completion = std::function<void(THTTPGetThread *worker)>;

    THTTPGetThread(QByteArray AcceptTypes, QByteArray Agent, QByteArray URL, QByteArray UserName,
                   QByteArray Password, QByteArray PostQuery, QByteArray Referer, bool BinaryData,
                   bool UseCache, TOnProgressEvent OnProgress, Completion onCompletion);
    ~THTTPGetThread() override;

    // Main thread: asks the worker to stop at its next check.
    void requestTermination() { m_terminate.store(true); }
    void clearSucceeded() { m_succeeded.store(false); }
    // Main thread: neither progress nor completion will reach anybody any
    // more (its component is gone).
    void detach()
    {
        m_onCompletion = nullptr;
        m_detached = true;
    }

    // Readable from the completion and progress handlers.
    bool Succeeded() const { return m_succeeded.load(); }
    const QByteArray &ResponseText() const { return m_responseText; }
    // What else is known of the last response: its status (0 when none
    // came), the address finally fetched, its Content-Type, and why the
    // fetch failed (empty when it did not).
    int Status() const { return m_status; }
    const QByteArray &FinalUrl() const { return m_finalUrl; }
    const QByteArray &ContentType() const { return m_contentType; }
    const QString &FailureReason() const { return m_failureReason; }

    // Limits that keep a fetch from waiting forever; tests shorten them.
    struct Timeouts
    {
        std::chrono::milliseconds connect{60000};
        std::chrono::seconds stall{30}; // no byte arriving for this long fails
        // However the server trickles, a fetch ends within this time; what
        // arrived until then is kept, as for any cut-off transfer.
        std::chrono::milliseconds total{90000};
    };
    // A body is read up to this size and the transfer ends there, keeping
    // what arrived. Result pages are under half a megabyte; with every
    // request out at once held to this, memory stays bounded.
    static constexpr qsizetype MaxBodySize = qsizetype(2) * 1024 * 1024;
    static void setTimeouts(const Timeouts &timeouts);
    // The certificate authorities https answers are checked against: a PEM
    // file, or empty for the system's store (the default).
    static void setCertificateAuthorities(const QByteArray &pemFile);

    // Main thread, at shutdown: stops every live worker, delivers their
    // completions to nobody and waits (processing events) until all are
    // gone or the deadline passes. Returns whether all are gone.
    static bool finishAll(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    static int liveWorkers();

protected:
    void run() override;

private:
    friend struct CurlCallbacks;
    void fetch();
    // Runs on the main thread while the worker waits.
    void onMainThread(const std::function<void()> &call);
    bool terminationRequested() const { return m_terminate.load(); }
    // Bytes of the body as they arrive; false stops the transfer.
    bool receive(const char *data, std::size_t size);
    bool checkContentLength();

    const QByteArray m_acceptTypes, m_agent, m_url, m_userName, m_password, m_postQuery, m_referer;
    const bool m_binaryData, m_useCache;
    const TOnProgressEvent m_onProgress;
    Completion m_onCompletion;
    bool m_detached = false; // main thread only

    std::atomic<bool> m_terminate{false};
    std::atomic<bool> m_succeeded{false};
    QByteArray m_responseText;
    int m_contentLength = 0;
    int m_bytesReceived = 0;

    // Worker-thread state of the transfer.
    bool m_stopped = false;     // a check found the termination request, or an error
    bool m_headersDone = false; // steps before the read loop have run
    bool m_bodyCut = false;     // the body reached MaxBodySize
    bool m_verificationRedirect = false;
    int m_status = 0;
    QByteArray m_finalUrl;
    QByteArray m_contentType;
    QString m_failureReason;
    QByteArray m_redirectLocation; // of the response being read
    bool m_hasContentLength = false;
    QByteArray m_contentLengthText;
};

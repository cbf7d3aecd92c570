#include "THTTPGetThread.h"

#include "AnswerOutcome.h"
#include "SplitUrl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>

#include <curl/curl.h>

#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>

namespace {

constexpr std::size_t ChunkSize = 1025;

std::mutex timeoutsMutex; // guards the two settings below
THTTPGetThread::Timeouts timeouts;
QByteArray certificateAuthorities; // empty: the system's store

// Workers alive; touched on the main thread only.
QSet<THTTPGetThread *> &liveSet()
{
    static QSet<THTTPGetThread *> set;
    return set;
}

struct CurlDeleter
{
    void operator()(CURL *h) const { curl_easy_cleanup(h); }
};
struct SlistDeleter
{
    void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};

// The object path as the request line carries it: its bytes unchanged
// (code page 936, "&", "%"), except bytes that cannot stand in a request
// line at all (blank, control characters) and "#", which would cut the
// path short.
QByteArray requestPath(const QByteArray &path)
{
    QByteArray out;
    out.reserve(path.size());
    for (char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || b == '#') {
            static const char hex[] = "0123456789ABCDEF";
            out.append('%').append(hex[b >> 4]).append(hex[b & 0xF]);
        } else {
            out.append(c);
        }
    }
    return out;
}

// A header value read as a decimal integer within the 32-bit range.
bool readContentLength(QByteArrayView text, int &value)
{
    text = text.trimmed();
    bool ok = false;
    const qlonglong v = text.toByteArray().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

} // namespace

struct CurlCallbacks
{
    static size_t write(char *data, size_t size, size_t count, void *self)
    {
        auto *worker = static_cast<THTTPGetThread *>(self);
        const std::size_t total = size * count;
        return worker->receive(data, total) ? total : 0;
    }

    static size_t header(char *data, size_t size, size_t count, void *self)
    {
        auto *worker = static_cast<THTTPGetThread *>(self);
        const QByteArrayView line(data, qsizetype(size * count));
        if (line.startsWith("HTTP/")) {
            // A new response (after a redirect or an interim answer).
            worker->m_hasContentLength = false;
            worker->m_contentLengthText.clear();
            worker->m_redirectLocation.clear();
            const QList<QByteArray> parts = line.trimmed().toByteArray().split(' ');
            worker->m_status = parts.value(1).toInt();
        } else if (line.size() > 9 && qstrnicmp(line.data(), "location:", 9) == 0) {
            worker->m_redirectLocation = line.sliced(9).trimmed().toByteArray();
            if (worker->m_status >= 300 && worker->m_status < 400 &&
                outcome::isVerificationAddress(worker->m_redirectLocation)) {
                // Not followed: the transfer ends here, with this answer.
                worker->m_verificationRedirect = true;
                worker->m_finalUrl = worker->m_redirectLocation;
                return 0;
            }
        } else if (line.size() > 15 && qstrnicmp(line.data(), "content-length:", 15) == 0) {
            const QByteArrayView value = line.sliced(15).trimmed();
            // The header query has a 2048-byte buffer: longer values fail it.
            worker->m_hasContentLength = value.size() < 2048;
            worker->m_contentLengthText = value.toByteArray();
        }
        return size * count;
    }

    static int progress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto *worker = static_cast<THTTPGetThread *>(self);
        if (worker->terminationRequested()) {
            worker->m_stopped = true;
            return 1;
        }
        return 0;
    }
};

THTTPGetThread::THTTPGetThread(QByteArray AcceptTypes, QByteArray Agent, QByteArray URL,
                               QByteArray UserName, QByteArray Password, QByteArray PostQuery,
                               QByteArray Referer, bool BinaryData, bool UseCache,
                               TOnProgressEvent OnProgress, Completion onCompletion)
    : m_acceptTypes(std::move(AcceptTypes)), m_agent(std::move(Agent)), m_url(std::move(URL)),
      m_userName(std::move(UserName)), m_password(std::move(Password)),
      m_postQuery(std::move(PostQuery)), m_referer(std::move(Referer)), m_binaryData(BinaryData),
      m_useCache(UseCache), m_onProgress(std::move(OnProgress)),
      m_onCompletion(std::move(onCompletion))
{
    liveSet().insert(this);
    // Released on the main thread once the run, completion included, is over.
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    start();
}

THTTPGetThread::~THTTPGetThread()
{
    liveSet().remove(this);
    wait();
}

void THTTPGetThread::setTimeouts(const Timeouts &value)
{
    std::lock_guard lock(timeoutsMutex);
    timeouts = value;
}

void THTTPGetThread::setCertificateAuthorities(const QByteArray &pemFile)
{
    std::lock_guard lock(timeoutsMutex);
    certificateAuthorities = pemFile;
}

int THTTPGetThread::liveWorkers()
{
    return int(liveSet().size());
}

bool THTTPGetThread::finishAll(std::chrono::milliseconds deadline)
{
    for (THTTPGetThread *worker : liveSet()) {
        worker->detach();
        worker->requestTermination();
    }
    QElapsedTimer clock;
    clock.start();
    while (!liveSet().isEmpty() && clock.elapsed() < deadline.count()) {
        // Completions waiting for the main thread run here (to nobody), and
        // finished workers are released.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return liveSet().isEmpty();
}

void THTTPGetThread::onMainThread(const std::function<void()> &call)
{
    // A blocking hand-over whose ordering is the worker's own lock: the main
    // thread takes it (so it sees everything the worker wrote) before it
    // runs the call, and gives it back with `done` set.
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::unique_lock held(lock);
    QMetaObject::invokeMethod(
        this,
        [&] {
            std::unique_lock mainHeld(lock);
            call();
            done = true;
            finished.notify_one();
        },
        Qt::QueuedConnection);
    finished.wait(held, [&] { return done; });
}

void THTTPGetThread::run()
{
    try {
        fetch();
    } catch (...) {
        // Memory exhausted or the like: the fetch fails.
        m_succeeded.store(false);
    }
    onMainThread([this] {
        if (m_onCompletion)
            m_onCompletion(this);
    });
}

bool THTTPGetThread::checkContentLength()
{
    if (!m_hasContentLength)
        return true;
    int value = 0;
    if (!readContentLength(m_contentLengthText, value))
        return false; // an unreadable length ends the run
    m_contentLength = value;
    return true;
}

bool THTTPGetThread::receive(const char *data, std::size_t size)
{
    if (!m_headersDone) {
        m_headersDone = true;
        if (terminationRequested() || !checkContentLength() || terminationRequested()) {
            m_stopped = true;
            return false;
        }
        m_bytesReceived = 0;
        m_responseText.clear();
    }
    if (m_responseText.size() + qsizetype(size) > MaxBodySize) {
        // Ends the transfer like a broken connection: what fits is kept.
        size = std::size_t(MaxBodySize - m_responseText.size());
        m_bodyCut = true;
    }
    while (size > 0) {
        if (terminationRequested()) {
            m_stopped = true;
            return false;
        }
        const std::size_t n = std::min(size, ChunkSize);
        m_responseText.append(data, qsizetype(n));
        m_bytesReceived += int(n);
        data += n;
        size -= n;
        if (m_onProgress) {
            onMainThread([this] {
                if (!m_detached)
                    m_onProgress(this, m_contentLength, m_bytesReceived);
            });
        }
    }
    return !m_bodyCut;
}

void THTTPGetThread::fetch()
{
    const SplitUrlResult parts = SplitUrl(m_url);
    if (terminationRequested()) {
        m_succeeded.store(false);
        return;
    }
    Timeouts limits;
    QByteArray caFile;
    {
        std::lock_guard lock(timeoutsMutex);
        limits = timeouts;
        caFile = certificateAuthorities;
    }

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        m_succeeded.store(false);
        return;
    }
    CURL *h = curl.get();
    const QByteArray url =
        "http://" + parts.host +
        (parts.port == 80 ? QByteArray() : ":" + QByteArray::number(parts.port)) +
        requestPath(parts.path);
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Requests start as http; the engine sends them on to https, whose
    // certificates are checked against the system's store.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    if (!caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
    // Redirects are followed as a browser's HTTP client does.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(limits.stall.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(limits.total.count()));
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, long(ChunkSize));
    if (!m_agent.isEmpty())
        curl_easy_setopt(h, CURLOPT_USERAGENT, m_agent.constData());
    if (!m_referer.isEmpty())
        curl_easy_setopt(h, CURLOPT_REFERER, m_referer.constData());
    if (!m_userName.isEmpty() || !m_password.isEmpty()) {
        // Handed to the server when it asks for them.
        curl_easy_setopt(h, CURLOPT_USERNAME, m_userName.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, m_password.constData());
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, long(CURLAUTH_ANY));
    }

    std::unique_ptr<curl_slist, SlistDeleter> headers;
    auto addHeader = [&headers](const QByteArray &line) {
        curl_slist *list = curl_slist_append(headers.get(), line.constData());
        if (!list)
            throw std::bad_alloc();
        (void)headers.release();
        headers.reset(list);
    };
    addHeader(m_acceptTypes.isEmpty() ? QByteArray("Accept:") : "Accept: " + m_acceptTypes);
    if (!m_useCache) {
        // The answer must come from the origin server, not from any cache.
        addHeader("Cache-Control: no-cache");
        addHeader("Pragma: no-cache");
    }
    if (!m_postQuery.isEmpty()) {
        addHeader("Content-Type: application/x-www-form-urlencoded");
        addHeader("Expect:");
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, long(m_postQuery.size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, m_postQuery.constData());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlCallbacks::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlCallbacks::header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlCallbacks::progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);

    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(h);
    if (!m_verificationRedirect) {
        const char *effective = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            m_finalUrl = effective;
    }
    const char *type = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
        m_contentType = type;
    if (code != CURLE_OK && !m_verificationRedirect && !m_bodyCut) {
        m_failureReason = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code));
    }
    if (!m_stopped && !m_headersDone) {
        // No body arrived: the steps before the read loop still run.
        m_stopped = terminationRequested() || !checkContentLength();
    }
    // The check before the read that finds the end of the body.
    if (!m_stopped && terminationRequested())
        m_stopped = true;
    m_succeeded.store(!m_stopped && m_bytesReceived != 0);
    if (m_stopped && m_failureReason.isEmpty())
        m_failureReason = terminationRequested() ? QStringLiteral("aborted")
                                                 : QStringLiteral("unreadable Content-Length");
    else if (!m_succeeded.load() && m_failureReason.isEmpty() && !m_verificationRedirect)
        m_failureReason = QStringLiteral("empty response");
}

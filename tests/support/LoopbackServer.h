#pragma once

// A small HTTP server on 127.0.0.1 for tests, scripted per test: every
// connection runs the test's handler on a thread of its own, and every
// request is recorded as received.

#include <QByteArray>
#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class LoopbackServer
{
public:
    struct Request
    {
        QByteArray raw;         // request line, headers and body as received
        QByteArray requestLine; // without the line break
        QByteArray body;
        QByteArray header(const QByteArray &name) const
        {
            const QList<QByteArray> lines = raw.left(raw.indexOf("\r\n\r\n")).split('\n');
            for (const QByteArray &line : lines) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                    return line.mid(colon + 1).trimmed();
            }
            return {};
        }
        bool hasHeader(const QByteArray &name) const
        {
            return raw.toLower().contains("\r\n" + name.toLower() + ":");
        }
    };

    class Connection
    {
    public:
        Connection(LoopbackServer &server, int fd) : m_server(server), m_fd(fd) {}
        const Request &request() const { return m_request; }
        // False once the other side has gone.
        bool send(const QByteArray &bytes)
        {
            qsizetype at = 0;
            while (at < bytes.size()) {
                const ssize_t n =
                    ::send(m_fd, bytes.constData() + at, size_t(bytes.size() - at), MSG_NOSIGNAL);
                if (n <= 0)
                    return false;
                at += n;
            }
            return true;
        }
        // Answers with a status line, a Content-Length and the body.
        void respond(const QByteArray &body, const QByteArray &status = "200 OK",
                     const QByteArray &extraHeaders = {})
        {
            send("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                 "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body);
        }
        // Closes with a reset instead of an orderly end.
        void reset()
        {
            linger l{1, 0};
            ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        }
        // Waits (sending nothing) until the time passes or the server stops.
        void stall(std::chrono::milliseconds time) { m_server.waitStop(time); }
        bool readRequest();

    private:
        LoopbackServer &m_server;
        int m_fd;
        Request m_request;
    };

    using Handler = std::function<void(Connection &)>;

    // Port 0 picks a free one.
    explicit LoopbackServer(Handler handler, int port = 0) : m_handler(std::move(handler))
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        m_bound = ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
        ::listen(m_listen, 64);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }

    ~LoopbackServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_stopped.notify_all();
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_acceptor.join();
        for (Worker &w : m_connections)
            w.thread.join();
    }

    int port() const { return m_port; }
    bool listening() const { return m_bound; }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(m_port); }

    QList<Request> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int connections() const { return m_connectionCount.load(); }

private:
    friend class Connection;

    void waitStop(std::chrono::milliseconds time)
    {
        std::unique_lock lock(m_mutex);
        m_stopped.wait_for(lock, time, [this] { return m_stopping; });
    }

    void acceptLoop()
    {
        for (;;) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                return;
            ++m_connectionCount;
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                ::close(fd);
                return;
            }
            // Threads of connections that have ended are joined as new ones come.
            for (auto it = m_connections.begin(); it != m_connections.end();) {
                if (it->done->load()) {
                    it->thread.join();
                    it = m_connections.erase(it);
                } else {
                    ++it;
                }
            }
            auto done = std::make_shared<std::atomic<bool>>(false);
            m_connections.push_back({std::thread([this, fd, done] {
                                         serve(fd);
                                         done->store(true);
                                     }),
                                     done});
        }
    }

    void serve(int fd)
    {
        Connection connection(*this, fd);
        if (connection.readRequest()) {
            {
                std::lock_guard lock(m_mutex);
                m_requests.append(connection.request());
            }
            m_handler(connection);
        }
        ::close(fd);
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    bool m_bound = false;
    std::thread m_acceptor;
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_connections;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    QList<Request> m_requests;
    std::atomic<int> m_connectionCount{0};
};

inline bool LoopbackServer::Connection::readRequest()
{
    QByteArray data;
    char buffer[4096];
    qsizetype headerEnd = -1;
    while ((headerEnd = data.indexOf("\r\n\r\n")) < 0) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        data.append(buffer, n);
    }
    m_request.raw = data;
    m_request.requestLine = data.left(data.indexOf("\r\n"));
    const qsizetype length = m_request.header("Content-Length").toLongLong();
    while (data.size() - (headerEnd + 4) < length) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    m_request.raw = data;
    m_request.body = data.mid(headerEnd + 4);
    return true;
}

// A stand-in for the search engine on loopback, for trying the program
// without the internet: point http_proxy at it and every query the program
// makes for www.baidu.com is answered here with a plausible result page.
//   talvexa-fake-engine [PORT] [MODE]     default 8088, pages
// MODE tries the program against a hostile engine: "trickle" sends a byte
// every half second and never ends (slow, but never stalled), "endless"
// sends a body without end, "verify" answers with the verification page.
#include "FakeEnginePages.h"
#include "LoopbackServer.h"

#include <QCryptographicHash>
#include <QDate>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Figures that stay the same for a domain on a day and differ between
// domains.
quint32 seedOf(const QByteArray &domain)
{
    const QByteArray day = QDate::currentDate().toString(Qt::ISODate).toLatin1();
    const QByteArray h = QCryptographicHash::hash(domain + day, QCryptographicHash::Sha1);
    return quint32(uchar(h[0])) << 16 | quint32(uchar(h[1])) << 8 | uchar(h[2]);
}

void answer(LoopbackServer::Connection &c)
{
    const QByteArray line = c.request().requestLine;
    QByteArray domain;
    const int kind = engineQueryKind(line, domain);
    if (kind < 0 || !line.endsWith(" HTTP/1.1")) {
        c.respond("not a search", "404 Not Found");
        return;
    }
    domain.chop(9); // " HTTP/1.1"
    const quint32 seed = seedOf(domain);
    const int total = int(seed % 900000) + 10000;
    const int divisors[] = {1, 300, 40, 9, 2};
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
    if (kind == 6) {
        const QByteArray date =
            QDate::currentDate().addDays(-int(seed % 5)).toString("yyyy-M-d").toLatin1();
        c.respond(enginePage("1", snapshotResults(domain, date)), "200 OK",
                  "Content-Type: text/html; charset=gb2312\r\n");
        return;
    }
    const int count = kind == 5 ? int(seed % 50000) : total / divisors[kind];
    QByteArray text = QByteArray::number(count);
    for (qsizetype i = text.size() - 3; i > 0; i -= 3)
        text.insert(i, ',');
    c.respond(enginePage(codec::toCp936(u"约") + text,
                         kind == 0 ? siteResults(domain, seed % 3 != 0) : QByteArray()),
              "200 OK", "Content-Type: text/html; charset=gb2312\r\n");
}

} // namespace

void trickle(LoopbackServer::Connection &c)
{
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n");
    for (int i = 0; i < 1000000 && c.send("x"); ++i)
        c.stall(std::chrono::milliseconds(500));
}

void endless(LoopbackServer::Connection &c)
{
    c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'e') + "\r\n";
    while (c.send(chunk)) {
    }
}

int main(int argc, char **argv)
{
    const int port = argc > 1 ? std::atoi(argv[1]) : 8088;
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray("pages");
    LoopbackServer::Handler handler = answer;
    if (mode == "trickle")
        handler = trickle;
    else if (mode == "endless")
        handler = endless;
    else if (mode == "verify")
        handler = [](LoopbackServer::Connection &c) {
            c.respond(codec::toCp936(u"<html><title>百度安全验证</title></html>"), "200 OK",
                      "Content-Type: text/html; charset=gb2312\r\n");
        };
    else if (mode != "pages") {
        std::fprintf(stderr, "usage: %s [PORT] [pages|trickle|endless|verify]\n", argv[0]);
        return 2;
    }
    LoopbackServer server(handler, port);
    if (!server.listening()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("fake search engine on 127.0.0.1:%d; start the program with\n"
                "  http_proxy=http://127.0.0.1:%d\n",
                server.port(), server.port());
    std::fflush(stdout);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}

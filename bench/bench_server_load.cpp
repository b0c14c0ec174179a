// The application server under hostile load: while 256 connections sit idle, 64 clients
// trickle an unfinished frame byte by byte and 64 clients send large calls and never read
// their answers, a fresh client's small call (connect, open, GetParamComis) is timed against
// the same call on the unloaded server, taken in turns: unloaded, loaded, unloaded again.
// The server is the real executable in a process of its own, so that its memory (VmRSS now,
// VmHWM at its peak) is its own.
//
//   build/bin/bench/bench_server_load [seconds-per-stretch]

#include "framework/wire/codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kIdle = 256;
constexpr int kSlowSenders = 64;
constexpr int kNonReaders = 64;

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect");
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

void sendAll(int fd, const QByteArray& bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + at, static_cast<size_t>(bytes.size() - at), MSG_NOSIGNAL);
        if (n <= 0) throw std::runtime_error("send failed");
        at += n;
    }
}

wire::Message receive(int fd)
{
    wire::FrameReader reader;
    char buffer[65536];
    for (;;) {
        if (auto frame = reader.takeFrame()) return wire::decodeMessage(*frame);
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) throw std::runtime_error("no answer");
        reader.append(QByteArrayView(buffer, n));
    }
}

int openClient(quint16 port)
{
    const int fd = connectTo(port);
    sendAll(fd, wire::encodeFrame(wire::OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 1}));
    if (!std::holds_alternative<wire::OpenAccepted>(receive(fd))) throw std::runtime_error("open refused");
    return fd;
}

const QByteArray& smallCall()
{
    static const QByteArray frame =
        wire::encodeFrame(wire::CallRequest{1, QStringLiteral("GetParamComis"), {wire::Value(QStringLiteral("0001"))}});
    return frame;
}

// A fresh client: connect, open, one small call; microseconds.
double freshCall(quint16 port)
{
    QElapsedTimer clock;
    clock.start();
    const int fd = openClient(port);
    sendAll(fd, smallCall());
    if (!std::holds_alternative<wire::CallReply>(receive(fd))) throw std::runtime_error("call failed");
    ::close(fd);
    return static_cast<double>(clock.nsecsElapsed()) / 1000.0;
}

struct Latency {
    double p50 = 0, p90 = 0, p99 = 0;
    size_t calls = 0;
};

Latency stretch(quint16 port, double seconds)
{
    std::vector<double> samples;
    QElapsedTimer total;
    total.start();
    while (total.nsecsElapsed() < static_cast<qint64>(seconds * 1e9)) samples.push_back(freshCall(port));
    std::sort(samples.begin(), samples.end());
    const auto pct = [&](double p) {
        return samples[std::min(samples.size() - 1, static_cast<size_t>(p * samples.size()))];
    };
    return {pct(0.5), pct(0.9), pct(0.99), samples.size()};
}

qint64 statusKb(qint64 pid, const char* key)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qstrlen(key)).trimmed().split(' ').front().toLongLong();
    return -1;
}

double cpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = file.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return static_cast<double>(fields.value(11).toLongLong() + fields.value(12).toLongLong())
           / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void print(const char* name, const Latency& l)
{
    std::printf("%-44s p50 %8.0f us   p90 %8.0f us   p99 %8.0f us   (%zu calls)\n", name, l.p50, l.p90, l.p99, l.calls);
    std::fflush(stdout);
}

QString serverExecutable() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../ate02700-server"); }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, QString::fromLocal8Bit(argv[1]).toDouble()) : 3.0;
    // 256 + 64 + 64 connections here and as many in the server.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);

    QTemporaryDir dir;
    const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("load.db"));
    if (QProcess::execute(serverExecutable(), {QStringLiteral("init"), QStringLiteral("--db"), url,
                                               QStringLiteral("--seed"), QStringLiteral("demo")})
        != 0)
        throw std::runtime_error("init failed");
    QProcess server;
    server.setStandardErrorFile(dir.filePath(QStringLiteral("server.log")));
    server.start(serverExecutable(),
                 {QStringLiteral("serve"), QStringLiteral("--db"), url, QStringLiteral("--listen"),
                  QStringLiteral("127.0.0.1:0"), QStringLiteral("--max-connections-per-address"),
                  QStringLiteral("1000"), QStringLiteral("--connection-rate"), QStringLiteral("1000000"),
                  QStringLiteral("--connection-burst"), QStringLiteral("1000000")});
    if (!server.waitForReadyRead(20'000)) throw std::runtime_error("server did not start");
    const QByteArray announced = server.readLine().trimmed();
    const quint16 port = static_cast<quint16>(announced.mid(announced.lastIndexOf(':') + 1).toUInt());
    const qint64 pid = server.processId();

    const Latency before = stretch(port, seconds);
    print("unloaded", before);
    const qint64 rssUnloaded = statusKb(pid, "VmRSS:");

    std::vector<int> idle, slow, nonReaders;
    for (int i = 0; i < kIdle; ++i) idle.push_back(openClient(port));
    for (int i = 0; i < kSlowSenders; ++i) {
        slow.push_back(openClient(port));
        QByteArray head(4, '\0');
        qToBigEndian<quint32>(1024 * 1024, head.data());
        sendAll(slow.back(), head + QByteArray(1000, 'a'));
    }
    // Four calls of 1 MB each whose arguments come back; the client's receive buffer is
    // small, so the answers stay with the server.
    const QByteArray bigCall = wire::encodeFrame(
        wire::CallRequest{2, QStringLiteral("GetParamComis"), {wire::Value(QString(1024 * 1024, QLatin1Char('q')))}});
    for (int i = 0; i < kNonReaders; ++i) {
        const int fd = openClient(port);
        const int small = 8 * 1024;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        nonReaders.push_back(fd);
    }
    std::atomic<bool> loadOn{true};
    std::thread drivers([&] {
        // Each slow sender adds a byte every 100 ms; each non-reader pushes its calls as far
        // as the server takes them.
        std::vector<qsizetype> pushed(nonReaders.size(), 0);
        const QByteArray calls = bigCall + bigCall + bigCall + bigCall;
        while (loadOn) {
            for (const int fd : slow) ::send(fd, "b", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            for (size_t i = 0; i < nonReaders.size(); ++i) {
                if (pushed[i] >= calls.size()) continue;
                const ssize_t n = ::send(nonReaders[i], calls.constData() + pushed[i],
                                         static_cast<size_t>(calls.size() - pushed[i]), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0) pushed[i] += n;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    // The load in place: the non-readers' calls are run until their answers fill the
    // sockets, then the server has nothing to do for them. Measured once it is quiet.
    QElapsedTimer settle;
    settle.start();
    double cpu = cpuSeconds(pid);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double now = cpuSeconds(pid);
        if (now - cpu < 0.05 || settle.elapsed() > 30'000) break;
        cpu = now;
    }
    std::printf("load settled after %.1f s\n", static_cast<double>(settle.elapsed()) / 1000.0);
    const Latency loaded = stretch(port, seconds);
    print("loaded (256 idle, 64 slow, 64 not reading)", loaded);
    const qint64 rssLoaded = statusKb(pid, "VmRSS:");
    loadOn = false;
    drivers.join();
    for (const auto* group : {&idle, &slow, &nonReaders})
        for (const int fd : *group) ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const Latency after = stretch(port, seconds);
    print("unloaded again", after);

    const double baseline = std::max(before.p50, after.p50);
    std::printf("\nloaded / unloaded p50: %.2f (held to 2.00); p90: %.2f\n", loaded.p50 / baseline,
                loaded.p90 / std::max(before.p90, after.p90));
    std::printf("server memory: %.1f MB unloaded, %.1f MB loaded, peak %.1f MB\n", rssUnloaded / 1024.0,
                rssLoaded / 1024.0, statusKb(pid, "VmHWM:") / 1024.0);
    server.terminate();
    server.waitForFinished(30'000);
    return 0;
}

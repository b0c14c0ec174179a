// The cost of TLS on the application server, in one run: the small call (GetParamComis)
// through TNetConnection and the real server (in this process, its own threads) over TLS
// against the same call in plain TCP, and the opening of a connection (TCP, TLS handshake,
// the opening message) each way. Cases are taken in turns so both see the same load. The
// certificates are made at start in a temporary folder by tools/make-test-certs.sh.
//
//   build/bin/bench/bench_server_tls [seconds-per-case]

#include "bench/in_process_server.h"
#include "framework/net/netconnection.h"
#include "server/database.h"
#include "server/net/app_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct Stats {
    double p50us = 0;
    double cpuUs = 0;
};

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Cases in turns of 50 ms, each about `seconds` in all; p50 latency and CPU time per run.
std::vector<Stats> measureInTurns(const std::vector<std::pair<const char*, std::function<void()>>>& cases,
                                  double seconds)
{
    for (int i = 0; i < 20; ++i)
        for (const auto& c : cases) c.second();
    std::vector<std::vector<double>> samples(cases.size());
    std::vector<double> cpu(cases.size(), 0);
    for (double spent = 0; spent < seconds; spent += 0.05) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            QElapsedTimer turn;
            turn.start();
            const double cpuStart = processCpuSeconds();
            do {
                QElapsedTimer one;
                one.start();
                cases[i].second();
                samples[i].push_back(static_cast<double>(one.nsecsElapsed()) / 1000.0);
            } while (turn.nsecsElapsed() < 50'000'000);
            cpu[i] += processCpuSeconds() - cpuStart;
        }
    }
    std::vector<Stats> out;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto& s = samples[i];
        std::sort(s.begin(), s.end());
        const Stats st{s[s.size() / 2], cpu[i] * 1e6 / static_cast<double>(s.size())};
        std::printf("%-40s p50 %9.1f us   p99 %9.1f us   cpu %9.1f us   (%zu runs)\n", cases[i].first, st.p50us,
                    s[std::min(s.size() - 1, s.size() * 99 / 100)], st.cpuUs, s.size());
        out.push_back(st);
    }
    std::fflush(stdout);
    return out;
}

void point(TNetConnection& net, quint16 port, const QString& ca)
{
    net.SetHost(QStringLiteral("127.0.0.1"));
    net.SetPort(port);
    net.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
    net.SetSecurity({QString(), QString(), ca});
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.2, QString::fromLocal8Bit(argv[1]).toDouble()) : 2.0;

    QTemporaryDir dir;
    QProcess certs;
    certs.start(QStringLiteral(ATE_SOURCE_DIR "/tools/make-test-certs.sh"), {dir.path()});
    if (!certs.waitForFinished(60'000) || certs.exitCode() != 0) throw std::runtime_error("make-test-certs.sh failed");
    const server::DatabaseUrl url =
        server::DatabaseUrl::parse(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db")));
    server::initDatabase(url, server::SeedSpec::parse(QStringLiteral("demo")));

    server::net::ServeOptions plainOptions;
    plainOptions.database = url;
    plainOptions.threads = 2;
    server::net::ServeOptions tlsOptions = plainOptions;
    tlsOptions.tls =
        server::net::TlsFiles{dir.filePath(QStringLiteral("server.pem")), dir.filePath(QStringLiteral("server.key"))};
    benchsupport::InProcessServer plainServer(plainOptions);
    benchsupport::InProcessServer tlsServer(tlsOptions);
    const QString ca = dir.filePath(QStringLiteral("ca.pem"));

    TNetConnection plain, tls;
    point(plain, plainServer.port(), QString());
    point(tls, tlsServer.port(), ca);
    const auto small = [](TNetConnection& net) {
        return [&net] {
            wire::Array args{QStringLiteral("0001")};
            net.Call(QStringLiteral("GetParamComis"), args);
        };
    };
    std::printf("small call (GetParamComis), in turns\n");
    const auto calls = measureInTurns({{"  plain TCP", small(plain)}, {"  TLS", small(tls)}}, seconds);

    TNetConnection plainOpen, tlsOpen;
    point(plainOpen, plainServer.port(), QString());
    point(tlsOpen, tlsServer.port(), ca);
    const auto reopen = [](TNetConnection& net) {
        return [&net] {
            net.Open();
            net.Close();
        };
    };
    std::printf("opening a connection (connect, handshake, opening message, close), in turns\n");
    const auto opens = measureInTurns({{"  plain TCP", reopen(plainOpen)}, {"  TLS", reopen(tlsOpen)}}, seconds);

    std::printf("\nratios (lower is better)             p50 latency   cpu time\n");
    std::printf("  small call, TLS / plain             %6.2f       %6.2f   (target <= 1.5)\n",
                calls[1].p50us / calls[0].p50us, calls[1].cpuUs / calls[0].cpuUs);
    std::printf("  opening, TLS / plain                %6.2f       %6.2f   (TLS adds %.0f us per opening)\n",
                opens[1].p50us / opens[0].p50us, opens[1].cpuUs / opens[0].cpuUs, opens[1].p50us - opens[0].p50us);
    return 0;
}

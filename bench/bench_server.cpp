// The application server's round trip against what it is built from, in one run:
//   - a small call (GetParamComis), GetDelivery of about 1,000 rows and a SetServicoDel save,
//     each through TNetConnection and the real server (in this process, its own threads);
//   - the same request and answer bytes bounced by a trivial blocking TCP echo peer
//     (the network and framing alone);
//   - the same delivery SQL run directly on the same database into plain values.
// Prints calls per second, p50/p99 latency and the process's CPU time per call of each, then
// the ratios the server is held to: small call within 2x the raw ping-pong, GetDelivery within
// 2x the direct SQL. CPU time (all threads of this process: client, server and echo peer)
// is steadier than latency on a loaded machine and is printed beside it.
//
//   build/bin/bench/bench_server [seconds-per-case] [small,list,save,many]

#include "bench/in_process_server.h"
#include "framework/net/netconnection.h"
#include "framework/wire/codec.h"
#include "server/database.h"
#include "server/methods.h"
#include "server/net/app_server.h"
#include "server/sql.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kAirline = QStringLiteral("0001");

struct Stats {
    QString name;
    double callsPerSecond = 0;
    double p50us = 0;
    double p99us = 0;
    double cpuUs = 0;  // CPU time of the whole process per call
};

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Samples of one case, gathered in one or several stretches of time.
class Sampler {
public:
    explicit Sampler(QString name) : name_(std::move(name)) { samples_.reserve(200'000); }

    // Runs `once` repeatedly for about `seconds`.
    void run(double seconds, const std::function<void()>& once)
    {
        QElapsedTimer total;
        total.start();
        const double cpuStart = processCpuSeconds();
        const qint64 budget = static_cast<qint64>(seconds * 1e9);
        do {
            QElapsedTimer one;
            one.start();
            once();
            samples_.push_back(static_cast<double>(one.nsecsElapsed()) / 1000.0);
        } while (total.nsecsElapsed() < budget);
        cpu_ += processCpuSeconds() - cpuStart;
        elapsed_ += static_cast<double>(total.nsecsElapsed()) / 1e9;
    }

    Stats report()
    {
        std::sort(samples_.begin(), samples_.end());
        const auto pct = [&](double p) {
            return samples_[std::min(samples_.size() - 1,
                                     static_cast<size_t>(p * static_cast<double>(samples_.size())))];
        };
        const double calls = static_cast<double>(samples_.size());
        Stats s{name_, calls / elapsed_, pct(0.50), pct(0.99), cpu_ * 1e6 / calls};
        std::printf("%-44s %10.0f calls/s   p50 %9.1f us   p99 %9.1f us   cpu %9.1f us   (%zu calls)\n",
                    name_.toUtf8().constData(), s.callsPerSecond, s.p50us, s.p99us, s.cpuUs, samples_.size());
        std::fflush(stdout);
        return s;
    }

private:
    QString name_;
    std::vector<double> samples_;
    double cpu_ = 0;
    double elapsed_ = 0;
};

// Runs `once` repeatedly for about `seconds` after a short warm-up.
Stats measure(const QString& name, double seconds, const std::function<void()>& once)
{
    for (int i = 0; i < 50; ++i) once();
    Sampler sampler(name);
    sampler.run(seconds, once);
    return sampler.report();
}

// Cases taken in turns of a fraction of a second each, so that all see the same load of a
// shared machine; each gets about `seconds` in all.
std::vector<Stats> measureInTurns(const std::vector<std::pair<QString, std::function<void()>>>& cases, double seconds)
{
    constexpr double kTurn = 0.05;
    for (int i = 0; i < 20; ++i)
        for (const auto& c : cases) c.second();
    std::vector<Sampler> samplers;
    for (const auto& c : cases) samplers.emplace_back(c.first);
    for (double spent = 0; spent < seconds; spent += kTurn)
        for (std::size_t i = 0; i < cases.size(); ++i) samplers[i].run(kTurn, cases[i].second);
    std::vector<Stats> stats;
    for (auto& s : samplers) stats.push_back(s.report());
    return stats;
}

void setNoDelay(int fd)
{
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool readAll(int fd, char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads one frame (header and body) from a blocking socket.
bool readFrame(int fd, QByteArray& frame)
{
    char header[4];
    if (!readAll(fd, header, 4)) return false;
    const quint32 length = qFromBigEndian<quint32>(header);
    frame.resize(4 + static_cast<qsizetype>(length));
    std::memcpy(frame.data(), header, 4);
    return readAll(fd, frame.data() + 4, length);
}

// The baseline peer: answers every frame with the answer bytes the case set, nothing else.
class EchoPeer {
public:
    EchoPeer()
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listenFd_, 16);
        socklen_t len = sizeof addr;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    // Every client must have closed its connection by now.
    ~EchoPeer()
    {
        ::shutdown(listenFd_, SHUT_RDWR);
        ::close(listenFd_);
        thread_.join();
        for (auto& t : connections_) t.join();
    }
    quint16 port() const { return port_; }
    void setAnswer(QByteArray answer)
    {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
        callAnswer_.reset();
    }
    // Answers calls with this reply under the id of each call (a client checks the ids).
    void setCallAnswer(wire::CallReply reply)
    {
        std::lock_guard lock(mutex_);
        callAnswer_ = std::move(reply);
    }

private:
    QByteArray answer(const QByteArray& request)
    {
        std::lock_guard lock(mutex_);
        if (!callAnswer_) return answer_;
        const wire::Message call = wire::decodeMessage(QByteArrayView(request).sliced(4));
        if (const auto* c = std::get_if<wire::CallRequest>(&call)) callAnswer_->id = c->id;
        return wire::encodeFrame(*callAnswer_);
    }
    void run()
    {
        for (;;) {
            const int fd = ::accept(listenFd_, nullptr, nullptr);
            if (fd < 0) return;
            setNoDelay(fd);
            connections_.emplace_back([this, fd] {
                QByteArray frame;
                while (readFrame(fd, frame)) {
                    const QByteArray reply = answer(frame);
                    if (!writeAll(fd, reply.constData(), static_cast<size_t>(reply.size()))) break;
                }
                ::close(fd);
            });
        }
    }

    int listenFd_ = -1;
    quint16 port_ = 0;
    std::mutex mutex_;
    QByteArray answer_;
    std::optional<wire::CallReply> callAnswer_;
    std::thread thread_;
    std::vector<std::thread> connections_;
};

class RawClient {
public:
    explicit RawClient(quint16 port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            throw std::runtime_error("echo peer not reachable");
        setNoDelay(fd_);
    }
    ~RawClient() { ::close(fd_); }
    void roundTrip(const QByteArray& request)
    {
        if (!writeAll(fd_, request.constData(), static_cast<size_t>(request.size())) || !readFrame(fd_, reply_))
            throw std::runtime_error("echo peer went away");
    }

private:
    int fd_ = -1;
    QByteArray reply_;
};

using benchsupport::InProcessServer;

// What TNetConnection sent and got for a call, to replay the same bytes to the echo peer.
struct Exchange {
    QByteArray request;
    QByteArray answer;
};

Exchange exchangeOf(const QString& method, const wire::Array& args, const wire::Value& result, const wire::Array& after)
{
    return {wire::encodeFrame(wire::CallRequest{1, method, args}),
            wire::encodeFrame(wire::CallReply{1, result, after})};
}

struct DeliveryRow {
    QString marked, branch, airline, airlineName;
    double key = 0;
    QString flight, leg, invoice;
    QString date;  // as the database holds it
    double discount = 0, airportTax = 0;
    QString situation, number;
    double taxPercent = 0;
    QString kind;
    double total = 0;
    QString billingPlace, place;
    double base = 0, maxServices = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.2, QString::fromLocal8Bit(argv[1]).toDouble()) : 2.0;
    // Which groups of cases to run (all by default), to profile one at a time.
    const QStringList only = argc > 2 ? QString::fromLocal8Bit(argv[2]).split(QLatin1Char(',')) : QStringList();
    const auto wanted = [&](const char* group) { return only.isEmpty() || only.contains(QLatin1String(group)); };
    const auto measureIf = [&](const char* group, const QString& name, const std::function<void()>& once) {
        return wanted(group) ? measure(name, seconds, once) : Stats{};
    };

    QTemporaryDir dir;
    const server::DatabaseUrl url =
        server::DatabaseUrl::parse(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db")));
    std::printf("preparing the database (demo data plus 10,000 deliveries)...\n");
    std::fflush(stdout);
    server::initDatabase(url, server::SeedSpec::parse(QStringLiteral("demo")));
    server::initDatabase(url, server::SeedSpec::parse(QStringLiteral("scale:10000")));

    // A range of whole days holding about 1,000 deliveries of one airline.
    const auto db = server::Database::open(url, QStringLiteral("bench-direct"));
    QDateTime from, to;
    {
        QSqlQuery q(db->sql());
        q.prepare(QStringLiteral(
            "SELECT DTHRPLAVOOPV FROM DELIVERY WHERE CDFILIAL = :F AND CDCIA = :C ORDER BY DTHRPLAVOOPV"));
        q.bindValue(QStringLiteral(":F"), kBranch);
        q.bindValue(QStringLiteral(":C"), kAirline);
        q.exec();
        std::vector<QDateTime> dates;
        while (q.next()) dates.push_back(server::readTimestamp(q.value(0)));
        if (dates.size() < 1000) throw std::runtime_error("not enough deliveries for the benchmark");
        from = dates.front();
        to = dates[999];
    }

    server::Methods methods(*db);  // the methods on this thread's own connection
    InProcessServer appServer(url);
    EchoPeer echo;
    TNetConnection net;
    net.SetHost(QStringLiteral("127.0.0.1"));
    net.SetPort(appServer.port());
    net.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
    net.Open();
    RawClient raw(echo.port());

    std::printf("\n");
    // A small call.
    const wire::Array smallArgs{kBranch};
    wire::Array args = smallArgs;
    const wire::Value smallResult = net.Call(QStringLiteral("GetParamComis"), args);
    const Exchange small = exchangeOf(QStringLiteral("GetParamComis"), smallArgs, smallResult, args);
    const auto smallOnce = [&] {
        wire::Array a = smallArgs;
        net.Call(QStringLiteral("GetParamComis"), a);
    };
    const auto smallRawOnce = [&] { raw.roundTrip(small.request); };
    echo.setAnswer(small.answer);
    Stats smallCall, smallRaw;
    if (wanted("small")) {
        const auto s = measureInTurns({{QStringLiteral("GetParamComis through the server"), smallOnce},
                                       {QStringLiteral("  raw ping-pong, same bytes (in turns)"), smallRawOnce}},
                                      seconds);
        smallCall = s[0];
        smallRaw = s[1];
    }
    // Each alone as well: on a virtual machine a round trip this short is mostly the wake-up
    // of a halted virtual CPU, whose cost depends on what ran just before; taken in turns the
    // ping-pong finds the CPUs warm from the server's turn and gets faster than it does alone.
    const Stats smallCallAlone =
        measureIf("small", QStringLiteral("  GetParamComis through the server, alone"), smallOnce);
    const Stats smallRawAlone = measureIf("small", QStringLiteral("  raw ping-pong, same bytes, alone"), smallRawOnce);
    measureIf("small", QStringLiteral("  protocol alone (an unknown method)"), [&] {
        wire::Array a = smallArgs;
        try {
            net.Call(QStringLiteral("Nada"), a);
        } catch (const EServerError&) {}
    });
    measureIf("small", QStringLiteral("  the method alone, in this thread"), [&] {
        wire::Array a = smallArgs;
        methods.call(QStringLiteral("GetParamComis"), a);
    });
    {
        // The client's share: TNetConnection against the echo peer, which accepts the opening
        // and then gives the same answer (re-encoded under each call's id, a few microseconds).
        echo.setAnswer(wire::encodeFrame(wire::OpenAccepted{}));
        TNetConnection toEcho;
        toEcho.SetHost(QStringLiteral("127.0.0.1"));
        toEcho.SetPort(echo.port());
        toEcho.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
        toEcho.Open();
        echo.setCallAnswer(wire::CallReply{0, smallResult, smallArgs});
        measureIf("small", QStringLiteral("  TNetConnection against the echo peer"), [&] {
            wire::Array a = smallArgs;
            toEcho.Call(QStringLiteral("GetParamComis"), a);
        });
    }

    // About 1,000 deliveries.
    const wire::Array listArgs{kBranch, kAirline, from, to};
    args = listArgs;
    const wire::Value list = net.Call(QStringLiteral("GetDelivery"), args);
    const Exchange listExchange = exchangeOf(QStringLiteral("GetDelivery"), listArgs, list, args);
    const size_t rows = list.packet().rows.size();
    std::printf("\nGetDelivery answers %zu rows, %lld bytes\n", rows,
                static_cast<long long>(listExchange.answer.size()));
    const auto listMethodOnce = [&] {
        wire::Array a = listArgs;
        methods.call(QStringLiteral("GetDelivery"), a);
    };
    measureIf("list", QStringLiteral("  encoding the answer"), [&] {
        wire::encodeFrame(wire::CallReply{1, list, listArgs});
    });
    measureIf("list", QStringLiteral("  decoding the answer"),
              [&] { wire::decodeMessage(QByteArrayView(listExchange.answer).sliced(4)); });
    echo.setAnswer(listExchange.answer);
    const Stats listRaw =
        measureIf("list", QStringLiteral("  raw ping-pong, same bytes"), [&] { raw.roundTrip(listExchange.request); });
    QSqlQuery direct(db->sql());
    direct.setForwardOnly(true);
    direct.prepare(
        QStringLiteral("SELECT 'N', D.CDFILIAL, D.CDCIA, C.NMCIA, D.NRDELIVERY, D.NRVOO, D.CDTRECHO, D.NRDELIVERYFA, "
                       "D.DTHRPLAVOOPV, D.VRTOTDESC, D.VRTXAERO, D.IDSITDEL, D.NUMERO, D.VRPETXAERO, D.IDTIPNACDEL, "
                       "D.VRTOTDELIV, D.CDLOCAFATCIA, D.CDLOCALDELIV, D.VRBACATX, D.NRMAXSERVDEL "
                       "FROM DELIVERY D JOIN COMPANHIA C ON C.CDCIA = D.CDCIA "
                       "WHERE D.CDFILIAL = :F AND D.DTHRPLAVOOPV >= :D1 AND D.DTHRPLAVOOPV < :D2 "
                       "AND (D.CDCIA = :C OR D.CDCIA IN (SELECT P.CDCIAPARC FROM CIAPARCEIRA P "
                       "WHERE P.CDFILIAL = :PF AND P.CDCIA = :PC)) "
                       "ORDER BY D.NRDELIVERY"));
    std::vector<DeliveryRow> plain;
    const auto listSqlOnce = [&] {
        direct.bindValue(QStringLiteral(":F"), kBranch);
        direct.bindValue(QStringLiteral(":C"), kAirline);
        direct.bindValue(QStringLiteral(":PF"), kBranch);
        direct.bindValue(QStringLiteral(":PC"), kAirline);
        direct.bindValue(QStringLiteral(":D1"), server::timestampText(QDateTime(from.date(), QTime(0, 0), Qt::UTC)));
        direct.bindValue(QStringLiteral(":D2"),
                         server::timestampText(QDateTime(to.date().addDays(1), QTime(0, 0), Qt::UTC)));
        direct.exec();
        plain.clear();
        while (direct.next()) {
            DeliveryRow r;
            r.marked = direct.value(0).toString();
            r.branch = direct.value(1).toString();
            r.airline = direct.value(2).toString();
            r.airlineName = direct.value(3).toString();
            r.key = direct.value(4).toDouble();
            r.flight = direct.value(5).toString();
            r.leg = direct.value(6).toString();
            r.invoice = direct.value(7).toString();
            r.date = direct.value(8).toString();
            r.discount = direct.value(9).toDouble();
            r.airportTax = direct.value(10).toDouble();
            r.situation = direct.value(11).toString();
            r.number = direct.value(12).toString();
            r.taxPercent = direct.value(13).toDouble();
            r.kind = direct.value(14).toString();
            r.total = direct.value(15).toDouble();
            r.billingPlace = direct.value(16).toString();
            r.place = direct.value(17).toString();
            r.base = direct.value(18).toDouble();
            r.maxServices = direct.value(19).toDouble();
            plain.push_back(std::move(r));
        }
        direct.finish();
    };
    const auto listOnce = [&] {
        wire::Array a = listArgs;
        net.Call(QStringLiteral("GetDelivery"), a);
    };
    Stats listCall, listSql;
    if (wanted("list")) {
        const auto s =
            measureInTurns({{QStringLiteral("GetDelivery through the server"), listOnce},
                            {QStringLiteral("  the same SQL directly, into plain values (in turns)"), listSqlOnce},
                            {QStringLiteral("  the method alone, in this thread (in turns)"), listMethodOnce}},
                           seconds);
        listCall = s[0];
        listSql = s[1];
        // The baseline read exactly the rows the server answered with.
        if (plain.size() != rows) throw std::runtime_error("the direct SQL read another number of rows");
    }

    // A save: one service line of one delivery, its quantity going back and forth.
    const wire::DataPacket& deliveries = list.packet();
    const int keyColumn = deliveries.fieldIndex(u"NRDELIVERY");
    const int invoiceColumn = deliveries.fieldIndex(u"NRDELIVERYFA");
    const int dateColumn = deliveries.fieldIndex(u"DTHRPLAVOOPV");
    size_t pick = 0;
    while (pick < rows && !deliveries.rows[pick][static_cast<size_t>(invoiceColumn)].isNull()) ++pick;
    const qint64 key = deliveries.rows[pick][static_cast<size_t>(keyColumn)].toInteger();
    const QDateTime day = deliveries.rows[pick][static_cast<size_t>(dateColumn)].dateTime();
    args = {kBranch, QString::number(key)};
    wire::DataPacket services = net.Call(QStringLiteral("GetServicoDel"), args).takePacket();
    const int quantityColumn = services.fieldIndex(u"QTSERFATSP");
    const double baseQuantity = services.rows[0][static_cast<size_t>(quantityColumn)].toDouble();
    int flip = 0;
    const auto saveArgs = [&] {
        wire::ChangeSet delta;
        delta.fields = services.fields;
        wire::Change change;
        change.kind = wire::ChangeKind::Update;
        change.oldRow = services.rows[0];
        change.newRow = services.rows[0];
        change.newRow[static_cast<size_t>(quantityColumn)] = baseQuantity + (++flip % 2);
        delta.changes.push_back(std::move(change));
        return wire::Array{delta, kBranch, key, QString(), kAirline, day, day, QString()};
    };
    const auto save = [&](wire::Array& a) {
        const wire::Value answer = net.Call(QStringLiteral("SetServicoDel"), a);
        const wire::Array& parts = answer.array();
        if (!parts[0].packet().rows.empty()) throw std::runtime_error("the save was refused");
        services = parts[2].packet();
        return answer;
    };
    wire::Array firstSave = saveArgs();
    const wire::Array sentSave = firstSave;
    const wire::Value saved = save(firstSave);
    const Exchange saveExchange = exchangeOf(QStringLiteral("SetServicoDel"), sentSave, saved, firstSave);
    std::printf("\n");
    const Stats saveCall = measureIf("save", QStringLiteral("SetServicoDel through the server"), [&] {
        wire::Array a = saveArgs();
        save(a);
    });
    echo.setAnswer(saveExchange.answer);
    const Stats saveRaw =
        measureIf("save", QStringLiteral("  raw ping-pong, same bytes"), [&] { raw.roundTrip(saveExchange.request); });

    // Eight clients at once on the small call.
    std::printf("\n");
    if (wanted("many")) {
        constexpr int kClients = 8;
        std::atomic<long> calls{0};
        std::atomic<bool> stop{false};
        std::vector<std::thread> clients;
        QElapsedTimer clock;
        clock.start();
        for (int c = 0; c < kClients; ++c) {
            clients.emplace_back([&] {
                TNetConnection own;
                own.SetHost(QStringLiteral("127.0.0.1"));
                own.SetPort(appServer.port());
                own.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
                while (!stop.load()) {
                    wire::Array a = smallArgs;
                    own.Call(QStringLiteral("GetParamComis"), a);
                    calls.fetch_add(1);
                }
            });
        }
        QThread::msleep(static_cast<unsigned long>(seconds * 1000));
        stop = true;
        for (auto& t : clients) t.join();
        std::printf("%-44s %10.0f calls/s\n", "GetParamComis, 8 clients at once",
                    static_cast<double>(calls.load()) / (static_cast<double>(clock.nsecsElapsed()) / 1e9));
    }

    std::printf("\nratios (lower is better)                     p50 latency   cpu time\n");
    const auto ratio = [](const char* what, const Stats& a, const Stats& b, const char* target) {
        if (a.p50us <= 0 || b.p50us <= 0) return;
        std::printf("  %-40s %8.2f %10.2f   %s\n", what, a.p50us / b.p50us, a.cpuUs / b.cpuUs, target);
    };
    ratio("small call / raw ping-pong", smallCall, smallRaw, "(target <= 2)");
    ratio("small call / raw ping-pong, each alone", smallCallAlone, smallRawAlone, "(target <= 2)");
    ratio("GetDelivery / direct SQL", listCall, listSql, "(target <= 2)");
    ratio("GetDelivery / raw ping-pong", listCall, listRaw, "");
    ratio("SetServicoDel / raw ping-pong", saveCall, saveRaw, "");
    return 0;
}

#pragma once
// TNetConnection: the client's connection to the application server and its late-bound,
// synchronous calls (method name plus positional arguments).
//
//   TNetConnection net(form);
//   net.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
//   net.BeforeConnect = [](TNetConnection& c) { c.SetHost(Larkumo::WebURL()); c.SetPort(Larkumo::WebPort()); };
//   net.SetConnected(true);
//   wire::Array args{QString("0001")};
//   wire::Value result = net.Call(QStringLiteral("GetParamComis"), args);
//
// Failures are always raised: EServerError carries the server's own text unchanged;
// EConnectionError says, in words an operator understands, that the server could not be
// reached, stopped answering, dropped the connection or broke the protocol.
//
// A call blocks its caller until the answer comes. On the user-interface thread of a GUI
// application it waits in a local event loop that leaves out user input, so windows repaint
// and the progress animation keeps moving while the operator cannot click or type; elsewhere
// it simply blocks on the socket. A call that would start while another is waiting (from a
// timer, say) is refused: the server answers one call at a time per connection.
//
// Security: when the server requires workstation credentials, the opening carries the
// workstation's name and key; with a certificate authority file the connection is encrypted
// (TLS) and a server whose certificate does not verify against it is refused. The host sets
// these once for every connection (SetDefaultSecurity); a connection may have its own.
//
// A connection found broken when a call starts (the server restarted, or closed an idle
// connection) is opened again once, before anything is sent. A connection that breaks after a
// call was sent is not retried: the call may have been carried out, so the caller is told.

#include "framework/wire/codec.h"
#include "framework/wire/value.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QSslSocket;
class QTcpSocket;

struct TNetSecurity {
    QString clientName;  // empty: the opening carries no credentials
    QString clientKey;
    QString tlsCaFile;  // empty: plain TCP
};

class TNetConnection : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TNetConnection& sender)>;

    static constexpr int kDefaultConnectTimeoutMs = 5'000;
    static constexpr int kDefaultReadTimeoutMs = 120'000;

    explicit TNetConnection(QObject* parent = nullptr);
    ~TNetConnection() override;

    // The remote object named in the opening message ("ATE02700.rdmManuDelValor").
    const QString& ServerName() const { return serverName_; }
    void SetServerName(const QString& name) { serverName_ = name; }
    const QString& Host() const { return host_; }
    void SetHost(const QString& host) { host_ = host; }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // Kept for the forms that set it. In the original component false meant "do not raise,
    // report through the connection"; here every failure is raised, whatever the value, and
    // shown once by the host's event guard (the one error model of the framework).
    const TNetSecurity& Security() const { return security_; }
    // Takes effect from the next connection.
    void SetSecurity(const TNetSecurity& security) { security_ = security; }
    // What new connections start with.
    static void SetDefaultSecurity(const TNetSecurity& security);
    static TNetSecurity DefaultSecurity();

    bool ThrowException() const { return throwException_; }
    void SetThrowException(bool value) { throwException_ = value; }

    // Milliseconds allowed to reach the server and have the opening accepted.
    int ConnectTimeout() const { return connectTimeoutMs_; }
    void SetConnectTimeout(int ms) { connectTimeoutMs_ = ms > 0 ? ms : kDefaultConnectTimeoutMs; }
    // Milliseconds a call may wait for its answer before the connection is given up.
    int ReadTimeout() const { return readTimeoutMs_; }
    void SetReadTimeout(int ms) { readTimeoutMs_ = ms > 0 ? ms : kDefaultReadTimeoutMs; }
    // Largest answer accepted, in bytes (the protocol's default is 16 MiB).
    qsizetype MaxFrameBytes() const { return limits_.maxFrameBytes; }
    void SetMaxFrameBytes(qsizetype bytes);

    // True while the connection is open and the server accepted the opening.
    bool Connected() const;
    void SetConnected(bool connected);
    // Runs BeforeConnect, connects, sends the opening and waits for it to be accepted; then
    // runs AfterConnect. Does nothing when already connected. Throws EConnectionError.
    void Open();
    // Closes the connection (a call waiting for its answer fails); runs AfterDisconnect when
    // it was connected.
    void Close();

    // Called just before each connection attempt; the form sets host and port here.
    TNotifyEvent BeforeConnect;
    TNotifyEvent AfterConnect;
    TNotifyEvent AfterDisconnect;

    // Calls `method` with `args`; on return `args` holds the arguments as the server left
    // them (by-reference arguments come back this way). Connects first when needed.
    wire::Value Call(const QString& method, wire::Array& args);
    bool InCall() const { return busy_; }

private:
    bool useEventLoop() const;
    QString address() const;
    void openConnection();
    void connectSocket(QDeadlineTimer deadline);
    // A QTcpSocket for plain TCP, a QSslSocket for TLS (made anew when that changes).
    void useSocket(bool tls);
    QSslSocket* tlsSocket() const;  // nullptr on plain TCP
    void prepareTls();
    [[noreturn]] void failConnect(QDeadlineTimer deadline);
    void sendFrame(const QByteArray& frame);
    std::optional<QByteArray> takeFrame();
    enum class WaitEnd { Frame, Timeout, Dropped };
    WaitEnd waitForFrame(QDeadlineTimer deadline, std::optional<QByteArray>& frame);
    void waitInEventLoop(QDeadlineTimer deadline, const std::function<bool()>& done);
    bool isBroken();
    void dropConnection();
    [[noreturn]] void failProtocol(const QString& problem);

    QString serverName_;
    QString host_;
    int port_ = 0;
    bool throwException_ = true;
    int connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    int readTimeoutMs_ = kDefaultReadTimeoutMs;
    wire::Limits limits_;
    TNetSecurity security_;
    QString tlsConfiguredFor_;  // the authority file the socket's TLS settings were made from

    QTcpSocket* socket_ = nullptr;
    wire::FrameReader reader_;
    bool opened_ = false;
    bool busy_ = false;
    std::optional<QString> currentCall_;  // the method of the call under way; none while opening
    bool closedWhileWaiting_ = false;
    qint64 nextId_ = 1;
};

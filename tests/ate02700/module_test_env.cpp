#include "tests/ate02700/module_test_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/ui/application_host.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QThread>

namespace ate02700test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QTest::qWait(10);
    }
    return true;
}

void Settle(int ms) { QTest::qWait(ms); }

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void TypeOver(QWidget& control, const QString& text)
{
    WidgetDriver::Focus(control);
    if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
    }
    QTest::keyClicks(&control, text);
}

int CallCountSince(const testsupport::ServerProcess& server, const QString& method, const QString& logBefore)
{
    // "<date> <time> <peer> <method> <ms> ms <outcome>"
    const QRegularExpression call(
        QStringLiteral(R"(^\S+ \S+ \S+ %1 [0-9.]+ ms )").arg(QRegularExpression::escape(method)));
    // The server writes a call's line once its answer is on the way, so the line of the call
    // just answered may still be coming: read once the log has stopped growing for a moment
    // (a plain wait, so nothing of the screen runs meanwhile).
    QString log = server.log();
    for (int tries = 0; tries < 200; ++tries) {
        QThread::msleep(10);
        QString now = server.log();
        if (now.size() == log.size()) break;
        log = std::move(now);
    }
    int count = 0;
    for (const QString& line : log.mid(logBefore.size()).split(QLatin1Char('\n'))) {
        if (call.match(line).hasMatch()) ++count;
    }
    return count;
}

int CallCount(const testsupport::ServerProcess& server, const QString& method)
{
    return CallCountSince(server, method, {});
}

int ServerSideConnections(quint16 port)
{
    // Kernel states: 01 established, 08 close-wait (the client has gone, the server has not
    // closed its end yet). The listening socket (0A) is not a connection.
    int count = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> cols = lines[i].simplified().split(' ');
            if (cols.size() < 4) continue;
            const QList<QByteArray> local = cols[1].split(':');
            bool ok = false;
            const uint localPort = local.value(1).toUInt(&ok, 16);
            if (!ok || localPort != port) continue;
            if (cols[3] == "01" || cols[3] == "08") ++count;
        }
    }
    return count;
}

quint16 UnusedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 1;  // port 1 refuses connections on any ordinary machine
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

Larkumo::THostSettings HostSettings(const testsupport::ServerProcess& server)
{
    Larkumo::THostSettings settings;
    settings.serverHost = server.host();
    settings.serverPort = server.port();
    settings.defaultBranch = QStringLiteral("0001");
    settings.branchFixed = false;
    settings.operatorCode = QStringLiteral("OPER01");
    settings.serviceCodeMask = QStringLiteral("99.99.9999;0;_");
    return settings;
}

HostWindow::~HostWindow() { Close(); }

bool HostWindow::Open(QSize size)
{
    Close();
    window_ = std::make_unique<QMainWindow>();
    mdi_ = new QMdiArea(window_.get());
    window_->setCentralWidget(mdi_);
    window_->resize(size);
    Application().Attach(window_.get(), mdi_);
    if (!WidgetDriver::ShowActive(*window_)) return false;
    Initialize();
    return true;
}

void HostWindow::Close()
{
    if (!window_) return;
    Application().DestroyForms();
    FlushDeletes();
    Finalize();
    Application().Detach();
    window_.reset();
    mdi_ = nullptr;
    Screen().SetCursor(TCursor::Default);
}

TfrmManuDelValor& OpenFirstActivation()
{
    IniProc();
    TfrmManuDelValor* form = Cli_ate02700::frmManuDelValor;
    EXPECT_NE(form, nullptr);
    if (!form) throw std::runtime_error("IniProc made no form");
    EXPECT_TRUE(WaitUntil([form] { return form->cdsParamComis->Active(); }))
        << "the first activation did not load the branch parameters";
    return *form;
}

std::unique_ptr<testsupport::DemoServer> ModuleTest::demo_;

void ModuleTest::SetUpTestSuite()
{
    demo_ = std::make_unique<testsupport::DemoServer>();
    dtmDBGeral().Open(demo_->database().url());
}

void ModuleTest::TearDownTestSuite()
{
    dtmDBGeral().Close();
    demo_.reset();
}

void ModuleTest::SetUp()
{
    Larkumo::Configure(HostSettings(Server()));
    ASSERT_TRUE(host_.Open());
    // What earlier tests of the suite left: their connections gone, their calls counted.
    EXPECT_TRUE(WaitUntil([] { return ServerSideConnections(Server().port()) == 0; }));
    Settle(100);
    paramCallsBefore_ = CallCount(Server(), QStringLiteral("GetParamComis"));
}

int ModuleTest::ParamComisCalls() const
{
    return CallCount(Server(), QStringLiteral("GetParamComis")) - paramCallsBefore_;
}

void ModuleTest::TearDown() { host_.Close(); }

TfrmManuDelValor& ModuleTest::OpenScreen() { return OpenFirstActivation(); }

void ModuleTest::CloseScreen(TfrmManuDelValor& form)
{
    QPointer<TfrmManuDelValor> guard(&form);
    EXPECT_TRUE(form.Close());
    FlushDeletes();
    EXPECT_TRUE(WaitUntil([&guard] { return guard.isNull(); }));
}

void ModuleTest::SwitchAwayAndBack(TfrmManuDelValor& form)
{
    auto* other = Application().CreateForm<TfrmPadrao>();
    other->SetCaption(QStringLiteral("Outra tela"));
    other->Show();
    EXPECT_TRUE(WaitUntil([this, other] { return MdiArea().activeSubWindow() == other->MdiWindow(); }));
    Settle(100);
    MdiArea().setActiveSubWindow(form.MdiWindow());
    EXPECT_TRUE(WaitUntil([this, &form] { return MdiArea().activeSubWindow() == form.MdiWindow(); }));
    Settle(300);
}

}  // namespace ate02700test

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
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

namespace ate02700test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
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

int CallCount(const testsupport::ServerProcess& server, const QString& method)
{
    // "<date> <time> <peer> <method> <ms> ms <outcome>"
    const QRegularExpression call(QStringLiteral(R"(^\S+ \S+ \S+ %1 [0-9.]+ ms )")
                                      .arg(QRegularExpression::escape(method)));
    int count = 0;
    for (const QString& line : server.log().split(QLatin1Char('\n'))) {
        if (call.match(line).hasMatch())
            ++count;
    }
    return count;
}

int ServerSideConnections(quint16 port)
{
    // Kernel states: 01 established, 08 close-wait (the client has gone, the server has not
    // closed its end yet). The listening socket (0A) is not a connection.
    int count = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> cols = lines[i].simplified().split(' ');
            if (cols.size() < 4)
                continue;
            const QList<QByteArray> local = cols[1].split(':');
            bool ok = false;
            const uint localPort = local.value(1).toUInt(&ok, 16);
            if (!ok || localPort != port)
                continue;
            if (cols[3] == "01" || cols[3] == "08")
                ++count;
        }
    }
    return count;
}

quint16 UnusedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 1;  // port 1 refuses connections on any ordinary machine
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
    mainWindow_ = std::make_unique<QMainWindow>();
    mdiArea_ = new QMdiArea(mainWindow_.get());
    mainWindow_->setCentralWidget(mdiArea_);
    mainWindow_->resize(1000, 700);
    Application().Attach(mainWindow_.get(), mdiArea_);
    ASSERT_TRUE(WidgetDriver::ShowActive(*mainWindow_));
    Initialize();
    // What earlier tests of the suite left: their connections gone, their calls counted.
    EXPECT_TRUE(WaitUntil([] { return ServerSideConnections(Server().port()) == 0; }));
    Settle(100);
    paramCallsBefore_ = CallCount(Server(), QStringLiteral("GetParamComis"));
}

int ModuleTest::ParamComisCalls() const
{
    return CallCount(Server(), QStringLiteral("GetParamComis")) - paramCallsBefore_;
}

void ModuleTest::TearDown()
{
    Application().DestroyForms();
    FlushDeletes();
    Finalize();
    Application().Detach();
    mainWindow_.reset();
    Screen().SetCursor(TCursor::Default);
}

TfrmManuDelValor& ModuleTest::OpenScreen()
{
    IniProc();
    TfrmManuDelValor* form = Cli_ate02700::frmManuDelValor;
    EXPECT_NE(form, nullptr);
    if (!form)
        throw std::runtime_error("IniProc made no form");
    EXPECT_TRUE(WaitUntil([form] { return form->cdsParamComis->Active(); }))
        << "the first activation did not load the branch parameters";
    return *form;
}

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
    EXPECT_TRUE(WaitUntil([this, other] { return mdiArea_->activeSubWindow() == other->MdiWindow(); }));
    Settle(100);
    mdiArea_->setActiveSubWindow(form.MdiWindow());
    EXPECT_TRUE(WaitUntil([this, &form] { return mdiArea_->activeSubWindow() == form.MdiWindow(); }));
    Settle(300);
}

}  // namespace ate02700test

#pragma once
// What the module's form tests share: a real application server over a seeded SQLite demo
// database (one per suite), the host configuration pointed at it, the shared database
// connection open on the same file, an MDI main window attached to the application object,
// the package initialised, and the scripted dialogs service.

#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/server_fixture.h"

#include "framework/units/larkumo.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QMainWindow;
class QMdiArea;
class TfrmManuDelValor;

namespace ate02700test {

// Processes events until `done` holds or `timeoutMs` passes; the last value of `done`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10'000);
// Lets the event loop run for a while (for things that must NOT happen).
void Settle(int ms = 300);
// Runs the deferred deletions (forms freed by their close handling).
void FlushDeletes();

// Lines of the server's log that record a call of `method`.
int CallCount(const testsupport::ServerProcess& server, const QString& method);
// Connections the server holds open on its side (established, or closed by the client but
// not yet by the server), read from the kernel's socket table.
int ServerSideConnections(quint16 port);
// A loopback port nothing listens on.
quint16 UnusedPort();

// The host configuration the tests start from: the demo server, branch 0001, not fixed.
Larkumo::THostSettings HostSettings(const testsupport::ServerProcess& server);

class ModuleTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    void TearDown() override;

    static testsupport::DemoServer& Demo() { return *demo_; }
    // GetParamComis calls the suite's server logged since this test began.
    int ParamComisCalls() const;
    static testsupport::ServerProcess& Server() { return demo_->server(); }

    // Opens the screen as the host does and waits for its first activation to finish.
    TfrmManuDelValor& OpenScreen();
    // Closes the form as the operator would and waits until it is gone.
    void CloseScreen(TfrmManuDelValor& form);
    // Activates another MDI child, then the given form again, as switching windows does.
    void SwitchAwayAndBack(TfrmManuDelValor& form);

    QMainWindow& MainWindow() const { return *mainWindow_; }
    QMdiArea& MdiArea() const { return *mdiArea_; }

    ScopedDialogs dialogs_;

private:
    static std::unique_ptr<testsupport::DemoServer> demo_;
    std::unique_ptr<QMainWindow> mainWindow_;
    int paramCallsBefore_ = 0;
    QMdiArea* mdiArea_ = nullptr;
};

}  // namespace ate02700test

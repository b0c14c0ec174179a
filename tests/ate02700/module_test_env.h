#pragma once
// What the module's form tests share: a real application server over a seeded SQLite demo
// database (one per suite), the host configuration pointed at it, the shared database
// connection open on the same file, an MDI main window attached to the application object,
// the package initialised, and the scripted dialogs service.

#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/server_fixture.h"

#include "framework/units/larkumo.h"

#include <QMainWindow>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QMdiArea;
class QWidget;
class TfrmManuDelValor;

namespace ate02700test {

// Processes events until `done` holds or `timeoutMs` passes; the last value of `done`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10'000);
// Lets the event loop run for a while (for things that must NOT happen).
void Settle(int ms = 300);
// Runs the deferred deletions (forms freed by their close handling).
void FlushDeletes();

// Focuses the control with a click and types `text` over what it holds (an edit's text
// selected and deleted first, as an operator does before typing anew).
void TypeOver(QWidget& control, const QString& text);

// Lines of the server's log that record a call of `method`.
int CallCount(const testsupport::ServerProcess& server, const QString& method);
// Connections the server holds open on its side (established, or closed by the client but
// not yet by the server), read from the kernel's socket table.
int ServerSideConnections(quint16 port);
// A loopback port nothing listens on.
quint16 UnusedPort();

// Lines of the server's log after the first `logBefore.size()` characters that record a call
// of `method` (calls since the log read as `logBefore`).
int CallCountSince(const testsupport::ServerProcess& server, const QString& method, const QString& logBefore);

// The host configuration the tests start from: the demo server, branch 0001, not fixed.
Larkumo::THostSettings HostSettings(const testsupport::ServerProcess& server);

// The host's side of a test: an MDI main window attached to the application object, shown
// and active, the package initialised. Close() frees the forms and leaves as the host does
// at exit.
class HostWindow {
public:
    HostWindow() = default;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow();

    // False (the package not initialised) when the window could not be made active.
    [[nodiscard]] bool Open(QSize size = {1000, 700});
    void Close();

    QMainWindow& Window() const { return *window_; }
    QMdiArea& Mdi() const { return *mdi_; }

private:
    std::unique_ptr<QMainWindow> window_;
    QMdiArea* mdi_ = nullptr;
};

// Opens the screen as the host does (IniProc) and waits for its first activation to load the
// branch parameters; throws when IniProc made no form.
TfrmManuDelValor& OpenFirstActivation();

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

    QMainWindow& MainWindow() const { return host_.Window(); }
    QMdiArea& MdiArea() const { return host_.Mdi(); }

    ScopedDialogs dialogs_;

private:
    static std::unique_ptr<testsupport::DemoServer> demo_;
    HostWindow host_;
    int paramCallsBefore_ = 0;
};

}  // namespace ate02700test

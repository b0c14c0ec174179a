#pragma once
// What the cancellation and emission suites share: a real application server per database
// engine over the demo data, the host's shared connection and the report settings pointed at
// the same database and a PDF folder of the test's own, the screen opened as the host opens
// it, and the operator's moves on it.

#include "tests/ate02700/module_test_env.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/server_fixture.h"

#include <QDate>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QWidget;
class TfrmManuDelValor;
class TfrmRelManuDelValor;

namespace emissiontest {

using testsupport::TestDatabase;

using ate02700test::CallCount;
using ate02700test::FlushDeletes;
using ate02700test::WaitUntil;

// Text of a PDF (pdftotext -layout).
QString PdfText(const QString& path);

struct DeliveryRow {
    qint64 key = 0;   // NRDELIVERY
    QString number;   // NUMERO
    QString invoice;  // NRDELIVERYFA as stored ("" when none)
    QString place;    // CDLOCALDELIV as stored
};

class EmissionTest : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override;
    void TearDown() override;
    static void TearDownTestSuite();

    testsupport::DemoServer& Demo() const { return *demo_; }
    testsupport::ServerProcess& Server() const { return demo_->server(); }
    // Calls of `method` since the test began. The server logs a call once it has answered,
    // so the count is read once it reaches `expected` (or after a moment, when it does not).
    int Calls(const QString& method, int expected = 0) const;

    // ---- the screen, as the operator drives it
    TfrmManuDelValor& OpenScreen();
    // Fills the filter panel (airline short code and dates of November 2026) and leaves it,
    // which loads the deliveries.
    void LoadDeliveries(const QString& sgCia, int fromDay, int toDay);
    // Clicks the mark cell of the delivery at this position of the list.
    void ClickMark(int row);
    // Makes the delivery at this position the current one by a click on its date cell.
    void ClickRow(int row);
    void ClickCancelButton();
    // Presses the print button; `inside` runs once the emission dialog is up. The call
    // returns when the dialog has closed and the list has been read again.
    void PrintFromScreen(const std::function<void(TfrmRelManuDelValor&)>& inside);
    // Inside the dialog: types the place code and leaves the field with Tab.
    static void TypePlace(TfrmRelManuDelValor& dialog, const QString& code);
    static void ClickPrint(TfrmRelManuDelValor& dialog);

    TfrmManuDelValor& Form() const { return *form_; }
    // The keys of the listed deliveries, in list order.
    QList<qint64> ListedKeys() const;
    QString ListedInvoice(qint64 key) const;
    qint64 CurrentKey() const;

    // ---- the database, read behind the server's back
    DeliveryRow Stored(qint64 key);
    qint64 NextNumber(const QString& place);
    int RegisteredOperations(qint64 key, const QString& operation);

    // ---- report definitions
    // The shipped definitions (the default), or a copy of ATE027 that finds no rows for one
    // delivery, so printing it fails as a report does when its data is gone.
    void UseShippedReport();
    void UseReportThatCannotPrint(qint64 key);

    // ---- documents
    QString OutputDir() const;
    QStringList Documents() const;  // PDF files written, sorted by name

    ScopedDialogs dialogs_;

private:
    static std::map<TestDatabase::Engine, std::unique_ptr<testsupport::DemoServer>> demos_;
    testsupport::DemoServer* demo_ = nullptr;
    ate02700test::HostWindow host_;
    TfrmManuDelValor* form_ = nullptr;
    std::unique_ptr<testsupport::TempDir> out_;
    std::unique_ptr<testsupport::TempDir> reports_;
    std::map<QString, int> callsBefore_;
};

}  // namespace emissiontest

#pragma once
// What the service-posting suites share: the real form against a real server over a seeded
// demo database (SQLite, or PostgreSQL when ATE_TEST_PG_URL is set), the operator's ways of
// driving the services grid, and reads of what the server stored.

#include "tests/ate02700/module_test_env.h"
#include "tests/ate02700_model/qstring_printer.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <memory>

namespace ate02700test {

using testsupport::TestDatabase;

class PostingEnv : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    virtual testsupport::DemoServer* Demo() const = 0;
    testsupport::ServerProcess& Server() const { return Demo()->server(); }

    TfrmManuDelValor& OpenScreen();
    // The filter of the screen on airline `sgCia` (branch 0001) and the dates, the deliveries
    // loaded, the services tab showing the delivery of flight `flight` on `day`; its key.
    // With `numero` given, the delivery of that number instead.
    qint64 OpenDelivery(TfrmManuDelValor& form, const QString& sgCia, QDate from, QDate to, const QString& flight,
                        QDate day, const QString& numero = {});

    // ---- the operator at the services grid
    void ClickCell(TfrmManuDelValor& form, const QString& cdArvServ, const char* field);
    void Type(const QString& text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Replaces the text of the current cell (F2, select all, type, Tab).
    void Retype(const QString& text);
    void Click(QWidget& button);
    QString SelectedField(TfrmManuDelValor& form) const;

    // ---- what the server stored
    QVariant Stored(qint64 delivery, const QString& cdServico, const char* column) const;
    QVariant StoredDelivery(qint64 delivery, const char* column) const;
    double SumOfLines(qint64 delivery) const;
    int LineCount(qint64 delivery) const;
    void Exec(const QString& statement) const;
    int Calls(const char* method) const;

    // Makes the form the active MDI child, its services grid focused.
    void Activate(TfrmManuDelValor& form);

    ScopedDialogs dialogs_;

private:
    HostWindow host_;
};

// The suite on one engine; one demo database and server for all its tests.
template <TestDatabase::Engine E> class PostingOn : public PostingEnv {
public:
    static void SetUpTestSuite() { demo_ = std::make_unique<testsupport::DemoServer>(E); }
    static void TearDownTestSuite() { demo_.reset(); }

protected:
    testsupport::DemoServer* Demo() const override { return demo_.get(); }

private:
    static inline std::unique_ptr<testsupport::DemoServer> demo_;
};

// The service code (CDARVSERV) of the first row the services grid lists; its CDSERVICO into
// `cdServico` when given.
QString FirstCode(TfrmManuDelValor& form, QString* cdServico = nullptr);

using OnSQLite = PostingOn<TestDatabase::Engine::SQLite>;
using OnPostgreSQL = PostingOn<TestDatabase::Engine::PostgreSQL>;

}  // namespace ate02700test

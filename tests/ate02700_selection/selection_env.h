#pragma once
// The delivery-selection suites: the real main form on the offscreen platform, a real
// application server over a seeded demo database (SQLite, or PostgreSQL when
// ATE_TEST_PG_URL is set), the host's shared connection on the same database, and the
// scripted dialogs service. The helpers drive the form as an operator does: keys typed into
// the focused control, Tab, clicks on cells and titles.

#include "tests/ate02700/module_test_env.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/server_fixture.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

class QWidget;
class TfrmManuDelValor;

namespace ate02700test {

using Engine = testsupport::TestDatabase::Engine;

class SelectionTest : public ::testing::TestWithParam<Engine> {
public:
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    void TearDown() override;

    testsupport::DemoServer& Demo() const;
    testsupport::ServerProcess& Server() const { return Demo().server(); }
    // Calls of `method` the server logged since this test began.
    int Calls(const QString& method) const;

    // Opens the screen as the host does; waits for its first activation.
    TfrmManuDelValor& OpenScreen();

    // Focuses the control with a click and types `text` over what it holds.
    void TypeInto(QWidget& control, const QString& text);
    // Presses Tab in the focused control.
    void PressTab();
    // Fills the whole panel as an operator would (branch, airline, dates dd/mm/yyyy) and
    // leaves it with Tab from the end date.
    void Query(const QString& branch, const QString& airline, const QString& from, const QString& to);
    // Clicks into the airline edit (entering the panel from the list).
    void EnterPanel();

    // Clicks the cell of the delivery grid at a view row and column, or the column's title.
    void ClickCell(int row, int column);
    void ClickTitle(int column);
    // A key typed into the delivery grid.
    void KeyInGrid(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The delivery grid's cells as drawn.
    QImage GridShot() const;
    // A text field of the delivery at a view row.
    QString Cell(int row, const char* field) const;
    // A number read with SQL from the test's database (the host's shared connection).
    double SqlNumber(const QString& sql) const;

    TfrmManuDelValor* form_ = nullptr;
    ScopedDialogs dialogs_;

private:
    HostWindow host_;
    QString logBefore_;
};

}  // namespace ate02700test

#include "tests/ate02700_selection/selection_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMdiArea>
#include <QRegularExpression>
#include <QTest>

#include <map>

namespace ate02700test {

namespace {

std::map<Engine, std::unique_ptr<testsupport::DemoServer>>& Demos()
{
    static std::map<Engine, std::unique_ptr<testsupport::DemoServer>> demos;
    return demos;
}

QString openUrl;  // the database the shared connection is open on

}  // namespace

void SelectionTest::TearDownTestSuite()
{
    dtmDBGeral().Close();
    openUrl.clear();
    Demos().clear();
}

testsupport::DemoServer& SelectionTest::Demo() const { return *Demos().at(GetParam()); }

void SelectionTest::SetUp()
{
    auto& demo = Demos()[GetParam()];
    if (!demo) demo = std::make_unique<testsupport::DemoServer>(GetParam());
    if (!demo->available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    if (openUrl != demo->database().url()) {
        dtmDBGeral().Open(demo->database().url());
        openUrl = demo->database().url();
    }
    Larkumo::Configure(HostSettings(Server()));
    ASSERT_TRUE(host_.Open());
    EXPECT_TRUE(WaitUntil([this] { return ServerSideConnections(Server().port()) == 0; }));
    Settle(50);
    logBefore_ = Server().log();
}

void SelectionTest::TearDown() { host_.Close(); }

int SelectionTest::Calls(const QString& method) const { return CallCountSince(Server(), method, logBefore_); }

TfrmManuDelValor& SelectionTest::OpenScreen()
{
    form_ = &OpenFirstActivation();
    Settle(50);
    return *form_;
}

void SelectionTest::TypeInto(QWidget& control, const QString& text) { TypeOver(control, text); }

void SelectionTest::PressTab()
{
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

void SelectionTest::Query(const QString& branch, const QString& airline, const QString& from, const QString& to)
{
    TypeInto(*form_->medCdFilial, branch);
    PressTab();
    TypeInto(*form_->medCompanhia, airline);
    PressTab();
    TypeInto(*form_->depPlanoVooIni, QString(from).remove(QLatin1Char('/')));
    PressTab();
    TypeInto(*form_->depPlanoVooFin, QString(to).remove(QLatin1Char('/')));
    PressTab();
}

void SelectionTest::EnterPanel() { WidgetDriver::Focus(*form_->medCompanhia); }

void SelectionTest::ClickCell(int row, int column)
{
    TDBGrid& grid = *form_->dbgPadrao;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, column).center());
    QCoreApplication::processEvents();
}

void SelectionTest::ClickTitle(int column)
{
    QHeaderView* titles = form_->dbgPadrao->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

void SelectionTest::KeyInGrid(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(form_->dbgPadrao, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
}

QImage SelectionTest::GridShot() const
{
    return form_->dbgPadrao->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QString SelectionTest::Cell(int row, const char* field) const
{
    QString out;
    form_->cdsDelivery->ReadRow(row,
                                [&] { out = form_->cdsDelivery->FieldByName(QString::fromLatin1(field)).AsString(); });
    return out;
}

double SelectionTest::SqlNumber(const QString& sql) const
{
    TADOIBQuery query;
    query.SetSQL({sql});
    query.Open();
    const double value = query.Fields(0).AsFloat();
    query.Close();
    return value;
}

}  // namespace ate02700test

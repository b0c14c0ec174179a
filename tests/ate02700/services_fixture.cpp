#include "tests/ate02700/services_fixture.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpagecontrol.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>

#include <map>

namespace servicestest {

namespace {

std::map<Engine, std::unique_ptr<testsupport::DemoServer>>& Servers()
{
    static std::map<Engine, std::unique_ptr<testsupport::DemoServer>> servers;
    return servers;
}

testsupport::DemoServer& DemoFor(Engine engine)
{
    auto& slot = Servers()[engine];
    if (!slot) slot = std::make_unique<testsupport::DemoServer>(engine);
    return *slot;
}

}  // namespace

void ServicesTest::TearDownTestSuite()
{
    dtmDBGeral().Close();
    Servers().clear();
}

testsupport::ServerProcess& ServicesTest::Server() const { return DemoFor(GetParam()).server(); }

void ServicesTest::SetUp()
{
    if (GetParam() == Engine::PostgreSQL && !testsupport::postgresqlTestUrl())
        GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    testsupport::DemoServer& demo = DemoFor(GetParam());
    ASSERT_TRUE(demo.available());
    dtmDBGeral().Close();
    dtmDBGeral().Open(demo.database().url());
    direct_ = std::make_unique<testsupport::DirectConnection>(demo.database());

    Larkumo::THostSettings settings = ate02700test::HostSettings(demo.server());
    settings.serviceCodeMask = QStringLiteral("99.99.9999;1; ");  // the demo catalogue's codes
    Larkumo::Configure(settings);
    ASSERT_TRUE(host_.Open({1100, 720}));
    ate02700test::Settle(50);
    logAtStart_ = Server().log();
}

void ServicesTest::TearDown()
{
    host_.Close();
    direct_.reset();
}

TfrmManuDelValor& ServicesTest::OpenScreen()
{
    form_ = &ate02700test::OpenFirstActivation();
    form_->MdiWindow()->resize(1060, 640);
    return *form_;
}

void ServicesTest::LoadDeliveries(const QString& airline, const QDate& from, const QDate& to)
{
    TfrmManuDelValor& f = *form_;
    ate02700test::TypeOver(*f.medCompanhia, airline);
    Key(Qt::Key_Tab);
    ate02700test::TypeOver(*f.depPlanoVooIni, from.toString(QStringLiteral("ddMMyyyy")));
    ate02700test::TypeOver(*f.depPlanoVooFin, to.toString(QStringLiteral("ddMMyyyy")));
    // Leaving the panel for the list loads it.
    ClickCell(*f.dbgPadrao, 0, 1);
    ASSERT_TRUE(ate02700test::WaitUntil([&f] { return f.cdsDelivery->Active(); }))
        << dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    ate02700test::Settle(30);
}

std::vector<qint64> ServicesTest::DeliveriesOf(const QString& cdCia, const QDate& from, const QDate& to) const
{
    const QString sql = QStringLiteral(
                            "SELECT NRDELIVERY FROM DELIVERY WHERE CDFILIAL = '0001' AND CDCIA = '%1' "
                            "AND DTHRPLAVOOPV >= '%2' AND DTHRPLAVOOPV < '%3' ORDER BY NRDELIVERY")
                            .arg(cdCia, from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate));
    std::vector<qint64> numbers;
    for (const QVariant& v : direct_->column(sql)) numbers.push_back(v.toLongLong());
    return numbers;
}

int ServicesTest::Calls(const QString& method) const
{
    return ate02700test::CallCountSince(Server(), method, logAtStart_);
}

int ServicesTest::SettledCalls(const QString& method, int expected) const
{
    ate02700test::WaitUntil([&] { return Calls(method) >= expected; }, 3000);
    ate02700test::Settle(120);
    return Calls(method);
}

void ServicesTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : static_cast<QWidget*>(form_), key, modifiers);
}

void ServicesTest::Type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : static_cast<QWidget*>(form_), c.toLatin1());
    }
}

void ServicesTest::ClickTab(int index)
{
    QTabBar& tabs = form_->pgcPadrao->Tabs();
    QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.tabRect(index).center());
    QApplication::processEvents();
}

void ServicesTest::ClickCell(TDBGrid& grid, int row, int column)
{
    grid.scrollTo(grid.model()->index(row, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, column).center());
    QApplication::processEvents();
}

void ServicesTest::GoToColumn(const QString& fieldName)
{
    TDBGrid& grid = *form_->dbgServicoDel;
    const int target = grid.Columns().IndexOfField(fieldName);
    ASSERT_GE(target, 0) << fieldName.toStdString();
    for (int guard = 0; guard < 40 && grid.SelectedIndex() != target; ++guard)
        Key(grid.SelectedIndex() < target ? Qt::Key_Right : Qt::Key_Left);
    ASSERT_EQ(grid.SelectedIndex(), target) << fieldName.toStdString();
}

QImage ServicesTest::Shot(TDBGrid& grid) const
{
    return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace servicestest

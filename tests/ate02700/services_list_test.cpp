// The service list of the current delivery: when the services are fetched, the currency
// columns, the caption and footer, the commands by the edit state, the colours of the rows,
// and a failing fetch.

#include "tests/ate02700/services_fixture.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/application_host.h"
#include "framework/ui/colors.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tnumberedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/larkumo.h"
#include "framework/units/showavi.h"

#include <QAction>
#include <QTest>
#include <QToolButton>

namespace servicestest {
namespace {

using ate02700test::Settle;
using ate02700test::WaitUntil;

const QString kGet = QStringLiteral("GetServicoDel");
const QDate kNov10(2026, 11, 10);
const QDate kNov12(2026, 11, 12);

class ServiceList : public ServicesTest {
protected:
    int StoredServices(qint64 delivery) const
    {
        return Db().scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = %1").arg(delivery)).toInt();
    }
    QString DeliveryColumn(qint64 delivery, const char* column) const
    {
        return Db()
            .scalar(QStringLiteral("SELECT %1 FROM DELIVERY WHERE NRDELIVERY = %2")
                        .arg(QLatin1String(column))
                        .arg(delivery))
            .toString();
    }
    void NavigatorNext() { QTest::mouseClick(&form_->dbnPadrao->Button(TNavigateBtn::nbNext), Qt::LeftButton); }
    qint64 Current() const { return form_->fldDelivery.NRDELIVERY->AsInteger(); }
};

TEST_P(ServiceList, ServicesAreFetchedOncePerTabSwitchAndPerMoveOnTheirTabOnly)
{
    TfrmManuDelValor& f = OpenScreen();
    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov12);
    const std::vector<qint64> ids = DeliveriesOf(QStringLiteral("0003"), kNov10, kNov12);
    ASSERT_GE(ids.size(), 4u);
    ASSERT_EQ(f.cdsDelivery->RecordCount(), static_cast<int>(ids.size()));
    EXPECT_EQ(f.pgcPadrao->ActivePage(), f.tshFolhaDados);

    // On the delivery tab the cursor moves fetch nothing, but the key, caption and footer follow.
    WidgetDriver::Focus(*f.dbgPadrao);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    ASSERT_EQ(Current(), ids[2]);
    EXPECT_EQ(SettledCalls(kGet, 0), 0);
    EXPECT_EQ(f.astCiaVooTre[0], QStringLiteral("0003"));
    EXPECT_EQ(f.astCiaVooTre[1], DeliveryColumn(ids[2], "NRVOO"));
    EXPECT_EQ(f.astCiaVooTre[2], DeliveryColumn(ids[2], "CDTRECHO"));
    EXPECT_EQ(f.lblNmCia->Caption(), QStringLiteral("%1 - Linhas Aéreas do Atlântico").arg(ids[2]));
    EXPECT_DOUBLE_EQ(f.ndeTotalServico->Number(), DeliveryColumn(ids[2], "VRTOTDESC").toDouble());

    // The service load lands under the kind-6 animation over the host's main window.
    QWidget* coveredOnLoad = nullptr;
    f.cdsServicoDel->AfterScroll = [&coveredOnLoad](TClientDataSet&) { coveredOnLoad = Showavi::Target(); };
    ClickTab(1);
    ASSERT_EQ(f.pgcPadrao->ActivePage(), f.tshFormulario);
    EXPECT_EQ(SettledCalls(kGet, 1), 1);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), StoredServices(ids[2]));
    EXPECT_EQ(coveredOnLoad, Application().MainForm());
    EXPECT_FALSE(Showavi::IsShowing());

    // Arrows in the service grid move the services only.
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Down);
    EXPECT_EQ(f.cdsServicoDel->RecNo(), 2);
    EXPECT_EQ(SettledCalls(kGet, 1), 1);

    // The navigator moves the deliveries: one fetch per move.
    NavigatorNext();
    EXPECT_EQ(Current(), ids[3]);
    EXPECT_EQ(SettledCalls(kGet, 2), 2);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), StoredServices(ids[3]));
    EXPECT_EQ(f.cdsServicoDel->RecNo(), 1);
    EXPECT_EQ(f.fldServicoDel.NRDELIVERY->AsInteger(), ids[3]);

    // The tabs by their menu items: only the services tab fetches.
    f.mnuFolhaDados->Action()->trigger();
    EXPECT_EQ(f.pgcPadrao->ActivePage(), f.tshFolhaDados);
    EXPECT_EQ(SettledCalls(kGet, 2), 2);
    f.mnuFormulario->Action()->trigger();
    EXPECT_EQ(f.pgcPadrao->ActivePage(), f.tshFormulario);
    EXPECT_EQ(SettledCalls(kGet, 3), 3);
    f.cdsServicoDel->AfterScroll = nullptr;
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('|')).toStdString();
}

TEST_P(ServiceList, PriceAndTotalColumnsFollowTheCurrencyOfTheDelivery)
{
    TfrmManuDelValor& f = OpenScreen();
    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov12);
    const std::vector<qint64> ids = DeliveriesOf(QStringLiteral("0003"), kNov10, kNov12);
    TDBGridColumns& columns = f.dbgServicoDel->Columns();
    const int widthOfTotal = columns[13].Width();
    ClickTab(1);
    WidgetDriver::Focus(*f.dbgServicoDel);

    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) NavigatorNext();
        ASSERT_EQ(Current(), ids[i]);
        const bool international = DeliveryColumn(ids[i], "IDTIPNACDEL") == QLatin1String("2");
        EXPECT_EQ(columns[9].FieldName(),
                  international ? QStringLiteral("VRPRUDOLSESP") : QStringLiteral("VRPRURESESP"));
        EXPECT_EQ(columns[13].FieldName(), international ? QStringLiteral("VRTOTSERVD") : QStringLiteral("VRTOTSERVR"));
        // Place, width and title stay.
        EXPECT_EQ(columns.Count(), 14);
        EXPECT_EQ(columns[9].Width(), 85);
        EXPECT_EQ(columns[13].Width(), widthOfTotal);
        EXPECT_EQ(columns[9].Title().Caption(), QStringLiteral("Preço Unitário"));
        EXPECT_EQ(columns[13].Title().Caption(), QStringLiteral("Total do Serviço"));
        EXPECT_EQ(columns[12].FieldName(), QStringLiteral("PRECOSBYNUT"));
        EXPECT_EQ(columns[10].FieldName(), QStringLiteral("VRPRECMANUTSESP"));
        // The grid shows the value of the chosen currency.
        EXPECT_EQ(columns[13].Field(), international ? f.fldServicoDel.VRTOTSERVD : f.fldServicoDel.VRTOTSERVR);
        EXPECT_EQ(columns[9].Field(), international ? f.fldServicoDel.VRPRUDOLSESP : f.fldServicoDel.VRPRURESESP);
    }
    // The list had both kinds, one after the other.
    bool sawNational = false, sawInternational = false;
    for (qint64 id : ids)
        (DeliveryColumn(id, "IDTIPNACDEL") == QLatin1String("2") ? sawInternational : sawNational) = true;
    EXPECT_TRUE(sawNational && sawInternational);

    // An empty list leaves the columns as they were.
    const QString priceBefore = columns[9].FieldName();
    const QString totalBefore = columns[13].FieldName();
    LoadDeliveries(QStringLiteral("LAA"), QDate(2026, 1, 5), QDate(2026, 1, 5));
    EXPECT_TRUE(f.cdsDelivery->IsEmpty());
    EXPECT_EQ(columns[9].FieldName(), priceBefore);
    EXPECT_EQ(columns[13].FieldName(), totalBefore);
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('|')).toStdString();
}

// The enabled state of every record command, the delivery tab, the filter panel and the code
// column's button.
struct Commands {
    bool incluir, alterar, excluir, gravar, cancelar, procurar, verificar, folhaDados, filtro, ellipsis;
};

void ExpectCommands(TfrmManuDelValor& f, const Commands& c, const char* where)
{
    SCOPED_TRACE(where);
    const auto both = [](TMenuItem* item, TSpeedButton* button, bool expected, const char* name) {
        EXPECT_EQ(item->Enabled(), expected) << name;
        EXPECT_EQ(button->Enabled(), expected) << name;
    };
    both(f.mnuIncluir, f.sbtIncluir, c.incluir, "incluir");
    both(f.mnuAlterar, f.sbtAlterar, c.alterar, "alterar");
    both(f.mnuExcluir, f.sbtExcluir, c.excluir, "excluir");
    both(f.mnuGravar, f.sbtGravar, c.gravar, "gravar");
    both(f.mnuCancelar, f.sbtCancelar, c.cancelar, "cancelar");
    both(f.mnuProcurar, f.sbtProcurar, c.procurar, "procurar");
    both(f.mnuVerificar, f.sbtVerificar, c.verificar, "verificar");
    EXPECT_EQ(f.tshFolhaDados->Enabled(), c.folhaDados);
    EXPECT_EQ(f.mnuFolhaDados->Enabled(), c.folhaDados);
    for (QWidget* control : {static_cast<QWidget*>(f.medCompanhia), static_cast<QWidget*>(f.depPlanoVooIni),
                             static_cast<QWidget*>(f.depPlanoVooFin), static_cast<QWidget*>(f.btpCia),
                             static_cast<QWidget*>(f.medCdFilial), static_cast<QWidget*>(f.btpFilial)})
        EXPECT_EQ(control->isEnabled(), c.filtro) << control->objectName().toStdString();
    const int code = f.dbgServicoDel->Columns().IndexOfField(QStringLiteral("CDARVSERV"));
    EXPECT_EQ(f.dbgServicoDel->Columns()[code].ButtonStyle() == TColumnButtonStyle::Ellipsis, c.ellipsis);
}

TEST_P(ServiceList, CommandsFollowTheTabTheEditStateAndTheInvoice)
{
    TfrmManuDelValor& f = OpenScreen();
    // CAB on 7 and 8 Nov: the 7th is invoiced, the 8th is not.
    LoadDeliveries(QStringLiteral("CAB"), QDate(2026, 11, 7), QDate(2026, 11, 8));
    const int firstOpen = [&] {
        for (int row = 1; row <= f.cdsDelivery->RecordCount(); ++row) {
            f.cdsDelivery->SetRecNo(row);
            if (f.fldDelivery.NRDELIVERYFA->IsNull()) return row;
        }
        return 0;
    }();
    ASSERT_GT(firstOpen, 1) << "an invoiced delivery comes first";
    f.cdsDelivery->First();
    ASSERT_FALSE(f.fldDelivery.NRDELIVERYFA->IsNull());

    // The delivery tab, before any service was fetched: refresh only.
    ExpectCommands(f, {false, false, false, false, false, false, true, true, true, false}, "delivery tab");

    // An invoiced delivery on the services tab: no row command.
    ClickTab(1);
    ExpectCommands(f, {false, false, false, false, false, true, true, true, true, false}, "invoiced");
    WidgetDriver::Focus(*f.dbgServicoDel);
    const int rows = f.cdsServicoDel->RecordCount();
    Key(Qt::Key_Insert);
    EXPECT_EQ(f.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), rows);
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    const QString quantity = f.fldServicoDel.QTATUAPRODSP->AsString();
    Type(QStringLiteral("9"));
    EXPECT_EQ(f.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_EQ(f.fldServicoDel.QTATUAPRODSP->AsString(), quantity);
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << "refusals on an invoiced delivery are silent";

    // A delivery without a number: every row command.
    while (f.cdsDelivery->RecNo() < firstOpen) NavigatorNext();
    ExpectCommands(f, {true, true, true, false, false, true, true, true, true, false}, "open delivery");

    // Insert: save and cancel only, the delivery tab and the filter shut, the code's button shown.
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Insert);
    ASSERT_EQ(f.cdsServicoDel->State(), TDataSetState::Insert);
    ExpectCommands(f, {false, false, false, true, true, false, false, false, false, true}, "insert");
    ASSERT_NE(f.dbgServicoDel->EditButton(), nullptr);
    EXPECT_TRUE(f.dbgServicoDel->EditButton()->isVisible());
    ClickTab(0);
    EXPECT_EQ(f.pgcPadrao->ActivePage(), f.tshFormulario) << "the delivery tab is shut while a row is added";
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Escape);
    EXPECT_EQ(f.cdsServicoDel->State(), TDataSetState::Browse);
    ExpectCommands(f, {true, true, true, false, false, true, true, true, true, false}, "after cancel");

    // Edit by typing a quantity: the same, without the code's button.
    GoToColumn(QStringLiteral("QTATUAPRODSP"));
    Type(QStringLiteral("3"));
    ASSERT_EQ(f.cdsServicoDel->State(), TDataSetState::Edit);
    ExpectCommands(f, {false, false, false, true, true, false, false, false, false, false}, "edit");
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(f.cdsServicoDel->State(), TDataSetState::Browse);

    // Back on the delivery tab: refresh and search (the services are loaded now).
    ClickTab(0);
    ASSERT_EQ(f.pgcPadrao->ActivePage(), f.tshFolhaDados);
    ExpectCommands(f, {false, false, false, false, false, true, true, true, true, false}, "delivery tab again");
    EXPECT_EQ(Calls(QStringLiteral("SetServicoDel")), 0);
}

TEST_P(ServiceList, AFixedBranchStaysFixedAsThePanelOpensAndCloses)
{
    Larkumo::THostSettings settings = Larkumo::Settings();
    settings.branchFixed = true;
    Larkumo::Configure(settings);
    TfrmManuDelValor& f = OpenScreen();
    const auto branchLocked = [&f] {
        return !f.lblFilial->isEnabled() && !f.medCdFilial->isEnabled() && !f.btpFilial->isEnabled();
    };
    EXPECT_TRUE(branchLocked());
    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov10);
    EXPECT_TRUE(branchLocked()) << "delivery tab, no service loaded";
    EXPECT_TRUE(f.medCompanhia->isEnabled());
    EXPECT_FALSE(f.edtNmCia->isEnabled());
    EXPECT_FALSE(f.edtNmFilial->isEnabled());
    ClickTab(1);
    EXPECT_TRUE(branchLocked()) << "services tab";
    WidgetDriver::Focus(*f.dbgServicoDel);
    Key(Qt::Key_Insert);
    ASSERT_EQ(f.cdsServicoDel->State(), TDataSetState::Insert);
    EXPECT_FALSE(f.medCompanhia->isEnabled());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(f.medCompanhia->isEnabled());
    EXPECT_TRUE(branchLocked()) << "after the new row was dropped";
    EXPECT_FALSE(f.edtNmCia->isEnabled());
}

TEST_P(ServiceList, AnEmptyServiceListOffersOnlyInsert)
{
    TfrmManuDelValor& f = OpenScreen();
    const std::vector<qint64> ids = DeliveriesOf(QStringLiteral("0003"), kNov12, kNov12);
    ASSERT_FALSE(ids.empty());
    const qint64 emptied = ids.back();
    Db().exec(QStringLiteral("CREATE TABLE SERVDEL_KEEP AS SELECT * FROM SERVDEL WHERE NRDELIVERY = %1").arg(emptied));
    Db().exec(QStringLiteral("DELETE FROM SERVDEL WHERE NRDELIVERY = %1").arg(emptied));
    const RowsRestore restore([this] {
        Db().exec(QStringLiteral("INSERT INTO SERVDEL SELECT * FROM SERVDEL_KEEP"));
        Db().exec(QStringLiteral("DROP TABLE SERVDEL_KEEP"));
    });
    LoadDeliveries(QStringLiteral("LAA"), kNov12, kNov12);
    WidgetDriver::Focus(*f.dbgPadrao);
    Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(Current(), emptied);
    ClickTab(1);
    EXPECT_TRUE(f.cdsServicoDel->IsEmpty());
    ExpectCommands(f, {true, false, false, false, false, false, false, true, true, false}, "empty list");
}

TEST_P(ServiceList, MarkedDeliveriesEnableCancelAndPrint)
{
    TfrmManuDelValor& f = OpenScreen();
    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov10);
    EXPECT_FALSE(f.btnCancelDel->Enabled());
    EXPECT_FALSE(f.sbtImprimir->Enabled());
    // A click on the mark column marks the delivery; moving away and back shows it.
    ClickCell(*f.dbgPadrao, 0, 0);
    ASSERT_EQ(f.fldDelivery.IDMARCADO->AsString(), QStringLiteral("S"));
    WidgetDriver::Focus(*f.dbgPadrao);
    Key(Qt::Key_Down);
    EXPECT_FALSE(f.btnCancelDel->Enabled());
    Key(Qt::Key_Up);
    EXPECT_TRUE(f.btnCancelDel->Enabled());
    EXPECT_TRUE(f.sbtImprimir->Enabled());
}

// Colour of the pixel nearest to `wanted` within the rectangle, as a distance (0: exact).
int NearestDistance(const QImage& image, const QRect& rect, const QColor& wanted)
{
    int best = 1 << 30;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = std::abs(c.red() - wanted.red()) + std::abs(c.green() - wanted.green())
                          + std::abs(c.blue() - wanted.blue());
            best = std::min(best, d);
        }
    return best;
}

TEST_P(ServiceList, RowsAreDrawnInTheColourOfTheirSituation)
{
    TfrmManuDelValor& f = OpenScreen();
    const std::vector<qint64> ids = DeliveriesOf(QStringLiteral("0003"), kNov10, kNov10);
    ASSERT_FALSE(ids.empty());
    const qint64 delivery = ids.front();
    ASSERT_GE(Db().scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = %1").arg(delivery)).toInt(),
              3);
    // Situations 1, 2, 3 and 4 on the first rows, then one that is not a number.
    const QVariantList items = Db().column(
        QStringLiteral("SELECT NRITEMPLANSP FROM SERVDEL WHERE NRDELIVERY = %1 ORDER BY NRITEMPLANSP").arg(delivery));
    QVariantList kept = Db().column(
        QStringLiteral("SELECT IDSITSERSP FROM SERVDEL WHERE NRDELIVERY = %1 ORDER BY NRITEMPLANSP").arg(delivery));
    const QStringList situations{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                 QStringLiteral("X")};
    const int shown = std::min<int>(items.size(), situations.size());
    const auto setSituation = [this, delivery](const QVariant& item, const QString& value) {
        Db().exec(QStringLiteral("UPDATE SERVDEL SET IDSITSERSP = '%1' WHERE NRDELIVERY = %2 AND NRITEMPLANSP = %3")
                      .arg(value)
                      .arg(delivery)
                      .arg(item.toLongLong()));
    };
    for (int i = 0; i < shown; ++i) setSituation(items[i], situations[i]);
    const RowsRestore restore([&] {
        for (int i = 0; i < shown; ++i) setSituation(items[i], kept[i].toString());
    });

    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov10);
    ASSERT_EQ(Current(), delivery);
    ClickTab(1);
    TDBGrid& grid = *f.dbgServicoDel;
    WidgetDriver::Focus(grid);
    Key(Qt::Key_Down);  // the current cell on row 2, column 1
    GoToColumn(QStringLiteral("DSSERVICO"));
    ASSERT_EQ(grid.CurrentRow(), 1);
    Settle(50);
    const QImage image = Shot(grid);

    const QColor colours[] = {QColor(0x0000FF), QColor(0x008000), QColor(0xFF0000), QColor(0x800000)};
    const int description = 1;
    for (int row = 0; row < shown; ++row) {
        SCOPED_TRACE(row);
        for (int column : {description, 6}) {
            const QRect cell = grid.CellRect(row, column);
            // Background: the info colour, or the highlight on the current cell.
            const bool current = row == 1 && column == grid.SelectedIndex();
            const QColor background = current ? grid.palette().color(QPalette::Highlight) : Colors::InfoBk();
            EXPECT_EQ(image.pixelColor(cell.right() - 2, cell.center().y()), background);
            if (current) {
                EXPECT_LT(NearestDistance(image, cell.adjusted(2, 2, -2, -2),
                                          grid.palette().color(QPalette::HighlightedText)),
                          60);
                continue;
            }
            if (row < 4) {
                const QColor& wanted = colours[static_cast<std::size_t>(row)];
                EXPECT_LT(NearestDistance(image, cell, wanted), 90) << "column " << column;
                for (const QColor& other : colours) {
                    if (other != wanted) {
                        EXPECT_GT(NearestDistance(image, cell, other), 90) << "column " << column;
                    }
                }
            } else {
                // Not a number: the grid's own text colour.
                EXPECT_LT(NearestDistance(image, cell, grid.palette().color(QPalette::Text)), 90);
            }
        }
    }
    // Text starts 2 pixels in from the left, numbers included.
    const QRect quantityCell = grid.CellRect(0, 6);
    int firstInk = -1;
    for (int x = quantityCell.left(); x <= quantityCell.right() && firstInk < 0; ++x)
        for (int y = quantityCell.top(); y <= quantityCell.bottom(); ++y)
            if (image.pixelColor(x, y) != Colors::InfoBk()) {
                firstInk = x - quantityCell.left();
                break;
            }
    EXPECT_GE(firstInk, 2);
    EXPECT_LE(firstInk, 5);
    // The focused cell has its focus rectangle: pixels on its edge are not the highlight.
    const QRect focused = grid.CellRect(1, grid.SelectedIndex());
    int marked = 0;
    for (int x = focused.left(); x <= focused.right(); ++x)
        marked += image.pixelColor(x, focused.top()) != grid.palette().color(QPalette::Highlight) ? 1 : 0;
    EXPECT_GT(marked, focused.width() / 4);
}

TEST_P(ServiceList, AFailingFetchKeepsThePreviousServices)
{
    TfrmManuDelValor& f = OpenScreen();
    LoadDeliveries(QStringLiteral("LAA"), kNov10, kNov10);
    const std::vector<qint64> ids = DeliveriesOf(QStringLiteral("0003"), kNov10, kNov10);
    ASSERT_GE(ids.size(), 2u);
    ClickTab(1);
    const int rows = f.cdsServicoDel->RecordCount();
    ASSERT_EQ(rows, StoredServices(ids[0]));
    const QString caption = f.lblNmCia->Caption();

    // The services' table is gone for a moment: the server's failure is shown once.
    Db().exec(QStringLiteral("ALTER TABLE SERVDEL RENAME TO SERVDEL_AWAY"));
    {
        const RowsRestore restore([this] { Db().exec(QStringLiteral("ALTER TABLE SERVDEL_AWAY RENAME TO SERVDEL")); });
        NavigatorNext();
    }
    EXPECT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_FALSE(Showavi::IsShowing());
    EXPECT_EQ(Current(), ids[1]);
    EXPECT_EQ(f.astCiaVooTre[1], DeliveryColumn(ids[1], "NRVOO"));
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), rows);
    EXPECT_EQ(f.fldServicoDel.NRDELIVERY->AsInteger(), ids[0]);
    EXPECT_EQ(f.lblNmCia->Caption(), caption) << "the caption waits for a successful fetch";

    // The next move fetches again.
    dialogs_->ClearShown();
    QTest::mouseClick(&f.dbnPadrao->Button(TNavigateBtn::nbFirst), Qt::LeftButton);
    EXPECT_EQ(f.cdsServicoDel->RecordCount(), rows);
    EXPECT_TRUE(dialogs_->Errors().isEmpty());
}

SERVICES_ENGINES(ServiceList);

}  // namespace
}  // namespace servicestest

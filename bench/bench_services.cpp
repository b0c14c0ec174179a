// The services tab of the real main form against a real server on a scaled SQLite database:
//  1. moving the delivery cursor through 200 deliveries while the services tab shows (each
//     move fetches and shows the delivery's services, repaint included), against the same
//     delivery's GetServicoDel through a bare client plus loading the answer into a dataset
//     with the service record's fields; then the same moves once more with the window's
//     painting held, which parts what the handlers and the load cost from what drawing costs;
//  2. opening the service search over 500 offered services (the list answered by the scripted
//     dialogs service, which reads every row's texts as the dialog would), against the bare
//     GetPesqServico plus its load.
// Each case and its baseline are taken in turns, so both see the same machine. Prints the
// times per operation and the ratios.

#include "modules/ate02700/contracts/rdm_manu_del_valor.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/model/pesq_servico_record.h"
#include "modules/ate02700/model/servico_del_record.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"
#include "tests/support/server_fixture.h"

#include "framework/data/clientdataset.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"

#include "bench/gui_bench_env.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMainWindow>
#include <QMdiArea>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMoves = 200;
constexpr int kOffered = 500;
constexpr int kSearches = 60;
constexpr int kPasses = 3;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs what the event loop has pending, deferred deletions included, so none of it is left
// for the next measured call's wait.
void Pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// 500 services of the economy class offered to the airline at the branch.
void OfferServices(testsupport::DirectConnection& db, const QString& airline)
{
    db.exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < kOffered; ++i) {
        const QString code = QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0'));
        db.exec(
            QStringLiteral("INSERT INTO SERVICO (CDSERVICO, CDARVSERV, DSSERVICO, SGUNIDADE, IDTIPMANUAL, CDCLASSE, "
                           "IDCICLO) VALUES ('%1', '90.%2.%3', 'Serviço de medição %4', 'UN', '1', '0003', 'IDA')")
                .arg(code)
                .arg(i / 100, 2, 10, QLatin1Char('0'))
                .arg(i % 100, 4, 10, QLatin1Char('0'))
                .arg(i));
        db.exec(
            QStringLiteral("INSERT INTO SERVCIA (CDFILIAL, CDCIA, CDSERVICO, IDATIVO) VALUES ('0001', '%1', '%2', 'S')")
                .arg(airline, code));
    }
    db.exec(QStringLiteral("COMMIT"));
}

// One repaint of a plain QTableView showing the grid's texts in the same place and size: what
// Qt's own table costs to draw the rows, the floor of any list drawn with it.
double PlainRepaintMs(TDBGrid& grid)
{
    TClientDataSet& data = *grid.DataSet();
    const TDBGridColumns& columns = grid.Columns();
    QStandardItemModel model(data.RecordCount(), columns.Count());
    for (int r = 0; r < data.RecordCount(); ++r)
        data.ReadRow(r, [&] {
            for (int c = 0; c < columns.Count(); ++c)
                if (TField* field = columns[c].Field()) model.setItem(r, c, new QStandardItem(field->DisplayText()));
        });
    QTableView view(grid.parentWidget());
    view.setModel(&model);
    view.verticalHeader()->hide();
    view.verticalHeader()->setDefaultSectionSize(grid.verticalHeader()->defaultSectionSize());
    for (int c = 0; c < columns.Count(); ++c) view.setColumnWidth(c, grid.columnWidth(c));
    view.setGeometry(grid.geometry());
    view.show();
    Pump();
    QElapsedTimer clock;
    qint64 ns = 0;
    for (int i = 0; i < 50; ++i) {
        clock.start();
        view.viewport()->repaint();
        ns += clock.nsecsElapsed();
    }
    return ns / 1e6 / 50;
}

}  // namespace

int main(int argc, char** argv)
{
    benchsupport::UseOffscreenPlatform();
    QApplication app(argc, argv);
    benchsupport::DefaultBuildDir();

    auto database = testsupport::TestDatabase::sqlite();
    testsupport::initDatabase(database->url(), QStringLiteral("scale:2400"));
    testsupport::DirectConnection direct(*database);
    // The national pair with the most deliveries of the year.
    const QVariantList best = direct.column(QStringLiteral(
        "SELECT D.CDCIA FROM DELIVERY D WHERE D.CDFILIAL = '0001' AND D.IDTIPNACDEL = '1' GROUP BY D.CDCIA "
        "ORDER BY COUNT(*) DESC"));
    const QString airline = best.value(0).toString();
    const QString shortCode =
        direct.scalar(QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA = '%1'").arg(airline)).toString();
    OfferServices(direct, airline);
    testsupport::ServerProcess server(database->url());

    Larkumo::THostSettings settings;
    settings.serverHost = server.host();
    settings.serverPort = server.port();
    settings.defaultBranch = QStringLiteral("0001");
    settings.serviceCodeMask = QStringLiteral("99.99.9999;1; ");
    Larkumo::Configure(settings);
    dtmDBGeral().Open(database->url());
    QMainWindow window;
    auto* mdi = new QMdiArea(&window);
    window.setCentralWidget(mdi);
    window.resize(1100, 720);
    Application().Attach(&window, mdi);
    window.show();
    ScopedDialogs dialogs;
    Initialize();
    IniProc();
    TfrmManuDelValor& form = *Cli_ate02700::frmManuDelValor;
    while (!form.cdsParamComis->Active()) QTest::qWait(10);

    // The year's deliveries of the airline, loaded by leaving the filter panel.
    WidgetDriver::Focus(*form.medCompanhia);
    QTest::keyClicks(form.medCompanhia, shortCode);
    WidgetDriver::Focus(*form.depPlanoVooIni);
    QTest::keyClicks(form.depPlanoVooIni, QStringLiteral("01012026"));
    WidgetDriver::Focus(*form.depPlanoVooFin);
    QTest::keyClicks(form.depPlanoVooFin, QStringLiteral("31122026"));
    WidgetDriver::Focus(*form.dbgPadrao);
    while (!form.cdsDelivery->Active()) QTest::qWait(10);
    QTest::mouseClick(&form.pgcPadrao->Tabs(), Qt::LeftButton, {}, form.pgcPadrao->Tabs().tabRect(1).center());
    WidgetDriver::Focus(*form.dbgServicoDel);
    Pump();
    const int deliveries = form.cdsDelivery->RecordCount();
    std::printf("airline %s: %d deliveries of 2026, %d offered services added\n", qPrintable(shortCode), deliveries,
                kOffered);
    if (deliveries <= kMoves) {
        std::fprintf(stderr, "too few deliveries for %d moves\n", kMoves);
        return 1;
    }

    // The bare client and a dataset with the same fields.
    TNetConnection bare;
    server.configure(bare);
    bare.SetConnected(true);
    TRdmManuDelValor rdm(bare);
    TClientDataSet services;
    ate02700::DeclareServicoDelFields(services);
    TClientDataSet offered;
    ate02700::DeclarePesqServicoFields(offered);

    // 1. Moves on the services tab, each against the bare fetch of the delivery reached;
    //    passes over the same 200 deliveries.
    QElapsedTimer clock;
    struct Moves {
        qint64 formNs = 0, bareNs = 0, afterNs = 0;
        std::vector<double> ratios;
    };
    const auto measureMoves = [&](int passes) {
        Moves m;
        for (int pass = 0; pass < passes; ++pass) {
            form.dbnPadrao->BtnClick(TNavigateBtn::nbFirst);
            Pump();
            for (int i = 0; i < kMoves; ++i) {
                // The delivery the move reaches.
                QString number;
                form.cdsDelivery->ReadRow(form.cdsDelivery->RecNo(),
                                          [&] { number = form.fldDelivery.NRDELIVERY->AsString(); });
                const auto bare = [&] {
                    clock.start();
                    services.SetData(
                        Consiste::CheckResultServ(rdm.GetServicoDel(QStringLiteral("0001"), number), true, 0));
                    const qint64 ns = clock.nsecsElapsed();
                    Pump();
                    return ns;
                };
                // Taken in turns: whichever asks first finds the server's caches colder.
                const qint64 bareFirst = i % 2 == 0 ? bare() : 0;
                clock.start();
                form.dbnPadrao->BtnClick(TNavigateBtn::nbNext);
                const qint64 moved = clock.nsecsElapsed();
                Pump();
                const qint64 formOne = clock.nsecsElapsed();
                m.afterNs += formOne - moved;
                const qint64 bareOne = i % 2 == 0 ? bareFirst : bare();
                m.formNs += formOne;
                m.bareNs += bareOne;
                m.ratios.push_back(double(formOne) / double(bareOne));
            }
        }
        return m;
    };
    const Moves painted = measureMoves(kPasses);
    // The same moves with the window's painting held: what the handlers, the load and Qt's
    // layout cost beyond the bare fetch, drawing aside.
    window.setUpdatesEnabled(false);
    const Moves held = measureMoves(1);
    window.setUpdatesEnabled(true);
    Pump();
    const int moves = kMoves * kPasses;
    // What one repaint of the service grid alone costs (every visible cell drawn).
    qint64 gridNs = 0;
    for (int i = 0; i < 50; ++i) {
        clock.start();
        form.dbgServicoDel->viewport()->repaint();
        gridNs += clock.nsecsElapsed();
    }
    std::printf(
        "one repaint of the service grid (%d rows shown): %.3f ms; a plain QTableView with the same texts: %.3f ms\n",
        form.cdsServicoDel->RecordCount(), gridNs / 1e6 / 50, PlainRepaintMs(*form.dbgServicoDel));
    std::printf(
        "move on the services tab: %.3f ms (events and painting after the move %.3f ms), bare "
        "GetServicoDel + load: %.3f ms; ratio of the sums %.2f, median ratio of the pairs %.2f\n",
        painted.formNs / 1e6 / moves, painted.afterNs / 1e6 / moves, painted.bareNs / 1e6 / moves,
        double(painted.formNs) / double(painted.bareNs), Median(painted.ratios));
    std::printf(
        "  the same moves with painting held: %.3f ms, bare: %.3f ms; ratio of the sums %.2f, median ratio of the "
        "pairs %.2f\n",
        held.formNs / 1e6 / kMoves, held.bareNs / 1e6 / kMoves, double(held.formNs) / double(held.bareNs),
        Median(held.ratios));

    // 2. The search over the offered services of a national delivery, from a new row.
    form.cdsDelivery->First();
    while (form.fldDelivery.IDTIPNACDEL->AsString() != QLatin1String("1") || !form.fldDelivery.NRDELIVERYFA->IsNull())
        form.cdsDelivery->Next();
    Pump();
    qint64 searchNs = 0, bareSearchNs = 0;
    std::vector<double> searchRatios;
    int listed = 0;
    for (int i = 0; i < kSearches; ++i) {
        if (form.cdsServicoDel->State() != TDataSetState::Insert) QTest::keyClick(form.dbgServicoDel, Qt::Key_Insert);
        dialogs->CancelPick();
        clock.start();
        QTest::mouseClick(form.dbgServicoDel->EditButton(), Qt::LeftButton);
        const qint64 formOne = clock.nsecsElapsed();
        listed = form.cdsPesqServico->RecordCount();
        QString cia = airline;
        clock.start();
        offered.SetData(Consiste::CheckResultServ(
            rdm.GetPesqServico(QStringLiteral("0001"), form.fldDelivery.NRDELIVERY->AsString(), cia, QString(),
                               form.fldDelivery.IDTIPNACDEL->AsString()),
            true, 0));
        const qint64 bareOne = clock.nsecsElapsed();
        searchNs += formOne;
        bareSearchNs += bareOne;
        searchRatios.push_back(double(formOne) / double(bareOne));
    }
    std::printf(
        "search list of %d services: %.3f ms, bare GetPesqServico + load: %.3f ms; ratio of the sums %.2f, "
        "median ratio of the pairs %.2f\n",
        listed, searchNs / 1e6 / kSearches, bareSearchNs / 1e6 / kSearches, double(searchNs) / double(bareSearchNs),
        Median(searchRatios));
    if (!dialogs->Errors().isEmpty())
        std::printf("errors shown: %s\n", qPrintable(dialogs->Errors().join(QLatin1Char('|'))));

    Application().DestroyForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Finalize();
    Application().Detach();
    return 0;
}

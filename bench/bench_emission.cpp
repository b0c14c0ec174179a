// Emitting 50 marked deliveries from the emission dialog: the place validated, the numbering
// requested and one ATE027 PDF written per delivery, as the dialog's print button does it on
// the main form's list. Baseline, measured in the same run on the same deliveries: one
// GeraNovoFatur call through a bare TNetConnection plus 50 runs of the report engine writing
// the same PDFs. Both go through the same application server (in process, on its own
// thread) over the demo data plus 1,000 deliveries; between runs the numbers are taken back
// behind the server's back, so every run numbers the same 50 deliveries. The ratio is CPU
// time of this process plus the server's thread, printed at the end.
//
//   bench_emission [benchmark options]

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"

#include "bench/in_process_server.h"
#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/report/report_catalog.h"
#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_settings.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"
#include "server/database.h"
#include "server/net/app_server.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMainWindow>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kDeliveries = 50;
const QString kBranch = QStringLiteral("0001");
const QString kPlace = QStringLiteral("0001");

using benchsupport::InProcessServer;

struct Setup {
    QTemporaryDir dir;
    QTemporaryDir out;
    QString url;
    std::unique_ptr<InProcessServer> server;
    std::unique_ptr<QMainWindow> mainWindow;
    TfrmManuDelValor* form = nullptr;
    std::vector<qint64> marked;  // NRDELIVERY of the marked rows
    TReportEntry entry;
};

Setup& setup()
{
    static Setup s;
    return s;
}

void clearOutput()
{
    QDir dir(setup().out.path());
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden)) dir.remove(f);
}

// Takes the numbers of the marked deliveries back, straight in the database.
void unnumber()
{
    QString keys;
    for (const qint64 key : setup().marked)
        keys += (keys.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(key);
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("bench-reset")));
    if (!q.exec(QStringLiteral("UPDATE DELIVERY SET NRDELIVERYFA = NULL, CDLOCALDELIV = NULL, DTHRFATUR = NULL "
                               "WHERE NRDELIVERY IN (%1)")
                    .arg(keys)))
        throw std::runtime_error(q.lastError().text().toStdString());
}

// The main form with the deliveries of CAB over most of 2026, the first 50 that can be
// numbered marked.
void prepare()
{
    Setup& s = setup();
    s.url = QStringLiteral("sqlite:") + s.dir.filePath(QStringLiteral("bench.db"));
    server::initDatabase(server::DatabaseUrl::parse(s.url), server::SeedSpec::parse(QStringLiteral("scale:1000")));
    dtmDBGeral().Open(s.url);
    {
        // The bench's own writable connection, for what it changes behind the server's back.
        QSqlDatabase reset = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-reset"));
        reset.setDatabaseName(s.dir.filePath(QStringLiteral("bench.db")));
        if (!reset.open()) throw std::runtime_error(reset.lastError().text().toStdString());
        QSqlQuery q(reset);
        q.exec(QStringLiteral("PRAGMA busy_timeout = 10000"));
        if (!q.exec(QStringLiteral("UPDATE FAIXANUMFAT SET NRFINAL = 999999999 WHERE CDFILIAL = '0001' "
                                   "AND CDLOCALDELIV = '0001'")))
            throw std::runtime_error(q.lastError().text().toStdString());
    }
    s.server = std::make_unique<InProcessServer>(server::DatabaseUrl::parse(s.url));

    Larkumo::THostSettings host;
    host.serverHost = QStringLiteral("127.0.0.1");
    host.serverPort = s.server->port();
    host.defaultBranch = kBranch;
    host.operatorCode = QStringLiteral("BENCH");
    Larkumo::Configure(host);
    s.entry = FindReportDefinition(QStringLiteral(ATE_REPORTS_DIR), QStringLiteral("ATE027"), QString());
    TReportSettings reports;
    reports.reportsDir = QStringLiteral(ATE_REPORTS_DIR);
    reports.outputDir = s.out.path();
    ConfigureReports(reports);

    s.mainWindow = std::make_unique<QMainWindow>();
    Application().Attach(s.mainWindow.get(), nullptr);
    Initialize();
    IniProc();
    s.form = Cli_ate02700::frmManuDelValor;
    if (!s.form) throw std::runtime_error("the screen did not open");
    TfrmManuDelValor& f = *s.form;
    // The first activation (branch, parameters) runs from the event loop: let it finish first.
    QDeadlineTimer activation(30'000);
    while (!f.cdsParamComis->Active() && !activation.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!f.cdsParamComis->Active()) throw std::runtime_error("the screen's first activation did not finish");
    f.medCdFilial->SetText(kBranch);
    f.qryCompanhia->ParamByName(u"P_CDFILIAL").SetAsString(kBranch);
    f.qryCompanhia->ParamByName(u"P_SGCIA").SetAsString(QStringLiteral("CAB"));
    f.qryCompanhia->ParamByName(u"P_TSGCIA").SetAsString(QString());
    f.qryCompanhia->Open();
    const QDateTime from(QDate(2026, 1, 1), QTime(0, 0)), to(QDate(2026, 10, 31), QTime(0, 0));
    f.cdsDelivery->SetData(
        Consiste::CheckResultServ(f.Rdm().GetDelivery(kBranch, f.fldCompanhia.CDCIA->AsString(), from, to), true, 0));
    for (f.cdsDelivery->First(); !f.cdsDelivery->Eof() && int(s.marked.size()) < kDeliveries; f.cdsDelivery->Next()) {
        if (!f.fldDelivery.NRDELIVERYFA->IsNull() || f.fldDelivery.IDSITDEL->AsString() == QLatin1String("2")) continue;
        f.cdsDelivery->Edit();
        f.fldDelivery.IDMARCADO->SetAsString(QStringLiteral("S"));
        f.cdsDelivery->Post();
        s.marked.push_back(f.fldDelivery.NRDELIVERY->AsInteger());
    }
    if (int(s.marked.size()) < kDeliveries) throw std::runtime_error("not enough deliveries to mark");
}

// The dialog's print button, once per iteration on a new dialog.
void emitFromDialog(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        unnumber();
        clearOutput();
        auto* dialog = Application().CreateForm<TfrmRelManuDelValor>();
        dialog->show();
        QCoreApplication::processEvents();
        dialog->medCdLocal->SetText(kPlace);
        state.ResumeTiming();
        dialog->sbtPrint->Click();
        state.PauseTiming();
        const int written = int(QDir(setup().out.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
        if (written != kDeliveries) state.SkipWithError("the dialog did not write one document per delivery");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// The same work without the dialog: one numbering call, then the report engine per delivery.
void bareClientAndEngine(benchmark::State& state)
{
    TNetConnection net;
    net.SetHost(QStringLiteral("127.0.0.1"));
    net.SetPort(setup().server->port());
    net.SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
    net.Open();
    wire::DataPacket packet;
    {
        TClientDataSet& deliveries = *setup().form->cdsDelivery;
        deliveries.SetFiltered(true);
        packet = deliveries.Data();
        deliveries.SetFiltered(false);
    }
    TReportDesignerDialog runner;
    qint64 current = 0;
    runner.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(kBranch);
        params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(current));
    };
    for (auto _ : state) {
        state.PauseTiming();
        unnumber();
        clearOutput();
        state.ResumeTiming();
        wire::Array args{packet, kPlace};
        benchmark::DoNotOptimize(net.Call(QStringLiteral("GeraNovoFatur"), args));
        for (const qint64 key : setup().marked) {
            current = key;
            runner.ExportPdf(setup().entry, setup().out.path());
        }
    }
}

using benchsupport::RatioReporter;

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        prepare();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // Taken in turns, so both see the same load of a shared machine.
    for (int turn = 0; turn < 2; ++turn) {
        benchmark::RegisterBenchmark("baseline_numbering_call_and_50_report_runs", bareClientAndEngine)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Iterations(2);
        benchmark::RegisterBenchmark("emission_dialog_50_marked_deliveries", emitFromDialog)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Iterations(2);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double target = reporter.cpu["emission_dialog_50_marked_deliveries"];
    const double base = reporter.cpu["baseline_numbering_call_and_50_report_runs"];
    const double targetWall = reporter.wall["emission_dialog_50_marked_deliveries"];
    const double baseWall = reporter.wall["baseline_numbering_call_and_50_report_runs"];
    if (target > 0 && base > 0)
        std::printf(
            "\nEmission of %d marked deliveries: %.1f ms CPU (%.1f ms wall) from the dialog, %.1f ms CPU "
            "(%.1f ms wall) bare; %.2fx CPU, %.2fx wall (target 1.3x)\n",
            kDeliveries, target, targetWall, base, baseWall, target / base, targetWall / baseWall);
    std::fflush(stdout);
    Application().DestroyForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Finalize();
    Application().Detach();
    setup().server.reset();
    dtmDBGeral().Close();
    return 0;
}

// The operator's post of a changed service row, to the grid ready again, with about 1,000
// deliveries in the list: the real main form on the offscreen platform against a real server
// (SQLite, demo plus scale:10000). Baseline, taken in turns in the same run: a bare client
// making the calls a post needs back to back (CalculaPreco, SetServicoDel, whose answer
// carries the services) and the same dataset work (the edit and post of the row, the price
// copy, the three packets loaded, both lists put back on their rows).
// Prints the medians, the ratio and the round trips one post costs, counted from the
// server's log.
//
//   build/bin/bench/bench_service_post [rounds]

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/model/delivery_record.h"
#include "modules/ate02700/model/null_field_list.h"
#include "modules/ate02700/model/servico_del_record.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"
#include "tests/support/server_fixture.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"

#include "bench/gui_bench_env.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QDate kFrom(2026, 1, 1);
const QDate kTo(2026, 12, 31);

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

int Calls(const testsupport::ServerProcess& server, const char* method)
{
    const QRegularExpression call(QStringLiteral(R"(^\S+ \S+ \S+ %1 [0-9.]+ ms )").arg(QLatin1String(method)));
    int n = 0;
    for (const QString& line : server.log().split(QLatin1Char('\n'))) n += call.match(line).hasMatch() ? 1 : 0;
    return n;
}

void WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 20'000) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The form on branch 0001, airline CAB, the whole year, as the operator sets it: the airline
// typed, the dates given, the delivery list entered (which loads it); the delivery at `row`
// chosen and the services tab opened (which loads its services).
void OpenDelivery(TfrmManuDelValor& form, int row)
{
    WidgetDriver::Focus(*form.medCompanhia);
    QTest::keyClicks(form.medCompanhia, QStringLiteral("CAB"));
    form.depPlanoVooIni->SetDate(kFrom);
    form.depPlanoVooFin->SetDate(kTo);
    form.pgcPadrao->SetActivePage(form.tshFolhaDados);
    WidgetDriver::Focus(*form.dbgPadrao);
    WaitFor([&] { return form.cdsDelivery->Active() && !form.cdsDelivery->IsEmpty(); });
    form.cdsDelivery->SetRecNo(row);
    form.pgcPadrao->SetActivePage(form.tshFormulario);
    WidgetDriver::Focus(*form.dbgServicoDel);
}

// The bare client: the same calls and dataset work, no form.
class BareClient {
public:
    BareClient(const testsupport::ServerProcess& server, int row)
    {
        server.configure(net_);
        net_.SetConnected(true);
        delivery_ = ate02700::DeclareDeliveryFields(deliveries_);
        deliveries_.AddIndex(QStringLiteral("cdsDeliveryIndex1"), QStringLiteral("NRDELIVERY"));
        deliveries_.SetIndexName(QStringLiteral("cdsDeliveryIndex1"));
        service_ = ate02700::DeclareServicoDelFields(services_);
        TRdmManuDelValor rdm(net_);
        deliveries_.SetData(
            Consiste::CheckResultServ(rdm.GetDelivery(QStringLiteral("0001"), QStringLiteral("0001"),
                                                      kFrom.startOfDay(Qt::UTC), kTo.startOfDay(Qt::UTC)),
                                      true, 0));
        deliveries_.SetRecNo(row);
        services_.SetData(Consiste::CheckResultServ(
            rdm.GetServicoDel(QStringLiteral("0001"), delivery_.NRDELIVERY->AsString()), true, 0));
    }

    void Post(double quantity)
    {
        TRdmManuDelValor rdm(net_);
        services_.Edit();
        service_.QTSERFATSP->SetAsFloat(quantity);
        QString cia = delivery_.CDCIA->AsString(), voo = delivery_.NRVOO->AsString(),
                trecho = delivery_.CDTRECHO->AsString();
        const QDateTime when = delivery_.DTHRPLAVOOPV->AsDateTime();
        prices_.SetData(Consiste::CheckResultServ(
            rdm.CalculaPreco(QStringLiteral("0001"), cia, voo, trecho, when, service_.CDCLASSE->AsString(), when,
                             service_.CDSERVICO->AsString(), quantity, service_.IDTIPMANUALSP->AsString(),
                             service_.QTSESBYPRSP->AsFloat()),
            true, 0));
        for (const char* f : {"VRPRURESESP", "VRPRUDOLSESP", "VRPRUSBYSP"})
            services_.FieldByName(QString::fromLatin1(f)).SetValue(prices_.FieldByName(QString::fromLatin1(f)).Value());
        services_.Post();
        const qint64 key = delivery_.NRDELIVERY->AsInteger();
        const QString code = service_.CDARVSERV->AsString();
        auto packets = Consiste::CheckResultServPackets(
            rdm.SetServicoDel(services_.Delta(), QStringLiteral("0001"), key, delivery_.CDLOCAFATCIA->AsString(),
                              QStringLiteral("0001"), kFrom.startOfDay(Qt::UTC), kTo.startOfDay(Qt::UTC),
                              ate02700::NullFieldList(services_)),
            3, true, 0);
        // The answer's three packets, both lists put back on their rows; the services come
        // with the answer, so nothing else is asked for.
        errors_.SetData(std::move(packets[0]));
        deliveries_.SetData(std::move(packets[1]));
        services_.SetData(std::move(packets[2]));
        services_.MergeChangeLog();
        deliveries_.Locate(QStringLiteral("NRDELIVERY"), wire::Value(static_cast<double>(key)));
        services_.Locate(QStringLiteral("CDARVSERV"), wire::Value(code));
    }

private:
    TNetConnection net_;
    TClientDataSet deliveries_, services_, prices_, errors_;
    ate02700::DeliveryFields delivery_;
    ate02700::ServicoDelFields service_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchsupport::UseOffscreenPlatform();
    QApplication app(argc, argv);
    benchsupport::DefaultBuildDir();
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;

    auto db = testsupport::TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), QStringLiteral("scale:10000"));
    testsupport::ServerProcess server(db->url());
    ScopedDialogs dialogs;

    Larkumo::Configure({.serverHost = server.host(),
                        .serverPort = server.port(),
                        .defaultBranch = QStringLiteral("0001"),
                        .operatorCode = QStringLiteral("BENCH"),
                        .serviceCodeMask = QStringLiteral("99.99.9999;0;_")});
    QMainWindow window;
    auto* mdi = new QMdiArea(&window);
    window.setCentralWidget(mdi);
    window.resize(1100, 700);
    Application().Attach(&window, mdi);
    WidgetDriver::ShowActive(window);
    dtmDBGeral().Open(db->url());
    Initialize();
    IniProc();
    TfrmManuDelValor& form = *Cli_ate02700::frmManuDelValor;
    WaitFor([&] { return form.cdsParamComis->Active(); });
    OpenDelivery(form, 500);
    const int listed = form.cdsDelivery->RecordCount();
    BareClient bare(server, 501);

    std::vector<double> target, baseline;
    const int before[] = {Calls(server, "CalculaPreco"), Calls(server, "SetServicoDel"), Calls(server, "GetServicoDel"),
                          Calls(server, "GetDelivery")};
    int formPosts = 0;
    QElapsedTimer t;
    for (int i = 0; i < rounds + 3; ++i) {
        const double quantity = 10 + (i % 2);
        t.start();
        form.cdsServicoDel->Edit();
        form.fldServicoDel.QTSERFATSP->SetAsFloat(quantity);
        form.cdsServicoDel->Post();
        QApplication::processEvents();  // the grid drawn again
        const double a = static_cast<double>(t.nsecsElapsed()) / 1e6;
        ++formPosts;
        t.start();
        bare.Post(quantity);
        const double b = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (i >= 3) {
            target.push_back(a);
            baseline.push_back(b);
        }
    }
    // The form's calls: the log lines since the start, less the bare client's share.
    const int pricing = Calls(server, "CalculaPreco") - before[0] - (rounds + 3);
    const int saves = Calls(server, "SetServicoDel") - before[1] - (rounds + 3);
    const int reloads = Calls(server, "GetServicoDel") - before[2];
    const int lists = Calls(server, "GetDelivery") - before[3];

    const double mt = Median(target), mb = Median(baseline);
    std::printf("deliveries in the list: %d, rounds: %d\n", listed, rounds);
    std::printf("form post to grid ready: median %.2f ms\n", mt);
    std::printf("bare client, same calls: median %.2f ms\n", mb);
    std::printf("ratio: %.2f\n", mb > 0 ? mt / mb : 0.0);
    std::printf(
        "round trips per form post: CalculaPreco %.2f, SetServicoDel %.2f, GetServicoDel %.2f, "
        "GetDelivery %.2f\n",
        double(pricing) / formPosts, double(saves) / formPosts, double(reloads) / formPosts, double(lists) / formPosts);
    if (!dialogs->Errors().isEmpty())
        std::printf("errors shown: %s\n", qPrintable(dialogs->Errors().join(QLatin1Char('|'))));
    Application().DestroyForms();
    Finalize();
    Application().Detach();
    dtmDBGeral().Close();
    return 0;
}

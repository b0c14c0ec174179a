// The operator's first half of the job on the real main form, against a real server on a
// SQLite demo database holding 10,000 extra deliveries of one airline (1,000 a day):
//
//   load   leaving the filter panel (branch parameters, GetDelivery, the list loaded, the
//          grid painted) for 1,000 and for 10,000 deliveries;
//          baseline: GetDelivery of the same rows through a bare TNetConnection plus the
//          load of the packet into a dataset with the delivery fields. Target: within 1.3x.
//   mark   the mark pass of the mark column's title over 10,000 deliveries (a click on the
//          title, the pass, the grid redrawn);
//          baseline: a loop that edits, sets IDMARCADO and posts every row with controls
//          suspended and no handlers bound. Target: within 3x.
//
// Target and baseline take turns, so both see the same load; the medians of the wall-clock
// times are compared. Run from the build tree: bin/bench/bench_delivery_selection [reps].

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/model/delivery_record.h"
#include "modules/ate02700/package/pkg_ate02700.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/units/larkumo.h"
#include "framework/units/showavi.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMainWindow>
#include <QMdiArea>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

const QString kServerObject = QStringLiteral("ATE02700.rdmManuDelValor");

void Check(bool ok, const QString& what)
{
    if (!ok) throw std::runtime_error(what.toStdString());
}

QString ServerExecutable() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../ate02700-server"); }

// VAS at Guarulhos, flight 4410, in January 2027: 1,000 deliveries a day for ten days.
void AddDeliveries(const QString& file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-seed"));
    db.setDatabaseName(file);
    Check(db.open(), db.lastError().text());
    {
        QSqlQuery q(db);
        const QString when = QStringLiteral(
            "strftime('%Y-%m-%d %H:%M:%S.000', '2027-01-01', '+' || (N / 1000) || ' days', "
            "'+' || ((N % 1000) * 86) || ' seconds')");
        const QStringList statements{
            QStringLiteral("BEGIN"),
            QStringLiteral("WITH RECURSIVE S(N) AS (SELECT 0 UNION ALL SELECT N + 1 FROM S WHERE N < 9999) "
                           "INSERT INTO PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, QTPAX) "
                           "SELECT '0001', '0004', '4410', '0001', %1, 100 FROM S")
                .arg(when),
            QStringLiteral("WITH RECURSIVE S(N) AS (SELECT 0 UNION ALL SELECT N + 1 FROM S WHERE N < 9999) "
                           "INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                           "IDSITDEL, IDTIPNACDEL, CDLOCAFATCIA, VRPETXAERO, VRBACATX, VRTXAERO, VRTOTDESC, "
                           "VRTOTDELIV, NRMAXSERVDEL) "
                           "SELECT 500000 + N, '0001', 'B' || (500000 + N) || '/2027', '0004', '4410', '0001', %1, "
                           "'1', CASE WHEN N % 2 = 0 THEN '1' ELSE '2' END, 'BRASILIA - DF', 3, 1000 + N, "
                           "30 + N * 0.03, 0, 1030 + N * 1.03, 12 FROM S")
                .arg(when),
            QStringLiteral("COMMIT"),
        };
        for (const QString& sql : statements) Check(q.exec(sql), q.lastError().text());
    }
    db.close();
}

class Server {
public:
    explicit Server(const QString& url)
    {
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(ServerExecutable(), {QStringLiteral("serve"), QStringLiteral("--db"), url,
                                            QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
        Check(process_.waitForStarted(10'000), QStringLiteral("the server did not start"));
        static const QRegularExpression announced(QStringLiteral("^listening on (\\S+):(\\d+)\\s*$"));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20'000) {
            if (process_.canReadLine()) {
                if (const auto m = announced.match(QString::fromUtf8(process_.readLine())); m.hasMatch()) {
                    port_ = static_cast<quint16>(m.captured(2).toUInt());
                    return;
                }
                continue;
            }
            process_.waitForReadyRead(200);
        }
        throw std::runtime_error("the server announced no port");
    }
    ~Server()
    {
        process_.terminate();
        process_.waitForFinished(10'000);
    }
    quint16 Port() const { return port_; }

private:
    QProcess process_;
    quint16 port_ = 0;
};

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Runs `prepare` untimed, then `timed`, `reps` times; the median in milliseconds.
struct Pair {
    std::vector<double> target, baseline;
};

double TimeOnce(const std::function<void()>& body)
{
    QElapsedTimer t;
    t.start();
    body();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

class Bench {
public:
    Bench(TfrmManuDelValor& form, quint16 port) : form_(form)
    {
        net_.SetServerName(kServerObject);
        net_.SetHost(QStringLiteral("127.0.0.1"));
        net_.SetPort(port);
        net_.SetConnected(true);
        fields_ = ate02700::DeclareDeliveryFields(bare_);
    }

    void Load(const QString& to, int expectedRows, int reps)
    {
        Pair p;
        for (int i = 0; i < reps; ++i) {
            // Target: the panel left for the grid, the list loaded and painted.
            form_.medCompanhia->setFocus(Qt::OtherFocusReason);  // back in the panel: the list is closed
            QCoreApplication::processEvents();
            form_.depPlanoVooFin->SetText(to);
            form_.depPlanoVooFin->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            p.target.push_back(TimeOnce([this] {
                form_.dbgPadrao->setFocus(Qt::OtherFocusReason);
                form_.dbgPadrao->viewport()->repaint();
            }));
            Check(form_.cdsDelivery->RecordCount() == expectedRows,
                  QStringLiteral("the form loaded %1 rows").arg(form_.cdsDelivery->RecordCount()));

            // Baseline: the same call through a bare connection, and the load.
            p.baseline.push_back(TimeOnce([this, &to] {
                wire::Array args{
                    QStringLiteral("0001"), QStringLiteral("0004"),
                    wire::Value(QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC)),
                    wire::Value(QDateTime(QDate::fromString(to, QStringLiteral("dd/MM/yyyy")), QTime(0, 0), Qt::UTC))};
                bare_.SetData(net_.Call(QStringLiteral("GetDelivery"), args).packet());
            }));
            Check(bare_.RecordCount() == expectedRows, QStringLiteral("the bare client loaded other rows"));
        }
        Report(QStringLiteral("leave panel, %1 deliveries").arg(expectedRows), p, 1.3);
        Parts(reps);
    }

    // The fixed costs the target carries beyond the baseline's call and load.
    void Parts(int reps)
    {
        std::vector<double> avi, paint, params, lookup;
        for (int i = 0; i < reps; ++i) {
            avi.push_back(TimeOnce([] {
                Showavi::ActiveShowAvi(Application().MainForm(), 6);
                Showavi::DeactiveShowAvi();
            }));
            paint.push_back(TimeOnce([this] { form_.dbgPadrao->viewport()->repaint(); }));
            params.push_back(TimeOnce([this] {
                wire::Array args{QStringLiteral("0001")};
                net_.Call(QStringLiteral("GetParamComis"), args);
            }));
            lookup.push_back(TimeOnce([this] {
                form_.qryCompanhia->Close();
                form_.qryCompanhia->Open();
            }));
        }
        std::printf(
            "  of which: progress %.2f ms, grid paint %.2f ms, branch parameters %.2f ms, airline lookup "
            "%.2f ms\n",
            Median(avi), Median(paint), Median(params), Median(lookup));
    }

    void Mark(int reps)
    {
        const wire::DataPacket rows = form_.cdsDelivery->Data();
        QHeaderView* titles = form_.dbgPadrao->horizontalHeader();
        const QPoint markTitle(titles->sectionViewportPosition(0) + titles->sectionSize(0) / 2, titles->height() / 2);
        Pair p;
        for (int i = 0; i < reps; ++i) {
            form_.cdsDelivery->SetData(rows);
            Cli_ate02700::astCdCia = {QStringLiteral("0"), QString(), QString()};
            QCoreApplication::processEvents();
            p.target.push_back(TimeOnce([&] { QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, markTitle); }));
            form_.cdsDelivery->Last();
            Check(form_.fldDelivery.IDMARCADO->AsString() == QLatin1String("S"),
                  QStringLiteral("the pass marked nothing"));

            bare_.SetData(rows);
            p.baseline.push_back(TimeOnce([this] {
                bare_.DisableControls();
                bare_.First();
                while (!bare_.Eof()) {
                    bare_.Edit();
                    fields_.IDMARCADO->SetAsString(QStringLiteral("S"));
                    bare_.Post();
                    bare_.Next();
                }
                bare_.First();
                bare_.EnableControls();
            }));
        }
        Report(QStringLiteral("mark pass, %1 deliveries").arg(rows.rows.size()), p, 3.0);
    }

private:
    static void Report(const QString& name, const Pair& p, double target)
    {
        const double t = Median(p.target);
        const double b = Median(p.baseline);
        std::printf("%-34s target %9.2f ms   baseline %9.2f ms   ratio %5.2fx   (target %.1fx)\n", qPrintable(name), t,
                    b, t / b, target);
        std::fflush(stdout);
    }

    TfrmManuDelValor& form_;
    TNetConnection net_;
    TClientDataSet bare_;
    ate02700::DeliveryFields fields_;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 15;
    try {
        QTemporaryDir dir;
        Check(dir.isValid(), QStringLiteral("no temporary folder"));
        const QString file = dir.filePath(QStringLiteral("bench.db"));
        const QString url = QStringLiteral("sqlite:") + file;
        QProcess init;
        init.start(ServerExecutable(), {QStringLiteral("init"), QStringLiteral("--db"), url, QStringLiteral("--seed"),
                                        QStringLiteral("demo")});
        Check(init.waitForFinished(120'000) && init.exitCode() == 0, QStringLiteral("init failed"));
        AddDeliveries(file);
        const Server server(url);

        Larkumo::THostSettings settings;
        settings.serverHost = QStringLiteral("127.0.0.1");
        settings.serverPort = server.Port();
        settings.defaultBranch = QStringLiteral("0001");
        settings.operatorCode = QStringLiteral("BENCH");
        Larkumo::Configure(settings);
        dtmDBGeral().Open(url);
        QMainWindow window;
        auto* mdi = new QMdiArea(&window);
        window.setCentralWidget(mdi);
        window.resize(1000, 700);
        Application().Attach(&window, mdi);
        window.show();
        QApplication::setActiveWindow(&window);
        Check(QTest::qWaitForWindowActive(&window), QStringLiteral("no active window"));
        Initialize();
        IniProc();
        TfrmManuDelValor* form = Cli_ate02700::frmManuDelValor;
        Check(form != nullptr, QStringLiteral("no form"));
        QElapsedTimer waited;
        waited.start();
        while (!form->cdsParamComis->Active() && waited.elapsed() < 10'000) QTest::qWait(10);
        form->medCompanhia->SetText(QStringLiteral("VAS"));
        form->depPlanoVooIni->SetText(QStringLiteral("01/01/2027"));

        Bench bench(*form, server.Port());
        bench.Load(QStringLiteral("01/01/2027"), 1'000, reps);
        bench.Load(QStringLiteral("10/01/2027"), 10'000, reps);
        bench.Mark(reps);

        Application().DestroyForms();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Finalize();
        Application().Detach();
        dtmDBGeral().Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_delivery_selection: %s\n", e.what());
        return 1;
    }
    return 0;
}

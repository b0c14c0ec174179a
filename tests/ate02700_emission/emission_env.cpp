#include "tests/ate02700_emission/emission_env.h"

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/net/netconnection.h"
#include "framework/report/report_settings.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace emissiontest {

std::map<TestDatabase::Engine, std::unique_ptr<testsupport::DemoServer>> EmissionTest::demos_;

QString PdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << path.toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

void EmissionTest::SetUp()
{
    auto& demo = demos_[GetParam()];
    if (!demo) {
        auto made = std::make_unique<testsupport::DemoServer>(GetParam());
        if (!made->available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        demo = std::move(made);
    }
    demo_ = demo.get();
    dtmDBGeral().Close();
    dtmDBGeral().Open(demo_->database().url());
    out_ = std::make_unique<testsupport::TempDir>();
    UseShippedReport();

    Larkumo::Configure(ate02700test::HostSettings(Server()));
    ASSERT_TRUE(host_.Open());
    for (const char* method : {"GetDelivery", "GeraNovoFatur", "SetCancelDel", "GetLocalEmissDel"})
        callsBefore_[QString::fromLatin1(method)] = CallCount(Server(), QString::fromLatin1(method));
}

void EmissionTest::TearDown()
{
    if (!demo_) return;
    host_.Close();
    dtmDBGeral().Close();
}

void EmissionTest::TearDownTestSuite() { demos_.clear(); }

int EmissionTest::Calls(const QString& method, int expected) const
{
    const auto before = callsBefore_.find(method);
    const int base = before == callsBefore_.end() ? 0 : before->second;
    WaitUntil([&] { return CallCount(Server(), method) - base >= expected; }, 3000);
    return CallCount(Server(), method) - base;
}

TfrmManuDelValor& EmissionTest::OpenScreen()
{
    form_ = &ate02700test::OpenFirstActivation();
    return *form_;
}

void EmissionTest::LoadDeliveries(const QString& sgCia, int fromDay, int toDay)
{
    TfrmManuDelValor& f = Form();
    const int loadsBefore = CallCount(Server(), QStringLiteral("GetDelivery"));
    const auto type = [](QWidget* edit, const QString& text) { ate02700test::TypeOver(*edit, text); };
    type(f.medCompanhia, sgCia);
    QTest::keyClick(f.medCompanhia, Qt::Key_Tab);
    type(f.depPlanoVooIni, QStringLiteral("%1").arg(fromDay, 2, 10, QLatin1Char('0')) + QStringLiteral("112026"));
    QTest::keyClick(f.depPlanoVooIni, Qt::Key_Tab);
    type(f.depPlanoVooFin, QStringLiteral("%1").arg(toDay, 2, 10, QLatin1Char('0')) + QStringLiteral("112026"));
    // Leaving the panel for the list loads the deliveries.
    WidgetDriver::Focus(*f.dbgPadrao);
    ASSERT_TRUE(WaitUntil([&f] { return f.cdsDelivery->Active(); }, 2000))
        << dialogs_->Errors().join(u'|').toStdString() << " cia=" << f.medCompanhia->Text().toStdString()
        << " ini=" << f.depPlanoVooIni->EditText().toStdString()
        << " fin=" << f.depPlanoVooFin->EditText().toStdString() << " focus="
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    ASSERT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    // Counted from here on, the load itself once logged.
    WaitUntil([&] { return CallCount(Server(), QStringLiteral("GetDelivery")) > loadsBefore; }, 3000);
    callsBefore_[QStringLiteral("GetDelivery")] = CallCount(Server(), QStringLiteral("GetDelivery"));
}

void EmissionTest::ClickMark(int row)
{
    TDBGrid* grid = Form().dbgPadrao;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(row, 0).center());
    QCoreApplication::processEvents();
}

void EmissionTest::ClickRow(int row)
{
    TDBGrid* grid = Form().dbgPadrao;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(row, 1).center());
    QCoreApplication::processEvents();
}

void EmissionTest::ClickCancelButton()
{
    QTest::mouseClick(Form().btnCancelDel, Qt::LeftButton);
    QCoreApplication::processEvents();
}

void EmissionTest::PrintFromScreen(const std::function<void(TfrmRelManuDelValor&)>& inside)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        TfrmRelManuDelValor* dialog = Cli_ate02701::frmRelManuDelValor;
        if (dialog && WaitUntil([dialog] { return dialog->isVisible(); }, 5000)) {
            ran = true;
            inside(*dialog);
        }
        // A dialog the test left open is closed by its window frame, as the operator would.
        if (Cli_ate02701::frmRelManuDelValor && Cli_ate02701::frmRelManuDelValor->isVisible())
            Cli_ate02701::frmRelManuDelValor->close();
    });
    EXPECT_TRUE(Form().sbtImprimir->isEnabled());
    QTest::mouseClick(Form().sbtImprimir, Qt::LeftButton);
    EXPECT_TRUE(ran) << "the emission dialog was not shown";
    FlushDeletes();
}

void EmissionTest::TypePlace(TfrmRelManuDelValor& dialog, const QString& code)
{
    WidgetDriver::Focus(*dialog.medCdLocal);
    dialog.medCdLocal->selectAll();
    QTest::keyClick(dialog.medCdLocal, Qt::Key_Delete);
    QTest::keyClicks(dialog.medCdLocal, code);
    QTest::keyClick(dialog.medCdLocal, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

void EmissionTest::ClickPrint(TfrmRelManuDelValor& dialog)
{
    QTest::mouseClick(dialog.sbtPrint, Qt::LeftButton);
    QCoreApplication::processEvents();
}

QList<qint64> EmissionTest::ListedKeys() const
{
    QList<qint64> keys;
    TClientDataSet& cds = *Form().cdsDelivery;
    if (!cds.Active()) return keys;
    for (int row = 0; row < cds.ViewRowCount(); ++row)
        cds.ReadRow(row, [&] { keys.append(Form().fldDelivery.NRDELIVERY->AsInteger()); });
    return keys;
}

QString EmissionTest::ListedInvoice(qint64 key) const
{
    TClientDataSet& cds = *Form().cdsDelivery;
    QString invoice = QStringLiteral("<not listed>");
    for (int row = 0; row < cds.ViewRowCount(); ++row)
        cds.ReadRow(row, [&] {
            if (Form().fldDelivery.NRDELIVERY->AsInteger() == key)
                invoice = Form().fldDelivery.NRDELIVERYFA->AsString();
        });
    return invoice;
}

qint64 EmissionTest::CurrentKey() const { return Form().fldDelivery.NRDELIVERY->AsInteger(); }

DeliveryRow EmissionTest::Stored(qint64 key)
{
    testsupport::DirectConnection direct(Demo().database());
    DeliveryRow row;
    row.key = key;
    const QString where = QStringLiteral(" FROM DELIVERY WHERE NRDELIVERY = %1").arg(key);
    row.number = direct.scalar(QStringLiteral("SELECT NUMERO") + where).toString();
    row.invoice = direct.scalar(QStringLiteral("SELECT NRDELIVERYFA") + where).toString();
    row.place = direct.scalar(QStringLiteral("SELECT CDLOCALDELIV") + where).toString();
    return row;
}

qint64 EmissionTest::NextNumber(const QString& place)
{
    testsupport::DirectConnection direct(Demo().database());
    return direct
        .scalar(QStringLiteral("SELECT SUM(NRPROXIMO) FROM FAIXANUMFAT WHERE CDFILIAL = '0001' AND CDLOCALDELIV = '%1'")
                    .arg(place))
        .toLongLong();
}

int EmissionTest::RegisteredOperations(qint64 key, const QString& operation)
{
    testsupport::DirectConnection direct(Demo().database());
    return direct
        .scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE NRDELIVERY = %1 AND IDOPERACAO = '%2'")
                    .arg(key)
                    .arg(operation))
        .toInt();
}

void EmissionTest::UseShippedReport()
{
    TReportSettings reports;
    reports.reportsDir = QDir(qEnvironmentVariable("ATE_SOURCE_DIR")).filePath(QStringLiteral("reports"));
    reports.outputDir = out_->path();
    ConfigureReports(reports);
}

void EmissionTest::UseReportThatCannotPrint(qint64 key)
{
    QFile shipped(QDir(qEnvironmentVariable("ATE_SOURCE_DIR")).filePath(QStringLiteral("reports/ATE027.rpt")));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(shipped.readAll());
    const QString order = QStringLiteral("ORDER BY D.NRDELIVERY");
    ASSERT_EQ(text.count(order), 2);
    text.replace(order, QStringLiteral("AND D.NRDELIVERY <> %1\n").arg(key) + order);
    reports_ = std::make_unique<testsupport::TempDir>();
    QFile copy(reports_->filePath(QStringLiteral("ATE027.rpt")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(text.toUtf8());
    copy.close();
    TReportSettings reports;
    reports.reportsDir = reports_->path();
    reports.outputDir = out_->path();
    ConfigureReports(reports);
}

QString EmissionTest::OutputDir() const { return out_->path(); }

QStringList EmissionTest::Documents() const
{
    QStringList files = QDir(out_->path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    for (QString& file : files) file = QDir(out_->path()).filePath(file);
    return files;
}

}  // namespace emissiontest

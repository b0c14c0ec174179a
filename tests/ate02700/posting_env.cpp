#include "tests/ate02700/posting_env.h"

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "tests/support/gui/widget_driver.h"

#include "framework/data/field.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/units/consiste.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace ate02700test {

namespace {
std::unique_ptr<testsupport::DirectConnection>& Direct()
{
    static std::unique_ptr<testsupport::DirectConnection> connection;
    return connection;
}
}  // namespace

QString FirstCode(TfrmManuDelValor& form, QString* cdServico)
{
    QString code;
    form.cdsServicoDel->ReadRow(0, [&] {
        code = form.fldServicoDel.CDARVSERV->AsString();
        if (cdServico) *cdServico = form.fldServicoDel.CDSERVICO->AsString();
    });
    return code;
}

void PostingEnv::SetUp()
{
    if (Demo() == nullptr || !Demo()->available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    dtmDBGeral().Open(Demo()->database().url());
    Direct() = std::make_unique<testsupport::DirectConnection>(Demo()->database());
    // The installation's code picture keeps its dots, as the demo catalogue's codes have.
    Larkumo::THostSettings settings = HostSettings(Server());
    settings.serviceCodeMask = QStringLiteral("99.99.9999;1; ");
    Larkumo::Configure(settings);
    ASSERT_TRUE(host_.Open({1100, 700}));
}

void PostingEnv::TearDown()
{
    host_.Close();
    Direct().reset();
    dtmDBGeral().Close();
}

TfrmManuDelValor& PostingEnv::OpenScreen()
{
    TfrmManuDelValor& form = OpenFirstActivation();
    form.MdiWindow()->resize(1050, 560);
    return form;
}

qint64 PostingEnv::OpenDelivery(TfrmManuDelValor& form, const QString& sgCia, QDate from, QDate to,
                                const QString& flight, QDate day, const QString& numero)
{
    // The filter: the airline typed, the dates given, then the delivery list clicked, which
    // leaves the panel and loads the deliveries.
    TypeOver(*form.medCompanhia, sgCia);
    form.depPlanoVooIni->SetDate(from);
    form.depPlanoVooFin->SetDate(to);
    form.pgcPadrao->SetActivePage(form.tshFolhaDados);
    WidgetDriver::Focus(*form.dbgPadrao);
    if (!WaitUntil([&] { return form.cdsDelivery->Active() && !form.cdsDelivery->IsEmpty(); }))
        throw std::runtime_error("the deliveries were not loaded");

    int row = -1;
    for (int r = 0; r < form.cdsDelivery->ViewRowCount() && row < 0; ++r)
        form.cdsDelivery->ReadRow(r, [&] {
            const bool match = !numero.isEmpty() ? form.fldDelivery.NUMERO->AsString() == numero
                                                 : form.fldDelivery.NRVOO->AsString() == flight
                                                       && form.fldDelivery.DTHRPLAVOOPV->AsDateTime().date() == day;
            if (match) row = r;
        });
    if (row < 0) throw std::runtime_error("no such delivery in the demo");
    TDBGrid& list = *form.dbgPadrao;
    const int column = Consiste::IndiceCol(list, QStringLiteral("NUMERO"));
    list.scrollTo(list.model()->index(row, column));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.CellRect(row, column).center());
    QApplication::processEvents();
    if (form.cdsDelivery->RecNo() != row + 1) throw std::runtime_error("the click did not choose the delivery");

    // The services tab loads the delivery's services.
    form.pgcPadrao->SetActivePage(form.tshFormulario);
    WidgetDriver::Focus(*form.dbgServicoDel);
    return form.fldDelivery.NRDELIVERY->AsInteger();
}

void PostingEnv::Activate(TfrmManuDelValor& form)
{
    host_.Mdi().setActiveSubWindow(form.MdiWindow());
    EXPECT_TRUE(WaitUntil([&] { return host_.Mdi().activeSubWindow() == form.MdiWindow(); }));
    WidgetDriver::Focus(*form.dbgServicoDel);
}

void PostingEnv::ClickCell(TfrmManuDelValor& form, const QString& cdArvServ, const char* field)
{
    int row = -1;
    for (int r = 0; r < form.cdsServicoDel->ViewRowCount() && row < 0; ++r)
        form.cdsServicoDel->ReadRow(r, [&] {
            if (form.fldServicoDel.CDARVSERV->AsString() == cdArvServ) row = r;
        });
    ASSERT_GE(row, 0) << cdArvServ.toStdString();
    const int column = Consiste::IndiceCol(*form.dbgServicoDel, QString::fromLatin1(field));
    ASSERT_GE(column, 0) << field;
    TDBGrid& grid = *form.dbgServicoDel;
    grid.scrollTo(grid.model()->index(row, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, column).center());
    QApplication::processEvents();
}

void PostingEnv::Type(const QString& text)
{
    for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void PostingEnv::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QApplication::processEvents();
}

void PostingEnv::Retype(const QString& text)
{
    Key(Qt::Key_F2);
    Key(Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        Key(Qt::Key_Delete);
    else
        Type(text);
    Key(Qt::Key_Tab);
}

void PostingEnv::Click(QWidget& button)
{
    QTest::mouseClick(&button, Qt::LeftButton);
    QApplication::processEvents();
}

QString PostingEnv::SelectedField(TfrmManuDelValor& form) const
{
    const TField* field = form.dbgServicoDel->SelectedField();
    return field ? field->FieldName() : QString();
}

QVariant PostingEnv::Stored(qint64 delivery, const QString& cdServico, const char* column) const
{
    return Direct()->scalar(QStringLiteral("SELECT %1 FROM SERVDEL WHERE NRDELIVERY = %2 AND CDSERVICO = '%3'")
                                .arg(QString::fromLatin1(column))
                                .arg(delivery)
                                .arg(cdServico));
}

QVariant PostingEnv::StoredDelivery(qint64 delivery, const char* column) const
{
    return Direct()->scalar(
        QStringLiteral("SELECT %1 FROM DELIVERY WHERE NRDELIVERY = %2").arg(QString::fromLatin1(column)).arg(delivery));
}

double PostingEnv::SumOfLines(qint64 delivery) const
{
    return Direct()
        ->scalar(QStringLiteral("SELECT SUM(VRTOTSERVR) FROM SERVDEL WHERE NRDELIVERY = %1").arg(delivery))
        .toDouble();
}

int PostingEnv::LineCount(qint64 delivery) const
{
    return Direct()->scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL WHERE NRDELIVERY = %1").arg(delivery)).toInt();
}

void PostingEnv::Exec(const QString& statement) const { Direct()->exec(statement); }

int PostingEnv::Calls(const char* method) const { return CallCount(Server(), QString::fromLatin1(method)); }

}  // namespace ate02700test

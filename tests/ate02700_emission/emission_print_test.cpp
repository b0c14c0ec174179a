// Numbering and printing from the screen: the operator marks deliveries, presses the print
// button, gives the emission place in the dialog and prints. Checked on what the server
// stored, on the PDF files written and on the list shown afterwards.

#include "tests/ate02700_emission/emission_env.h"

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tmaskedit.h"
#include "framework/units/larkumo.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>

namespace emissiontest {
namespace {

const QString kLocalInf = QStringLiteral("Tipo de emissão deve ser informado.");
const QString kLocalCad = QStringLiteral("Tipo de emissão não cadastrado.");
const QString kNumeracao =
    QStringLiteral("Emissão cancelada. Não há numeração disponível no intervalo determinado para o local de emissão.");
const QString kDelivery = QStringLiteral("Delivery deve ser informado.");

class EmissionPrint : public EmissionTest {};

TEST_P(EmissionPrint, TwoMarkedOfFiveGetOneRequestAndOneDocumentEachWithTheStoredNumber)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 9, 13);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 5);
    for (const qint64 key : keys) ASSERT_TRUE(Stored(key).invoice.isEmpty());
    ClickMark(1);
    ClickMark(3);
    const qint64 next = NextNumber(QStringLiteral("0001"));

    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        EXPECT_FALSE(dialog.sbtPreview->isEnabled());
        TypePlace(dialog, QStringLiteral("1"));
        EXPECT_EQ(dialog.medCdLocal->Text(), QStringLiteral("0001")) << "fitted to four digits";
        EXPECT_EQ(dialog.edtDsLocal->Text(), QStringLiteral("Matriz Guarulhos"));
        ClickPrint(dialog);
    });

    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur"), 1), 1);
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery"), 1), 1) << "the list is read again after the dialog";
    EXPECT_TRUE(Cli_ate02701::frmRelManuDelValor.isNull()) << "the dialog closed";

    // The marked two were numbered in list order, the others not.
    const DeliveryRow first = Stored(keys[1]);
    const DeliveryRow second = Stored(keys[3]);
    EXPECT_EQ(first.invoice, QString::number(next));
    EXPECT_EQ(second.invoice, QString::number(next + 1));
    EXPECT_EQ(first.place, QStringLiteral("0001"));
    for (const int unmarked : {0, 2, 4}) EXPECT_TRUE(Stored(keys[unmarked]).invoice.isEmpty());
    EXPECT_EQ(NextNumber(QStringLiteral("0001")), next + 2);

    // Exactly two documents, each its own delivery with the number the server stored.
    const QStringList documents = Documents();
    ASSERT_EQ(documents.size(), 2) << documents.join(u' ').toStdString();
    for (const DeliveryRow& row : {first, second}) {
        const QString prefix = QStringLiteral("ATE027_0001_%1_").arg(row.key);
        const auto it = std::find_if(documents.begin(), documents.end(),
                                     [&](const QString& f) { return QFileInfo(f).fileName().startsWith(prefix); });
        ASSERT_NE(it, documents.end()) << prefix.toStdString();
        EXPECT_TRUE(QFileInfo(*it).fileName().contains(QStringLiteral("_NF%1_").arg(row.invoice)));
        const QString text = PdfText(*it);
        EXPECT_TRUE(text.contains(QStringLiteral("Delivery Nº %1").arg(row.number))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Nr\\. Faturamento:\\s+%1\\b").arg(row.invoice))))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("0001 - Matriz Guarulhos")));
    }

    // The list shows the server's numbers.
    ASSERT_EQ(ListedKeys(), keys);
    EXPECT_EQ(ListedInvoice(keys[1]), first.invoice);
    EXPECT_EQ(ListedInvoice(keys[3]), second.invoice);
    EXPECT_EQ(ListedInvoice(keys[0]), QString());
    EXPECT_FALSE(Form().cdsDelivery->Filtered());
}

TEST_P(EmissionPrint, NoneMarkedSendsTheRequestPrintsNothingAndCloses)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 16, 18);
    ASSERT_EQ(ListedKeys().size(), 3);
    ClickMark(0);
    EXPECT_TRUE(Form().sbtImprimir->isEnabled());
    ClickMark(0);
    EXPECT_FALSE(Form().sbtImprimir->isEnabled()) << "the button follows the current delivery's mark";
    // The list offers no way to the dialog without a mark; the dialog must hold all the same.
    Form().sbtImprimir->SetEnabled(true);
    const qint64 next = NextNumber(QStringLiteral("0001"));
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("0001"));
        ClickPrint(dialog);
    });
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur"), 1), 1);
    EXPECT_TRUE(Documents().isEmpty());
    EXPECT_TRUE(Cli_ate02701::frmRelManuDelValor.isNull());
    EXPECT_EQ(NextNumber(QStringLiteral("0001")), next);
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery"), 1), 1);
}

TEST_P(EmissionPrint, WithoutAListTheRequestIsSentThenDeliveryIsReported)
{
    OpenScreen();
    // No list, so no mark to enable the button: the dialog must hold all the same.
    Form().sbtImprimir->SetEnabled(true);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ClickPrint(dialog);
        EXPECT_EQ(dialogs_->Errors(), QStringList{kDelivery});
        // The request went out before the list was found missing.
        EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur"), 1), 1);
    });
    EXPECT_TRUE(Cli_ate02701::frmRelManuDelValor.isNull()) << "the dialog closed after the error";
    EXPECT_TRUE(Documents().isEmpty());
}

TEST_P(EmissionPrint, APlaceWithTooFewNumbersRefusesAllAndLeavesTheListWhole)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 23, 27);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 5);
    for (int row = 0; row < 4; ++row) ClickMark(row);  // four, and the counter has three left
    const qint64 next = NextNumber(QStringLiteral("0002"));
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("2"));
        EXPECT_EQ(dialog.edtDsLocal->Text(), QStringLiteral("Balcão Aeroporto"));
        ClickPrint(dialog);
        EXPECT_EQ(dialogs_->Errors(), QStringList{kNumeracao});
        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
        EXPECT_FALSE(Form().cdsDelivery->Filtered());
        EXPECT_EQ(Form().cdsDelivery->RecordCount(), 5) << "the list is not left filtered";
    });
    EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur"), 1), 1);
    for (const qint64 key : keys) EXPECT_TRUE(Stored(key).invoice.isEmpty()) << key;
    EXPECT_EQ(NextNumber(QStringLiteral("0002")), next);
    EXPECT_TRUE(Documents().isEmpty());
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery"), 1), 1) << "closing the dialog still reads the list";
}

TEST_P(EmissionPrint, ThePlaceIsFittedLookedUpAndRefusedWithTheFocusBackInIt)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 16, 16);
    ClickMark(0);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("7"));
        EXPECT_EQ(dialog.medCdLocal->Text(), QStringLiteral("0007"));
        EXPECT_EQ(dialogs_->Errors(), QStringList{kLocalCad});
        EXPECT_EQ(QApplication::focusWidget(), dialog.medCdLocal);
        EXPECT_TRUE(dialog.cdsLocalEmiss->IsEmpty());

        dialogs_->ClearShown();
        TypePlace(dialog, QString());
        EXPECT_EQ(dialogs_->Errors(), QStringList{kLocalInf});
        EXPECT_EQ(QApplication::focusWidget(), dialog.medCdLocal);

        // Printing validates the place first: nothing is requested.
        dialogs_->ClearShown();
        ClickPrint(dialog);
        EXPECT_EQ(dialogs_->Errors(), QStringList{kLocalInf});
        EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur")), 0);
        EXPECT_TRUE(dialog.isVisible());

        // The lookup lists every place of the branch and copies the chosen one.
        dialogs_->ClearShown();
        dialogs_->PickRowWhere(QStringLiteral("CDLOCALDELIV"), QStringLiteral("0002"));
        QTest::mouseClick(dialog.btpLocal, Qt::LeftButton);
        ASSERT_EQ(dialogs_->ShownOf(ShownBox::Kind::ChooseRow).size(), 1u);
        const ShownBox list = dialogs_->ShownOf(ShownBox::Kind::ChooseRow).front();
        EXPECT_EQ(list.caption, QStringLiteral("Local de Emissão"));
        EXPECT_EQ(list.rows.size(), 2);
        EXPECT_EQ(dialog.medCdLocal->Text(), QStringLiteral("0002"));
        EXPECT_EQ(dialog.edtDsLocal->Text(), QStringLiteral("Balcão Aeroporto"));
    });
    EXPECT_EQ(Calls(QStringLiteral("GeraNovoFatur")), 0);
    EXPECT_TRUE(Documents().isEmpty());
}

TEST_P(EmissionPrint, AMarkedDeliveryWithANumberIsPrintedAgainWithIt)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 19, 19);
    ASSERT_EQ(ListedKeys().size(), 1);
    const qint64 key = ListedKeys().front();
    ClickMark(0);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ClickPrint(dialog);
    });
    const QString given = Stored(key).invoice;
    ASSERT_FALSE(given.isEmpty());
    ASSERT_EQ(ListedInvoice(key), given);

    const qint64 next = NextNumber(QStringLiteral("0001"));
    ClickMark(0);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ClickPrint(dialog);
    });
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_EQ(Stored(key).invoice, given) << "a reprint keeps the number";
    EXPECT_EQ(NextNumber(QStringLiteral("0001")), next) << "no number is spent on a reprint";
    EXPECT_EQ(RegisteredOperations(key, QStringLiteral("E")), 1);
    const QStringList documents = Documents();
    ASSERT_EQ(documents.size(), 2);
    for (const QString& file : documents) {
        EXPECT_TRUE(QFileInfo(file).fileName().contains(QStringLiteral("_NF%1_").arg(given)));
        EXPECT_TRUE(PdfText(file).contains(given));
    }
}

TEST_P(EmissionPrint, AReportFailingMidWayKeepsWhatWasPrintedAndTheRestCanBePrintedAgain)
{
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 28, 30);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 3);
    UseReportThatCannotPrint(keys[1]);
    ClickMark(0);
    ClickMark(1);
    ClickMark(2);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ClickPrint(dialog);
    });
    ASSERT_EQ(dialogs_->Errors().size(), 1);
    EXPECT_TRUE(dialogs_->Errors().front().contains(QStringLiteral("não encontrou dados")))
        << dialogs_->Errors().front().toStdString();
    EXPECT_TRUE(Cli_ate02701::frmRelManuDelValor.isNull()) << "the dialog closed";
    ASSERT_EQ(Documents().size(), 1) << "the first delivery stays printed, the one after the failure is not tried";
    EXPECT_TRUE(QFileInfo(Documents().front()).fileName().startsWith(QStringLiteral("ATE027_0001_%1_").arg(keys[0])));
    EXPECT_EQ(Calls(QStringLiteral("GetDelivery"), 1), 1);
    EXPECT_FALSE(Form().cdsDelivery->ControlsDisabled());
    // Every marked delivery was numbered before printing began.
    const DeliveryRow failing = Stored(keys[1]);
    ASSERT_FALSE(failing.invoice.isEmpty());
    ASSERT_FALSE(Stored(keys[2]).invoice.isEmpty());
    EXPECT_EQ(ListedInvoice(keys[1]), failing.invoice);
    const qint64 next = NextNumber(QStringLiteral("0001"));

    // The operator marks the rest again and prints them with the numbers they have.
    UseShippedReport();
    dialogs_->ClearShown();
    ClickMark(1);
    ClickMark(2);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ClickPrint(dialog);
    });
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(u'|').toStdString();
    ASSERT_EQ(Documents().size(), 3);
    EXPECT_EQ(Stored(keys[1]).invoice, failing.invoice);
    EXPECT_EQ(NextNumber(QStringLiteral("0001")), next);
    const QString reprint = Documents().filter(QStringLiteral("ATE027_0001_%1_").arg(keys[1])).value(0);
    ASSERT_FALSE(reprint.isEmpty());
    EXPECT_TRUE(PdfText(reprint).contains(failing.invoice));
}

TEST_P(EmissionPrint, AServerThatGoesDownShowsOneErrorPerActionAndLeavesTheScreenUsable)
{
    // The screen's own server on the suite's database, so it can be stopped.
    testsupport::ServerProcess own(Demo().database().url());
    Larkumo::Configure(ate02700test::HostSettings(own));
    OpenScreen();
    LoadDeliveries(QStringLiteral("VAS"), 14, 15);
    const QList<qint64> keys = ListedKeys();
    ASSERT_EQ(keys.size(), 2);
    ClickMark(0);
    PrintFromScreen([&](TfrmRelManuDelValor& dialog) {
        TypePlace(dialog, QStringLiteral("1"));
        ASSERT_TRUE(dialogs_->Errors().isEmpty());
        own.kill();
        ClickPrint(dialog);
        EXPECT_EQ(dialogs_->Errors().size(), 1) << dialogs_->Errors().join(u'|').toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), dialog.medCdLocal);
        dialogs_->ClearShown();
    });
    // Closing the dialog reads the list again: that fails once, and the list stays as it was.
    EXPECT_EQ(dialogs_->Errors().size(), 1) << dialogs_->Errors().join(u'|').toStdString();
    EXPECT_EQ(ListedKeys(), keys);
    EXPECT_FALSE(Form().cdsDelivery->ControlsDisabled());
    EXPECT_TRUE(Documents().isEmpty());
    EXPECT_TRUE(Stored(keys[0]).invoice.isEmpty());
    // The list still answers the operator.
    ClickMark(1);
    EXPECT_TRUE(Form().sbtImprimir->isEnabled());
    EXPECT_EQ(CurrentKey(), keys[1]);
}

INSTANTIATE_TEST_SUITE_P(Engines, EmissionPrint,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
}  // namespace emissiontest

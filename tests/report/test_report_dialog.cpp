// The base report dialog on the offscreen platform, with the scripted dialogs service: the
// titles of the report code, printing once per call with the report's own parameters, saving
// a copy under a new title, the Arq_Rel_Err text, and the handlers a derived dialog extends.

#include "report_test_support.h"

#include "framework/forms/frm_dados_ger_rel.h"
#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_parser.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"
#include "framework/units/qrddlgs.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using namespace reporttest;

const QStringList kCatalogue = {
    QStringLiteral("Arq_Rel_Err|O arquivo contendo a definição do relatório de código '%s' não foi encontrado no "
                   "diretório '%s'."),
    QStringLiteral("NovoCaption|Título do relatório"),
    QStringLiteral("NovoPrompt|Informe o título do relatório:"),
};

// A dialog made as forms are made (the base frees it after closing), deleted at the end of
// the test when it is still there.
template <class Dialog> class Made {
public:
    Made() : dialog_(new Dialog) {}
    ~Made() { delete dialog_.data(); }
    Made(const Made&) = delete;
    Made& operator=(const Made&) = delete;
    Dialog* operator->() const { return dialog_.data(); }
    Dialog& operator*() const { return *dialog_; }
    bool Alive() const { return !dialog_.isNull(); }

private:
    QPointer<Dialog> dialog_;
};

class ReportDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = demoDatabase(TestDatabase::Engine::SQLite);
        connection_.Open(db_->url());
        testsupport::DirectConnection direct(*db_);
        const QVariantList numbers = direct.column(
            QStringLiteral("SELECT NRDELIVERY FROM DELIVERY D WHERE CDFILIAL = '0001' AND EXISTS "
                           "(SELECT 1 FROM SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY) ORDER BY NRDELIVERY LIMIT 2"));
        for (const QVariant& n : numbers) deliveries_.push_back(n.toLongLong());
        ASSERT_EQ(deliveries_.size(), 2u);

        const QString shipped = readFile(QDir(shippedReportsDir()).filePath(QStringLiteral("ATE027.rpt")));
        writeFile(reports(), QStringLiteral("ATE027.rpt"), shipped);
        QString copy = shipped;
        copy.replace(QStringLiteral("title = Guia Valorizado"), QStringLiteral("title = Cópia do operador"));
        writeFile(reports(), QStringLiteral("ATE027 - Cópia do operador.rpt"), copy);
        writeFile(reports(), QStringLiteral("ATE028.rpt"), shipped);  // another code
        settings_.reportsDir = reports();
        settings_.outputDir = out();
    }

    // Binds the dialog to the test's connection and folders and to a parameter handler that
    // counts its calls and prints the current delivery.
    void Prepare(TfrmDadosGerRel& dialog, const QString& code = QStringLiteral("ATE027"))
    {
        dialog.SetReportCode(code);
        dialog.rpddPadrao->SetConnection(&connection_);
        dialog.rpddPadrao->SetSettings(settings_);
        dialog.rpddPadrao->BeforeGetQueryParams = [this](TReportDesignerDialog&, TParams& params) {
            ++paramCalls_;
            if (Qrddlgs::ExistParam(params, QStringLiteral("P_CDFILIAL")))
                params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QStringLiteral("0001"));
            if (Qrddlgs::ExistParam(params, QStringLiteral("P_NRDELIVERY")))
                params.ParamByName(QStringLiteral("P_NRDELIVERY")).SetAsString(QStringLiteral("_%1_").arg(current_));
            printed_ << current_;
        };
    }

    static QStringList Titles(const TfrmDadosGerRel& dialog)
    {
        QStringList titles;
        for (int i = 0; i < dialog.cbbReportNames->count(); ++i) titles << dialog.cbbReportNames->itemText(i);
        return titles;
    }

    QString reports() const { return dir_.filePath(QStringLiteral("reports")); }
    QString out() const { return dir_.filePath(QStringLiteral("out")); }
    QStringList Pdfs() const { return QDir(out()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name); }

    TestDatabase* db_ = nullptr;
    TDtmDBGeral connection_;
    QTemporaryDir dir_;
    TReportSettings settings_;
    std::vector<qint64> deliveries_;
    qint64 current_ = 0;
    int paramCalls_ = 0;
    QList<qint64> printed_;
    ScopedDialogs dialogs_;
};

// A dialog that prints a list of deliveries with the base print, as the emission dialog does.
class ListDialog : public TfrmDadosGerRel {
public:
    std::vector<qint64> list;
    qint64* current = nullptr;
    int closes = 0;
    bool keepOpen = false;
    bool ownKeys = false;

protected:
    void sbtPrintClick(QObject& sender) override
    {
        for (qint64 nr : list) {
            *current = nr;
            TfrmDadosGerRel::sbtPrintClick(sender);
        }
    }
    void FormClose(QObject& sender, TCloseAction& action) override
    {
        ++closes;
        if (keepOpen) action = TCloseAction::None;
        TfrmDadosGerRel::FormClose(sender, action);
    }
    void FormKeyDown(QObject& sender, QKeyEvent& key) override
    {
        if (!ownKeys) TfrmDadosGerRel::FormKeyDown(sender, key);
    }
};

}  // namespace

TEST_F(ReportDialog, ListsTheTitlesOfItsCodeAndPrintsTheChosenOneOncePerClick)
{
    Made<TfrmDadosGerRel> made;
    TfrmDadosGerRel& dialog = *made;
    dialog.msgPadrao->SetEntries(kCatalogue);
    Prepare(dialog);
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));
    EXPECT_EQ(dialog.lblCodRel->text(), QStringLiteral("ATE027"));
    EXPECT_EQ(Titles(dialog), (QStringList{QStringLiteral("Guia Valorizado"), QStringLiteral("Cópia do operador")}));
    EXPECT_EQ(dialog.cbbReportNames->currentIndex(), 0);

    current_ = deliveries_[0];
    dialog.sbtPrint->click();
    EXPECT_EQ(paramCalls_, 1);
    EXPECT_EQ(Pdfs().size(), 1);
    current_ = deliveries_[1];
    dialog.sbtPrint->click();
    EXPECT_EQ(paramCalls_, 2);
    ASSERT_EQ(Pdfs().size(), 2);
    EXPECT_TRUE(Pdfs()[1].contains(QStringLiteral("_%1_").arg(deliveries_[1]))
                || Pdfs()[0].contains(QStringLiteral("_%1_").arg(deliveries_[1])));

    dialog.cbbReportNames->setCurrentIndex(1);
    EXPECT_EQ(dialog.ChosenReport()->title, QStringLiteral("Cópia do operador"));
    dialog.sbtPrint->click();
    EXPECT_EQ(paramCalls_, 3);
    EXPECT_EQ(Pdfs().size(), 3);
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReportDialog, AMissingDefinitionShowsArqRelErrWithTheCodeAndFolder)
{
    Made<TfrmDadosGerRel> made;
    TfrmDadosGerRel& dialog = *made;
    dialog.msgPadrao->SetEntries({QStringLiteral("Arq_Rel_Err|Relatório %s ausente em %s.")});
    Prepare(dialog, QStringLiteral("ATE099"));
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));
    EXPECT_EQ(dialog.cbbReportNames->count(), 0);
    dialog.sbtPrint->click();
    EXPECT_EQ(dialogs_->Errors(), QStringList{QStringLiteral("Relatório ATE099 ausente em %1.").arg(reports())});
    EXPECT_EQ(paramCalls_, 0);

    // Without the entry in the table, the framework's text is used.
    dialogs_->ClearShown();
    dialog.msgPadrao->SetEntries({});
    dialog.sbtPreview->click();
    EXPECT_EQ(dialogs_->Errors(),
              QStringList{QStringLiteral("O arquivo contendo a definição do relatório de código 'ATE099' não foi "
                                         "encontrado no diretório '%1'.")
                              .arg(reports())});
    EXPECT_TRUE(Pdfs().isEmpty());
}

TEST_F(ReportDialog, SaveAsksForATitleAndListsTheCopy)
{
    Made<TfrmDadosGerRel> made;
    TfrmDadosGerRel& dialog = *made;
    dialog.msgPadrao->SetEntries(kCatalogue);
    Prepare(dialog);
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));

    dialogs_->AnswerInput(QStringLiteral("Cópia da supervisão"));
    dialog.sbtSave->click();
    const std::vector<ShownBox> asked = dialogs_->ShownOf(ShownBox::Kind::InputQuery);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Título do relatório"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Informe o título do relatório:"));
    const QString saved = QDir(reports()).filePath(QStringLiteral("ATE027 - Cópia da supervisão.rpt"));
    ASSERT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(LoadReportDefinition(saved).title, QStringLiteral("Cópia da supervisão"));
    EXPECT_EQ(Titles(dialog), (QStringList{QStringLiteral("Guia Valorizado"), QStringLiteral("Cópia da supervisão"),
                                           QStringLiteral("Cópia do operador")}));
    EXPECT_EQ(dialog.cbbReportNames->currentText(), QStringLiteral("Cópia da supervisão"));
    current_ = deliveries_[0];
    dialog.sbtPrint->click();
    EXPECT_EQ(Pdfs().size(), 1);

    // Cancelled: nothing is written. A title already in use is refused.
    dialogs_->AnswerInput(std::nullopt);
    dialog.sbtSave->click();
    dialogs_->AnswerInput(QStringLiteral("cópia do operador"));
    dialog.sbtSave->click();
    EXPECT_EQ(dialogs_->Errors(),
              QStringList{QStringLiteral("Já existe um relatório com o título 'Cópia do operador'.")});
    EXPECT_EQ(QDir(reports()).entryList({QStringLiteral("ATE027*.rpt")}, QDir::Files).size(), 3);
}

TEST_F(ReportDialog, ADerivedDialogPrintsOncePerDeliveryWithTheBasePrint)
{
    Made<ListDialog> made;
    ListDialog& dialog = *made;
    dialog.current = &current_;
    dialog.list = deliveries_;
    Prepare(dialog);
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));
    dialog.sbtPrint->click();
    EXPECT_EQ(paramCalls_, 2);
    EXPECT_EQ(printed_, (QList<qint64>{deliveries_[0], deliveries_[1]}));
    const QStringList files = Pdfs();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(pdfText(QDir(out()).filePath(files[0])).contains(QStringLiteral("Página 1 de 1")));
}

TEST_F(ReportDialog, EscClosesThroughFormCloseUnlessTheDerivedDialogSaysOtherwise)
{
    Made<ListDialog> made;
    ListDialog& dialog = *made;
    dialog.current = &current_;
    Prepare(dialog);
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));
    dialog.keepOpen = true;
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_TRUE(dialog.isVisible()) << "FormClose kept it open";

    dialog.keepOpen = false;
    dialog.ownKeys = true;  // an empty FormKeyDown replaces the base's
    QTest::keyClick(dialog.cbbReportNames, Qt::Key_Escape);
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_TRUE(dialog.isVisible());

    dialog.ownKeys = false;
    QTest::keyClick(dialog.cbbReportNames, Qt::Key_Escape);
    EXPECT_EQ(dialog.closes, 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    // The base closes last and frees the dialog.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(made.Alive());
}

TEST_F(ReportDialog, PreviewShowsThePagesOnScreenAndWritesNothing)
{
    Made<TfrmDadosGerRel> made;
    TfrmDadosGerRel& dialog = *made;
    Prepare(dialog);
    ASSERT_TRUE(WidgetDriver::ShowActive(dialog));
    current_ = deliveries_[0];
    int pagesShown = -1;
    QString title;
    int tries = 0;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) return;
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        if (pages && pages->pageCount() == 0 && ++tries < 100) return;
        pagesShown = pages ? pages->pageCount() : -1;
        title = preview->windowTitle();
        preview->reject();
    });
    poll.start();
    dialog.sbtPreview->click();
    poll.stop();
    EXPECT_EQ(paramCalls_, 1);
    EXPECT_EQ(pagesShown, 1);
    EXPECT_EQ(title, QStringLiteral("ATE027 - Guia Valorizado"));
    EXPECT_TRUE(Pdfs().isEmpty());
    EXPECT_TRUE(dialogs_->Errors().isEmpty()) << dialogs_->Errors().join(QLatin1Char('\n')).toStdString();
}

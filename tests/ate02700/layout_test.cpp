// The designed layout of both forms: components, captions, masks, hints, grid columns,
// footer, menu items and bindings, checked against the screen's definition.

#include "framework/units/larkumo.h"
#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"
#include "modules/ate02700/main_form/check_glyphs.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/model/emission_messages.h"
#include "modules/ate02700/model/main_form_messages.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/db/adoibquery.h"
#include "framework/net/netconnection.h"
#include "framework/ui/colors.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tdbedit.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tdbtext.h"
#include "framework/ui/timage.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tnumberedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ColumnSpec {
    const char* field;
    int width;  // 0: the field's own display width
    const char* title;
};

void ExpectColumns(const TDBGrid& grid, const std::vector<ColumnSpec>& expected)
{
    ASSERT_EQ(grid.Columns().Count(), int(expected.size()));
    for (int i = 0; i < int(expected.size()); ++i) {
        const TColumn& column = grid.Columns()[i];
        const ColumnSpec& want = expected[std::size_t(i)];
        SCOPED_TRACE(want.field);
        EXPECT_EQ(column.FieldName(), QString::fromLatin1(want.field));
        EXPECT_TRUE(column.Visible());
        if (want.width > 0) {
            EXPECT_EQ(column.Width(), want.width);
        } else {
            EXPECT_FALSE(column.HasWidth());
            ASSERT_NE(column.Field(), nullptr);
        }
        EXPECT_EQ(column.Title().Caption(), QString::fromUtf8(want.title));
    }
}

// The index of a widget in the layout that holds it (left-to-right order in a row).
int PlaceIn(const QWidget& w) { return w.parentWidget()->layout()->indexOf(const_cast<QWidget*>(&w)); }

class MainFormLayout : public ::testing::Test {
protected:
    TfrmManuDelValor form;
};

TEST_F(MainFormLayout, FormToolbarAndNonVisualComponents)
{
    EXPECT_EQ(form.Caption(), QStringLiteral("Emissão de Guia Valorizado"));
    EXPECT_EQ(form.lblCodTela->Caption(), QStringLiteral("ATE02700"));
    EXPECT_EQ(form.FormSize(), QSize(718, 455));

    // Every component is found by its name, as the designed form names it.
    for (const char* name :
         {"panMenu",       "btnCancelDel",  "imgCheck",        "imgUncheck",      "panFiltro",          "lblFilial",
          "medCdFilial",   "btpFilial",     "edtNmFilial",     "lblCompanhia",    "medCompanhia",       "btpCia",
          "edtNmCia",      "lblPlanoVoo",   "depPlanoVooIni",  "depPlanoVooFin",  "pgcPadrao",          "tshFolhaDados",
          "tshFormulario", "dbgPadrao",     "dbgServicoDel",   "ndeTotalServico", "dbeVrPeTaxa",        "DBEdit2",
          "DBEdit1",       "DBEdit8",       "panNavigator",    "dbnPadrao",       "lblNmCia",           "dbtNome",
          "cdsDelivery",   "cdsServicoDel", "cdsPesqServico",  "cdsParamComis",   "cdsCalcPreco",       "qryFilial",
          "qryCompanhia",  "qryAgrDeDe",    "dtsDelivery",     "dtsPadrao",       "dtsPesqServico",     "dtsFilial",
          "dtsCompanhia",  "dtsAgrDeDe",    "netManuDelValor", "msgPadrao",       "msgMensagensPadroes"}) {
        EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    }

    EXPECT_TRUE(form.btnCancelDel->Flat());
    EXPECT_EQ(form.btnCancelDel->Hint(), QStringLiteral("Cancelar Delivery"));
    EXPECT_FALSE(form.btnCancelDel->isEnabled());
    EXPECT_FALSE(form.btnCancelDel->icon().isNull());
    EXPECT_EQ(form.btnCancelDel->parentWidget(), form.panMenu);
    for (TImage* image : {form.imgCheck, form.imgUncheck}) {
        EXPECT_EQ(image->parentWidget(), form.panMenu);
        EXPECT_TRUE(image->isHidden());
        EXPECT_EQ(image->Picture().size(), QSize(16, 16));
    }

    EXPECT_EQ(form.netManuDelValor->ServerName(), QStringLiteral("ATE02700.rdmManuDelValor"));
    EXPECT_FALSE(form.netManuDelValor->ThrowException());
    EXPECT_FALSE(form.netManuDelValor->Connected()) << "only FormCreate connects";
    ASSERT_TRUE(form.netManuDelValor->BeforeConnect);
    Larkumo::THostSettings settings;
    settings.serverHost = QStringLiteral("10.1.2.3");
    settings.serverPort = 4321;
    Larkumo::Configure(settings);
    form.netManuDelValor->BeforeConnect(*form.netManuDelValor);
    EXPECT_EQ(form.netManuDelValor->Host(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(form.netManuDelValor->Port(), 4321);

    EXPECT_EQ(form.msgPadrao->Entries(), ate02700::MainFormMsgPadraoEntries());
    EXPECT_EQ(form.msgPadrao->Count(), 43);
    EXPECT_EQ(form.msgMensagensPadroes->Entries(), ate02700::MainFormMsgMensagensPadroesEntries());
    EXPECT_EQ(form.msgMensagensPadroes->Msg(QStringLiteral("cancel_del")),
              QStringLiteral("Deseja cancelar o(s) delivery(s) selecionado(s) ?"));

    EXPECT_EQ(form.lblNmCia->parentWidget(), form.panNavigator);
    EXPECT_TRUE(form.lblNmCia->Bold());
    EXPECT_TRUE(form.dbtNome->isHidden());

    EXPECT_EQ(form.mnuFolhaDados->Caption(), QStringLiteral("&Delivery"));
    EXPECT_EQ(form.mnuFormulario->Caption(), QStringLiteral("&Serviços do Vôo"));
    EXPECT_EQ(form.mnuFolhaDados->Parent(), form.mnuOperacao);
    EXPECT_EQ(form.mnuFormulario->Parent(), form.mnuOperacao);
}

TEST_F(MainFormLayout, DataSetsQueriesAndDataSources)
{
    EXPECT_EQ(form.cdsDelivery->IndexName(), QStringLiteral("cdsDeliveryIndex1"));
    EXPECT_EQ(form.cdsDelivery->Filter(), QStringLiteral("IDMARCADO = 'S'"));
    EXPECT_FALSE(form.cdsDelivery->Filtered());
    EXPECT_TRUE(form.cdsErro.isNull()) << "made by FormCreate";

    EXPECT_EQ(form.qryFilial->SQL().join(QLatin1Char('\n')),
              QStringLiteral("SELECT\n   CDFILIAL,\n   NMFILIAL\nFROM\n   FILIAL\nORDER BY\n   CDFILIAL"));
    EXPECT_EQ(form.qryCompanhia->SQL().value(9), QStringLiteral("    CI.CDFILIAL = :P_CDFILIAL AND"));
    EXPECT_EQ(form.qryAgrDeDe->SQL_IB().value(1),
              QStringLiteral("FROM CLASSE CL, CLASSECIA CC,  PARAM(:SGCLASSE) SGCLASSE"));

    const std::vector<std::pair<TDataSource*, TClientDataSet*>> sources{
        {form.dtsDelivery, form.cdsDelivery},       {form.dtsPadrao, form.cdsServicoDel},
        {form.dtsPesqServico, form.cdsPesqServico}, {form.dtsFilial, form.qryFilial},
        {form.dtsCompanhia, form.qryCompanhia},     {form.dtsAgrDeDe, form.qryAgrDeDe}};
    for (const auto& [source, dataSet] : sources)
        EXPECT_EQ(source->DataSet(), dataSet) << source->objectName().toStdString();

    EXPECT_EQ(form.dbgPadrao->DataSource(), form.dtsDelivery);
    EXPECT_EQ(form.dbnPadrao->DataSource(), form.dtsDelivery);
    EXPECT_EQ(form.dbtNome->DataSource(), form.dtsDelivery);
    EXPECT_EQ(form.dbgServicoDel->DataSource(), form.dtsPadrao);
    EXPECT_EQ(form.btpFilial->DataSource(), form.dtsFilial);
    EXPECT_EQ(form.btpCia->DataSource(), form.dtsCompanhia);
}

TEST_F(MainFormLayout, FilterPanel)
{
    EXPECT_EQ(form.panFiltro->height(), 79);
    EXPECT_EQ(form.panFiltro->maximumHeight(), 79);
    for (auto [label, caption] : {std::pair{form.lblFilial, "Filial"}, std::pair{form.lblCompanhia, "Companhia"},
                                  std::pair{form.lblPlanoVoo, "Plano de Vôo"}}) {
        EXPECT_EQ(label->Caption(), QString::fromUtf8(caption));
        EXPECT_TRUE(label->Bold()) << caption;
        EXPECT_EQ(label->parentWidget(), form.panFiltro);
    }

    EXPECT_EQ(form.medCdFilial->EditMask(), QStringLiteral(">aaaa;0; "));
    EXPECT_EQ(form.medCdFilial->MaxLength(), 4);
    EXPECT_EQ(form.medCdFilial->Color(), Colors::InfoBk());
    form.medCdFilial->SetText(QStringLiteral("ab1"));
    EXPECT_EQ(form.medCdFilial->Text(), QStringLiteral("AB1")) << "forced to upper case, no literals";

    EXPECT_FALSE(form.medCompanhia->IsMasked());
    EXPECT_EQ(form.medCompanhia->CharCase(), TEditCharCase::UpperCase);
    EXPECT_EQ(form.medCompanhia->Color(), Colors::InfoBk());

    for (TEdit* name : {form.edtNmFilial, form.edtNmCia}) EXPECT_FALSE(name->isEnabled());

    EXPECT_EQ(form.btpFilial->Hint(), QStringLiteral("Pesquisar"));
    EXPECT_EQ(form.btpFilial->Associate(), form.medCdFilial);
    EXPECT_TRUE(form.btpFilial->Title().isEmpty());
    EXPECT_EQ(form.btpCia->Hint(), QStringLiteral("Pesquisar"));
    EXPECT_EQ(form.btpCia->Title(), QStringLiteral("Companhia"));
    EXPECT_EQ(form.btpCia->Associate(), form.medCompanhia);

    const QStringList weekDays{QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                               QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                               QStringLiteral("Sábado")};
    for (TDateEditPlus* date : {form.depPlanoVooIni, form.depPlanoVooFin}) {
        EXPECT_EQ(date->ValidDateColor(), QColor(Qt::blue));
        EXPECT_EQ(date->WeekDayNames(), weekDays);
        EXPECT_FALSE(date->SaveTime());
        EXPECT_EQ(date->Color(), Colors::InfoBk());
    }
    EXPECT_EQ(form.Label2->Caption(), QStringLiteral("Até"));

    // Tab order through the panel (disabled edits keep their place in the chain).
    const std::vector<QWidget*> order{form.medCdFilial, form.edtNmFilial,    form.medCompanhia,
                                      form.edtNmCia,    form.depPlanoVooIni, form.depPlanoVooFin};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }
}

TEST_F(MainFormLayout, DeliveryGrid)
{
    EXPECT_EQ(form.tshFolhaDados->Caption(), QStringLiteral("Delivery"));
    EXPECT_EQ(form.dbgPadrao->parentWidget(), form.tshFolhaDados);
    EXPECT_TRUE(form.dbgPadrao->ReadOnly());
    EXPECT_EQ(form.dbgPadrao->Options(),
              dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection | dgConfirmDelete);
    ExpectColumns(*form.dbgPadrao, {{"IDMARCADO", 17, "\u2714"},
                                    {"DTHRPLAVOOPV", 89, "Data do Vôo"},
                                    {"NUMERO", 93, "Nr. Delivery"},
                                    {"NMCIA", 226, "Companhia"},
                                    {"NRVOO", 48, "Vôo"},
                                    {"NRDELIVERYFA", 149, "Nr. Faturamento"}});
    const TColumnTitle& mark = form.dbgPadrao->Columns()[0].Title();
    EXPECT_EQ(mark.Alignment(), Qt::AlignHCenter);
    EXPECT_EQ(mark.Font().pixelSize(), 11);
    EXPECT_TRUE(QFontMetrics(mark.Font()).inFontUcs4(0x2714)) << "the check mark title can be drawn";

    // The columns are declared: a packet with its columns in another order changes nothing.
    std::vector<wire::FieldDef> defs;
    for (int i = form.cdsDelivery->FieldCount() - 1; i >= 0; --i) {
        const TField& f = form.cdsDelivery->Fields(i);
        defs.push_back({f.FieldName(), f.DataType(), f.Def().Size});
    }
    wire::DataPacket packet;
    packet.fields = defs;
    form.cdsDelivery->SetData(packet);
    EXPECT_EQ(form.dbgPadrao->Columns()[1].FieldName(), QStringLiteral("DTHRPLAVOOPV"));
    EXPECT_EQ(form.dbgPadrao->Columns()[5].FieldName(), QStringLiteral("NRDELIVERYFA"));
    EXPECT_EQ(form.dbgPadrao->Columns()[3].Field(), form.fldDelivery.NMCIA);
}

TEST_F(MainFormLayout, ServicesGridAndFooter)
{
    EXPECT_EQ(form.tshFormulario->Caption(), QStringLiteral("Serviços do Vôo"));
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshFormulario);
    EXPECT_FALSE(form.tshFormulario->isEnabled());
    EXPECT_EQ(form.dbgServicoDel->parentWidget(), form.tshFormulario);
    EXPECT_FALSE(form.dbgServicoDel->ReadOnly());
    EXPECT_EQ(form.dbgServicoDel->Options(), dgEditing | dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs
                                                 | dgAlwaysShowSelection | dgConfirmDelete);
    EXPECT_EQ(form.dbgServicoDel->Color(), Colors::InfoBk());
    EXPECT_EQ(form.dbgServicoDel->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(form.dbgServicoDel->TitleFont().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(form.dbgServicoDel->TitleFont().pixelSize(), 11);
    ExpectColumns(*form.dbgServicoDel, {{"CDARVSERV", 95, "Código"},
                                        {"DSSERVICO", 0, "Descrição"},
                                        {"SGUNIDADE", 35, "UN"},
                                        {"SGCLASSE", 50, "Classe"},
                                        {"IDCICLO", 40, "Ciclo"},
                                        {"QTATUAPRODSP", 0, "Qtde. Serviço"},
                                        {"QTSERFATSP", 74, "Qtde. Faturar"},
                                        {"QTSESBYUTSP", 85, "Qtde. St. By Util."},
                                        {"QTSESBYNUTSP", 0, "Qtde. St. By Não Util."},
                                        {"VRPRURESESP", 85, "Preço Unitário"},
                                        {"VRPRECMANUTSESP", 0, "Manutenção de Preço"},
                                        {"PRECOSBYUT", 90, "Preço St. By Util."},
                                        {"PRECOSBYNUT", 110, "Preço St. By Não Util."},
                                        {"VRTOTSERVR", 0, "Total do Serviço"}});

    // The footer under the grid, left to right.
    ASSERT_NE(form.panRodape, nullptr);
    EXPECT_EQ(form.panRodape->maximumHeight(), 29);
    EXPECT_GT(form.tshFormulario->layout()->indexOf(form.panRodape),
              form.tshFormulario->layout()->indexOf(form.dbgServicoDel));
    const std::vector<QWidget*> row{form.lblTotDescontos, form.ndeTotalServico, form.lblTxAeroporto,
                                    form.dbeVrPeTaxa,     form.DBEdit2,         form.lblTotServicos,
                                    form.DBEdit1,         form.lblTotGeral,     form.DBEdit8};
    for (std::size_t i = 0; i + 1 < row.size(); ++i)
        EXPECT_LT(PlaceIn(*row[i]), PlaceIn(*row[i + 1])) << row[i]->objectName().toStdString();
    for (auto [label, caption] :
         {std::pair{form.lblTotDescontos, "Tot. de Descontos"}, std::pair{form.lblTxAeroporto, "Tx. Aeroporto"},
          std::pair{form.lblTotServicos, "Tot. de Serviços"}, std::pair{form.lblTotGeral, "Tot. Geral"}}) {
        EXPECT_EQ(label->Caption(), QString::fromUtf8(caption));
        EXPECT_TRUE(label->font().bold()) << caption;
        EXPECT_EQ(label->font().family(), QStringLiteral("MS Sans Serif"));
    }

    EXPECT_EQ(form.ndeTotalServico->Decimals(), 2);
    EXPECT_FALSE(form.ndeTotalServico->ThousandSeparator());
    EXPECT_FALSE(form.ndeTotalServico->Currency());
    EXPECT_FALSE(form.ndeTotalServico->isEnabled());
    EXPECT_FALSE(form.ndeTotalServico->TabStop());
    form.ndeTotalServico->SetNumber(12345.678);
    EXPECT_EQ(form.ndeTotalServico->text(), QStringLiteral("12345.68"));

    for (auto [edit, field] : {std::pair{form.dbeVrPeTaxa, "VRPETXAERO"}, std::pair{form.DBEdit2, "VRTXAERO"},
                               std::pair{form.DBEdit1, "VRBACATX"}, std::pair{form.DBEdit8, "VRTOTDELIV"}}) {
        EXPECT_EQ(edit->DataSource(), form.dtsDelivery) << field;
        EXPECT_EQ(edit->DataField(), QString::fromLatin1(field));
        EXPECT_TRUE(edit->ReadOnly()) << field;
        EXPECT_EQ(edit->Color(), Colors::BtnFace()) << field;
    }
    EXPECT_FALSE(form.DBEdit2->isEnabled());
    EXPECT_TRUE(form.DBEdit8->font().bold());
    EXPECT_FALSE(form.DBEdit1->font().bold());
}

// Paints a glyph the way the grid does: olive pixels take the cell's colour.
QImage OnBackground(const QPixmap& glyph, const QColor& background)
{
    QImage image = glyph.toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) == ate02700::kCheckGlyphTransparent) image.setPixel(x, y, background.rgb());
    return image;
}

TEST(CheckGlyphs, WhiteBoxWithBlackTopLeftEdgeSilverShadowAndTickOnlyWhenChecked)
{
    TfrmManuDelValor form;
    const QImage check = form.imgCheck->Picture().toImage();
    const QImage uncheck = form.imgUncheck->Picture().toImage();
    const auto at = [](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); };

    for (const QImage* image : {&check, &uncheck}) {
        EXPECT_EQ(at(*image, 0, 0), ate02700::kCheckGlyphTransparent);
        EXPECT_EQ(at(*image, 15, 15), ate02700::kCheckGlyphTransparent);
        EXPECT_EQ(at(*image, 2, 8), QColor(Qt::black)) << "left edge";
        EXPECT_EQ(at(*image, 8, 2), QColor(Qt::black)) << "top edge";
        EXPECT_EQ(at(*image, 8, 14), QColor(192, 192, 192)) << "shadow below";
        EXPECT_EQ(at(*image, 14, 8), QColor(192, 192, 192)) << "shadow right";
        EXPECT_EQ(at(*image, 12, 12), QColor(Qt::white)) << "inside";
        // Only the 16-colour palette's colours.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor c = at(*image, x, y);
                EXPECT_TRUE(c == Qt::black || c == Qt::white || c == QColor(192, 192, 192)
                            || c == ate02700::kCheckGlyphTransparent);
            }
    }
    int tick = 0;
    for (int y = 3; y <= 13; ++y)
        for (int x = 3; x <= 13; ++x) {
            EXPECT_EQ(at(uncheck, x, y), QColor(Qt::white));
            tick += at(check, x, y) == Qt::black ? 1 : 0;
        }
    EXPECT_GE(tick, 15) << "the tick";

    // Drawn on a cell, the background takes the cell's colour and the box stays.
    const QImage onCell = OnBackground(form.imgCheck->Picture(), QColor(255, 255, 225));
    EXPECT_EQ(QColor(onCell.pixel(0, 0)), QColor(255, 255, 225));
    EXPECT_EQ(QColor(onCell.pixel(12, 12)), QColor(Qt::white));
}

TEST(EmissionDialogLayout, ComponentsAndBindings)
{
    TfrmRelManuDelValor dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Emissão de Delivery Valorizada"));
    EXPECT_EQ(dialog.lblCodTela->Caption(), QStringLiteral("ATE02701"));
    EXPECT_EQ(dialog.lblCodRel->Caption(), QStringLiteral("ATE027"));
    EXPECT_EQ(dialog.ReportCode(), QStringLiteral("ATE027"));
    EXPECT_EQ(dialog.cbbReportNames->width(), 351);
    EXPECT_EQ(dialog.Panel1->parentWidget(), dialog.grbDadosRel);
    QLayout* group = dialog.grbDadosRel->layout();
    EXPECT_GT(group->indexOf(dialog.Panel1), group->indexOf(dialog.cbbReportNames)) << "below the report choice";

    EXPECT_EQ(dialog.lblLocEmis->Caption(), QStringLiteral("Tipo Emissão"));
    EXPECT_TRUE(dialog.lblLocEmis->Bold());
    EXPECT_EQ(dialog.medCdLocal->EditMask(), QStringLiteral("9999;0; "));
    EXPECT_EQ(dialog.medCdLocal->MaxLength(), 4);
    EXPECT_EQ(dialog.medCdLocal->Color(), Colors::InfoBk());
    dialog.medCdLocal->SetText(QStringLiteral("12345"));
    EXPECT_EQ(dialog.medCdLocal->Text(), QStringLiteral("1234")) << "four digits at most";

    EXPECT_EQ(dialog.btpLocal->Hint(), QStringLiteral("Pesquisar"));
    EXPECT_EQ(dialog.btpLocal->Title(), QStringLiteral("Local de Emissão"));
    EXPECT_EQ(dialog.btpLocal->Associate(), dialog.medCdLocal);
    EXPECT_EQ(dialog.btpLocal->DataSource(), dialog.dtsLocalEmissao);
    EXPECT_EQ(dialog.btpLocal->EmptyError(), QStringLiteral("Não há tipo de emissão cadastrado."));
    EXPECT_FALSE(dialog.edtDsLocal->isEnabled());
    EXPECT_EQ(dialog.edtDsLocal->width(), 249);
    EXPECT_FALSE(dialog.sbtPreview->isEnabled());

    EXPECT_EQ(dialog.dtsLocalEmissao->DataSet(), dialog.cdsLocalEmiss);
    ASSERT_EQ(dialog.cdsLocalEmiss->FieldCount(), 2);
    EXPECT_EQ(dialog.cdsLocalEmiss->Fields(0).FieldName(), QStringLiteral("CDLOCALDELIV"));
    EXPECT_EQ(dialog.cdsLocalEmiss->Fields(1).DisplayLabel(), QStringLiteral("Descrição"));
    EXPECT_EQ(dialog.msgPadrao->Entries(), ate02700::EmissionMsgPadraoEntries());
    EXPECT_EQ(dialog.msgPadrao->Count(), 9);
    EXPECT_EQ(dialog.msgPadrao->Msg(QStringLiteral("Numeracao")),
              QStringLiteral("Emissão cancelada. Não há numeração disponível no intervalo determinado para o local "
                             "de emissão."));
    EXPECT_TRUE(dialog.msgMensagens->Entries().isEmpty());

    // The client area asked for; the toolkit may only make it taller to fit its controls.
    dialog.show();
    EXPECT_EQ(dialog.width(), 424);
    EXPECT_GE(dialog.height(), 105);
}

}  // namespace

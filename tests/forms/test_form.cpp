#include "tests/forms/test_form.h"

#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tspeedbutton.h"

namespace {

QString State(bool enabled) { return enabled ? QStringLiteral("on") : QStringLiteral("off"); }

}  // namespace

TfrmTeste::TfrmTeste(QStringList* trail) : trail_(trail)
{
    setObjectName(QStringLiteral("frmTeste"));
    SetCaption(QStringLiteral("Produtos"));
    lblCodTela->SetCaption(QStringLiteral("TST00001"));

    cdsProduto = new TClientDataSet(this);
    cdsProduto->setObjectName(QStringLiteral("cdsProduto"));
    cdsProduto->AddField({QStringLiteral("CODIGO"), TFieldType::String, 4, QStringLiteral("Código")});
    cdsProduto->AddField({QStringLiteral("NOME"), TFieldType::String, 20, QStringLiteral("Nome")});
    TFieldDef price{QStringLiteral("PRECO"), TFieldType::Float, 0, QStringLiteral("Preço")};
    price.DisplayFormat = QStringLiteral("#,##0.00");
    cdsProduto->AddField(price);
    dtsPadrao->SetDataSet(cdsProduto);

    dbeNome = new TDBEdit(tshFormulario);
    dbeNome->setObjectName(QStringLiteral("dbeNome"));
    dbeNome->SetDataSource(dtsPadrao);
    dbeNome->SetDataField(QStringLiteral("NOME"));
    dbePreco = new TDBEdit(tshFormulario);
    dbePreco->setObjectName(QStringLiteral("dbePreco"));
    dbePreco->SetDataSource(dtsPadrao);
    dbePreco->SetDataField(QStringLiteral("PRECO"));
    dbtNome = new TDBText(tshFormulario);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    dbtNome->SetDataSource(dtsPadrao);
    dbtNome->SetDataField(QStringLiteral("NOME"));
    tshFormulario->Layout().addWidget(dbeNome);
    tshFormulario->Layout().addWidget(dbePreco);
    tshFormulario->Layout().addWidget(dbtNome);
    tshFormulario->Layout().addStretch(1);
    SetFormSize(718, 455);
}

void TfrmTeste::Load(int count)
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("CODIGO"), wire::FieldType::String, 4},
                     {QStringLiteral("NOME"), wire::FieldType::String, 20},
                     {QStringLiteral("PRECO"), wire::FieldType::Float, 0}};
    for (int i = 1; i <= count; ++i) {
        packet.rows.push_back({wire::Value(QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0'))),
                               wire::Value(QStringLiteral("Produto %1").arg(i)), wire::Value(10.5 * i)});
    }
    cdsProduto->SetData(std::move(packet));
}

void TfrmTeste::Note(const QString& what)
{
    if (trail_) trail_->append(what);
}

void TfrmTeste::FormCreate(QObject& sender)
{
    TfrmPadrao::FormCreate(sender);
    Note(QStringLiteral("FormCreate gravar=%1").arg(State(sbtGravar->isEnabled())));
    if (OnFormCreate) OnFormCreate();
}

void TfrmTeste::FormActivate(QObject& sender)
{
    Note(QStringLiteral("FormActivate"));
    TfrmPadrao::FormActivate(sender);
}

void TfrmTeste::FormClose(QObject& sender, TCloseAction& action)
{
    Note(QStringLiteral("FormClose before base free=%1").arg(State(action == TCloseAction::Free)));
    TfrmPadrao::FormClose(sender, action);
    Note(QStringLiteral("FormClose after base free=%1").arg(State(action == TCloseAction::Free)));
    if (OnFormClose) OnFormClose(action);
}

void TfrmTeste::pgcPadraoChange(QObject& sender)
{
    TfrmPadrao::pgcPadraoChange(sender);
    Note(QStringLiteral("pgcPadraoChange %1 checked=%2")
             .arg(pgcPadrao->ActivePage()->objectName(),
                  State(pgcPadrao->ActivePage() == tshFormulario ? mnuFormulario->Checked()
                                                                 : mnuFolhaDados->Checked())));
}

void TfrmTeste::dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift)
{
    TfrmPadrao::dbgPadraoKeyDown(sender, key, shift);
    Note(QStringLiteral("dbgPadraoKeyDown key=%1").arg(key));
}

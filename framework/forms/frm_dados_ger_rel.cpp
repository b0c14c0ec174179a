#include "framework/forms/frm_dados_ger_rel.h"

#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_error.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/guard.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

TfrmDadosGerRel::TfrmDadosGerRel(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    setSizeGripEnabled(false);

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgMensagens = new TMessages(this);
    msgMensagens->setObjectName(QStringLiteral("msgMensagens"));
    rpddPadrao = new TReportDesignerDialog(this);
    rpddPadrao->setObjectName(QStringLiteral("rpddPadrao"));

    auto* root = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout();
    sbtPrint = new TSpeedButton(this);
    sbtPrint->setObjectName(QStringLiteral("sbtPrint"));
    sbtPrint->SetCaption(QStringLiteral("&Imprimir"));
    sbtPrint->SetHint(QStringLiteral("Imprimir o relatório"));
    sbtSave = new TSpeedButton(this);
    sbtSave->setObjectName(QStringLiteral("sbtSave"));
    sbtSave->SetCaption(QStringLiteral("&Salvar como..."));
    sbtSave->SetHint(QStringLiteral("Salvar uma cópia do relatório com outro título"));
    sbtPreview = new TSpeedButton(this);
    sbtPreview->setObjectName(QStringLiteral("sbtPreview"));
    sbtPreview->SetCaption(QStringLiteral("&Visualizar"));
    sbtPreview->SetHint(QStringLiteral("Visualizar o relatório na tela"));
    lblCodTela = new TLabel(this);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodRel = new TLabel(this);
    lblCodRel->setObjectName(QStringLiteral("lblCodRel"));
    lblCodRel->SetBold(true);
    bar->addWidget(sbtPrint);
    bar->addWidget(sbtSave);
    bar->addWidget(sbtPreview);
    bar->addStretch(1);
    bar->addWidget(lblCodRel);
    bar->addSpacing(12);
    bar->addWidget(lblCodTela);
    root->addLayout(bar);

    grbDadosRel = new QGroupBox(QStringLiteral("Relatório"), this);
    grbDadosRel->setObjectName(QStringLiteral("grbDadosRel"));
    auto* group = new QVBoxLayout(grbDadosRel);
    cbbReportNames = new QComboBox(grbDadosRel);
    cbbReportNames->setObjectName(QStringLiteral("cbbReportNames"));
    cbbReportNames->setMinimumWidth(351);
    group->addWidget(cbbReportNames);
    root->addWidget(grbDadosRel);

    sbtPrint->OnClick = [this](QObject& sender) { sbtPrintClick(sender); };
    sbtSave->OnClick = [this](QObject& sender) { sbtSaveClick(sender); };
    sbtPreview->OnClick = [this](QObject& sender) { sbtPreviewClick(sender); };
}

TfrmDadosGerRel::~TfrmDadosGerRel() = default;

QString TfrmDadosGerRel::ReportCode() const { return lblCodRel->Caption(); }

void TfrmDadosGerRel::SetReportCode(const QString& code) { lblCodRel->SetCaption(code); }

void TfrmDadosGerRel::SetScreenCode(const QString& code) { lblCodTela->SetCaption(code); }

std::optional<TReportEntry> TfrmDadosGerRel::ChosenReport() const
{
    const int index = cbbReportNames->currentIndex();
    if (index < 0 || std::size_t(index) >= reports_.size()) return std::nullopt;
    return reports_[std::size_t(index)];
}

QString TfrmDadosGerRel::Text(const QString& key) const
{
    if (msgPadrao->Contains(key)) return msgPadrao->Msg(key);
    if (key.compare(QLatin1String("Arq_Rel_Err"), Qt::CaseInsensitive) == 0) return EReportNotFound::DefaultText();
    if (key.compare(QLatin1String("NovoCaption"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Título do relatório");
    if (key.compare(QLatin1String("NovoPrompt"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Informe o título do relatório:");
    return key;
}

void TfrmDadosGerRel::ListReports(const QString& filePath)
{
    reports_ = ListReportDefinitions(rpddPadrao->Settings().reportsDir, ReportCode());
    const QSignalBlocker quiet(cbbReportNames);
    cbbReportNames->clear();
    int selected = reports_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < reports_.size(); ++i) {
        cbbReportNames->addItem(reports_[i].title);
        if (!filePath.isEmpty() && reports_[i].filePath == filePath) selected = int(i);
    }
    cbbReportNames->setCurrentIndex(selected);
}

TReportEntry TfrmDadosGerRel::ChosenOrFail()
{
    if (reports_.empty()) ListReports();
    if (const auto chosen = ChosenReport()) return *chosen;
    const QString folder = QDir::toNativeSeparators(QDir(rpddPadrao->Settings().reportsDir).absolutePath());
    throw EReportError(EReportNotFound::Format(Text(QStringLiteral("Arq_Rel_Err")), ReportCode(), folder));
}

void TfrmDadosGerRel::FormActivate(QObject& /*sender*/)
{
    ListReports();
    cbbReportNames->setFocus();
}

void TfrmDadosGerRel::FormClose(QObject& /*sender*/, TCloseAction& action)
{
    if (action == TCloseAction::None) return;
    // The list is read again on the next showing: definitions may change in between.
    reports_.clear();
    cbbReportNames->clear();
    action = TCloseAction::Free;
}

void TfrmDadosGerRel::FormKeyDown(QObject& /*sender*/, QKeyEvent& key)
{
    if (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier) {
        key.accept();
        reject();
    }
}

void TfrmDadosGerRel::Print() { sbtPrintClick(*sbtPrint); }

void TfrmDadosGerRel::sbtPrintClick(QObject& /*sender*/) { rpddPadrao->Print(ChosenOrFail(), this); }

void TfrmDadosGerRel::sbtPreviewClick(QObject& /*sender*/) { rpddPadrao->Preview(ChosenOrFail(), this); }

void TfrmDadosGerRel::sbtSaveClick(QObject& /*sender*/)
{
    const TReportEntry source = ChosenOrFail();
    const std::optional<QString> title =
        Dialogs().InputQuery(Text(QStringLiteral("NovoCaption")), Text(QStringLiteral("NovoPrompt")), source.title);
    if (!title) return;
    const TReportEntry copy = SaveReportCopy(source, *title);
    ListReports(copy.filePath);
}

void TfrmDadosGerRel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guard::Run([this] { FormActivate(*this); });
}

void TfrmDadosGerRel::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    Guard::Run([this, event] { FormKeyDown(*this, *event); });
    // Keys the handler left go to the window as to any widget: not to QDialog's own Esc and
    // Enter handling, which a derived dialog that replaces FormKeyDown must be able to drop.
    if (!event->isAccepted()) QWidget::keyPressEvent(event);
}

void TfrmDadosGerRel::done(int result)
{
    if (closing_) return;
    TCloseAction action = TCloseAction::Hide;
    bool completed = false;
    {
        closing_ = true;
        completed = Guard::Run([this, &action] { FormClose(*this, action); });
        closing_ = false;
    }
    if (!completed || action == TCloseAction::None) return;
    QDialog::done(result);
    if (action == TCloseAction::Free) deleteLater();
}

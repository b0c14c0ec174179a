#include "framework/ui/tbtnpesquisa.h"

#include "framework/core/exceptions.h"
#include "framework/data/datasource.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/guard.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

QPixmap MagnifierGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(200, 225, 250));
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.setPen(QPen(QColor(40, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    return pixmap;
}

}  // namespace

TBtnPesquisa::TBtnPesquisa(QWidget* parent) : TSpeedButton(parent)
{
    SetGlyph(MagnifierGlyph());
    setFixedSize(22, 22);
}

TBtnPesquisa::~TBtnPesquisa()
{
    if (associate_) associate_->removeEventFilter(this);
}

void TBtnPesquisa::SetAssociate(QWidget* edit)
{
    if (associate_) associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_) associate_->installEventFilter(this);
}

void TBtnPesquisa::DoClick() { Execute(); }

bool TBtnPesquisa::Execute()
{
    bool go = true;
    if (OnBeforePesq) OnBeforePesq(*this, go);
    if (!go) return false;
    if (!source_ || !source_->DataSet())
        throw Exception(QStringLiteral("O botão de pesquisa \"%1\" não tem lista associada.").arg(objectName()));
    TClientDataSet& dataSet = *source_->DataSet();
    if (!dataSet.Active()) dataSet.Open();
    if (dataSet.IsEmpty() && !emptyError_.isEmpty()) {
        Dialogs().MessageDlg(emptyError_, TMsgDlgType::Information, mbOK, 0);
        return false;
    }
    TChooseRowOptions options;
    options.AllowSort = false;
    options.IncrementalSearch = true;
    const bool picked = Dialogs().ChooseRow(*source_, title_, options);
    if (picked && OnAfterPesq) OnAfterPesq(*this);
    if (picked && associate_ && associate_->isEnabled() && associate_->isVisible())
        associate_->setFocus(Qt::OtherFocusReason);
    return picked;
}

bool TBtnPesquisa::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == associate_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && isEnabled()) {
        Guard::Run([this] { DoClick(); });
        return true;
    }
    return TSpeedButton::eventFilter(watched, event);
}

#include "framework/ui/tdbnavigator.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/guard.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace {

// A navigator glyph: a triangle pointing left or right, with a bar for first and last.
QIcon NavigatorGlyph(TNavigateBtn button, const QColor& colour)
{
    constexpr int kSize = 16;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const bool left = button == TNavigateBtn::nbFirst || button == TNavigateBtn::nbPrior;
    const bool bar = button == TNavigateBtn::nbFirst || button == TNavigateBtn::nbLast;
    QPainterPath triangle;
    if (left) {
        triangle.moveTo(11, 3);
        triangle.lineTo(11, 13);
        triangle.lineTo(5, 8);
    } else {
        triangle.moveTo(5, 3);
        triangle.lineTo(5, 13);
        triangle.lineTo(11, 8);
    }
    triangle.closeSubpath();
    painter.drawPath(triangle);
    if (bar) painter.drawRect(left ? QRectF(3, 3, 2, 10) : QRectF(11, 3, 2, 10));
    painter.end();
    QIcon icon(pixmap);
    QPixmap grey(kSize, kSize);
    grey.fill(Qt::transparent);
    {
        QPainter p(&grey);
        p.setOpacity(0.35);
        p.drawPixmap(0, 0, pixmap);
    }
    icon.addPixmap(grey, QIcon::Disabled);
    return icon;
}

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct {
        TNavigateBtn button;
        const char* name;
        QString hint;
    } kinds[] = {
        {TNavigateBtn::nbFirst, "nbFirst", QStringLiteral("Primeiro registro")},
        {TNavigateBtn::nbPrior, "nbPrior", QStringLiteral("Registro anterior")},
        {TNavigateBtn::nbNext, "nbNext", QStringLiteral("Próximo registro")},
        {TNavigateBtn::nbLast, "nbLast", QStringLiteral("Último registro")},
    };
    for (const auto& kind : kinds) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kind.name));
        button->setToolTip(kind.hint);
        button->setIcon(NavigatorGlyph(kind.button, palette().color(QPalette::ButtonText)));
        button->setFocusPolicy(Qt::NoFocus);  // clicking leaves the focus (and its checks) alone
        button->setAutoRaise(false);
        const TNavigateBtn which = kind.button;
        connect(button, &QToolButton::clicked, this, [this, which] { Guard::Run([this, which] { BtnClick(which); }); });
        layout->addWidget(button);
        buttons_[static_cast<std::size_t>(which)] = button;
    }
    ShowState();
}

TDBNavigator::~TDBNavigator()
{
    for (const auto& connection : connections_) disconnect(connection);
}

void TDBNavigator::SetDataSource(TDataSource* source)
{
    if (source == source_) return;
    for (const auto& connection : connections_) disconnect(connection);
    connections_.clear();
    source_ = source;
    Connect();
    ShowState();
}

void TDBNavigator::Connect()
{
    if (!source_) return;
    TDataSource* s = source_;
    const auto show = [this] { ShowState(); };
    connections_.push_back(connect(s, &TDataSource::activeChanged, this, show));
    connections_.push_back(connect(s, &TDataSource::stateChanged, this, show));
    connections_.push_back(connect(s, &TDataSource::dataSetChanged, this, show));
    connections_.push_back(connect(s, &TDataSource::dataSetAttached, this, show));
    connections_.push_back(connect(s, &TDataSource::cursorMoved, this, show));
    connections_.push_back(connect(s, &TDataSource::rowInserted, this, show));
    connections_.push_back(connect(s, &TDataSource::rowRemoved, this, show));
    connections_.push_back(connect(s, &QObject::destroyed, this, [this] {
        connections_.clear();
        source_.clear();
        ShowState();
    }));
}

QToolButton& TDBNavigator::Button(TNavigateBtn button) const { return *buttons_[static_cast<std::size_t>(button)]; }

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TClientDataSet* dataSet = source_ ? source_->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active()) return;
    switch (button) {
    case TNavigateBtn::nbFirst: dataSet->First(); break;
    case TNavigateBtn::nbPrior: dataSet->Prior(); break;
    case TNavigateBtn::nbNext: dataSet->Next(); break;
    case TNavigateBtn::nbLast: dataSet->Last(); break;
    }
    ShowState();  // Bof and Eof may change without a move
    if (OnClick) OnClick(*this, button);
}

void TDBNavigator::ShowState()
{
    const TClientDataSet* dataSet = source_ ? source_->DataSet() : nullptr;
    const bool active = dataSet && dataSet->Active() && dataSet->ViewRowCount() > 0;
    const bool atStart = !active || dataSet->Bof() || dataSet->RecNo() <= 1;
    const bool atEnd = !active || dataSet->Eof() || dataSet->RecNo() >= dataSet->ViewRowCount();
    Button(TNavigateBtn::nbFirst).setEnabled(!atStart);
    Button(TNavigateBtn::nbPrior).setEnabled(!atStart);
    Button(TNavigateBtn::nbNext).setEnabled(!atEnd);
    Button(TNavigateBtn::nbLast).setEnabled(!atEnd);
}

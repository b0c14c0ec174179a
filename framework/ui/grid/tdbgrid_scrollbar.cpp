#include "framework/ui/grid/tdbgrid_scrollbar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// Looks kept per bar: a long list scrolled by hand gives a new handle position per pixel,
// and a bar's drawing is some tens of kilobytes.
constexpr qsizetype kMaxDrawnLooks = 32;

}  // namespace

TDBGridScrollBar::TDBGridScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent), drawn_(kMaxDrawnLooks)
{}

void TDBGridScrollBar::changeEvent(QEvent* event)
{
    // A style deleted and another made in its place could be taken for the first one.
    if (event->type() == QEvent::StyleChange) drawn_.Clear();
    QScrollBar::changeEvent(event);
}

void TDBGridScrollBar::paintEvent(QPaintEvent* event)
{
    if (underMouse() || QGuiApplication::mouseButtons() != Qt::NoButton
        || style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this)) {
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    int ends = 0;
    if (option.sliderPosition <= option.minimum) ends |= 1;
    if (option.sliderPosition >= option.maximum) ends |= 2;
    if (option.minimum >= option.maximum) ends |= 4;
    if (option.upsideDown) ends |= 8;
    if (option.sliderValue <= option.minimum) ends |= 16;
    if (option.sliderValue >= option.maximum) ends |= 32;
    const Look look{size(),
                    devicePixelRatioF(),
                    static_cast<int>(option.state),
                    static_cast<int>(option.direction),
                    style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                    ends,
                    option.palette.cacheKey(),
                    style()};
    const QPixmap& drawing = drawn_.Get(look, Qt::transparent, [&](QPainter& onDrawing) {
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &onDrawing, this);
    });
    QPainter painter(this);
    painter.drawPixmap(0, 0, drawing);
}

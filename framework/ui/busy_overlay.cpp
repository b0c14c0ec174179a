#include "framework/ui/busy_overlay.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSpokes = 12;
constexpr int kFrameMs = 80;
// A wait shorter than this shows no veil: covering and uncovering the window repaints all of
// it twice, which costs more than a quick call itself and only makes the screen flicker.
constexpr int kGraceMs = 150;

}  // namespace

TBusyOverlay::TBusyOverlay(QWidget& target) : QWidget(&target)
{
    setObjectName(QStringLiteral("busyOverlay"));
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::WaitCursor);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(target.rect());
    target.installEventFilter(this);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++frame_;
        update();
    });
    grace_.setSingleShot(true);
    grace_.setInterval(kGraceMs);
    connect(&grace_, &QTimer::timeout, this, &TBusyOverlay::Appear);
}

void TBusyOverlay::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void TBusyOverlay::Start()
{
    setGeometry(parentWidget()->rect());
    if (isVisible() || grace_.isActive()) return;
    // Shown once the wait has lasted a moment: the event loop a blocking call runs while it
    // waits fires the timer.
    grace_.start();
}

void TBusyOverlay::Stop()
{
    grace_.stop();
    timer_.stop();
    hide();
}

void TBusyOverlay::Appear()
{
    setGeometry(parentWidget()->rect());
    show();
    raise();
    timer_.start();
    repaint();
}

bool TBusyOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::ChildAdded)
            raise();  // stays above controls created after it
    }
    return QWidget::eventFilter(watched, event);
}

void TBusyOverlay::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0, 0, 0, 40));

    const QFontMetrics fm(font());
    const int wheel = 36;
    const int textWidth = caption_.isEmpty() ? 0 : fm.horizontalAdvance(caption_);
    const int boxWidth = std::max(wheel + 32, textWidth + 40);
    const int boxHeight = wheel + 28 + (caption_.isEmpty() ? 0 : fm.height() + 8);
    const QRect box(rect().center().x() - boxWidth / 2, rect().center().y() - boxHeight / 2, boxWidth, boxHeight);
    QPainterPath frame;
    frame.addRoundedRect(box, 8, 8);
    p.fillPath(frame, palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Mid));
    p.drawPath(frame);

    const QPointF centre(box.center().x(), box.top() + 14 + wheel / 2.0);
    const QColor ink = palette().color(QPalette::Highlight);
    for (int i = 0; i < kSpokes; ++i) {
        QColor c = ink;
        c.setAlphaF(static_cast<float>((i + 1)) / kSpokes);
        p.save();
        p.translate(centre);
        p.rotate(360.0 * (i + frame_) / kSpokes);
        p.setPen(QPen(c, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -wheel / 4.0), QPointF(0, -wheel / 2.0));
        p.restore();
    }
    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(box.left(), box.top() + 18 + wheel, box.width(), fm.height() + 4), Qt::AlignCenter, caption_);
    }
}

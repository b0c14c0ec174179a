#include "framework/ui/grid/tcanvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <utility>

namespace {

// Keeps the painter's state changes of one canvas operation from leaking into the next.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : painter_(painter) { painter_.save(); }
    ~PainterState() { painter_.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& painter_;
};

// Bounds of the caches: past them the canvas starts again, so a list of many different texts
// costs at most what it cost without them.
constexpr qsizetype kLaidOutGeneration = 8192;
constexpr qsizetype kMaxRecoloured = 64;

}  // namespace

void TCanvas::Begin(QPainter* painter, const QFont& font, const QColor& fontColor, const QColor& brushColor)
{
    painter_ = painter;
    font_.Assign(font);
    font_.SetColor(fontColor);
    brush_.SetColor(brushColor);
}

void TCanvas::End() { painter_ = nullptr; }

void TCanvas::FillRect(const QRect& rect)
{
    if (!painter_) return;
    painter_->fillRect(rect, brush_.Color());
}

const QStaticText* TCanvas::LaidOut(const QString& text)
{
    if (!laidOutFont_ || *laidOutFont_ != font_.QtFont()) {
        laidOutFont_ = font_.QtFont();
        ascent_ = QFontMetrics(*laidOutFont_).ascent();
        layoutAscent_ = QFontMetricsF(*laidOutFont_).ascent();
        laidOut_.clear();
        laidOutBefore_.clear();
    }
    if (const auto found = laidOut_.constFind(text); found != laidOut_.constEnd()) return &*found;
    if (laidOut_.size() >= kLaidOutGeneration) laidOutBefore_ = std::exchange(laidOut_, {});
    if (const auto before = laidOutBefore_.constFind(text); before != laidOutBefore_.constEnd())
        return &*laidOut_.insert(text, *before);
    // First seen: remembered, and shaped as it is drawn.
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laidOut_.insert(text, laid);
    return nullptr;
}

void TCanvas::TextRect(const QRect& rect, int x, int y, const QString& text)
{
    if (!painter_) return;
    const PainterState state(*painter_);
    painter_->fillRect(rect, brush_.Color());
    if (text.isEmpty()) return;
    painter_->setClipRect(rect, Qt::IntersectClip);
    painter_->setFont(font_.QtFont());
    painter_->setPen(font_.Color());
    // Either way the baseline is at the whole-pixel ascent below y.
    if (const QStaticText* laid = LaidOut(text))
        painter_->drawStaticText(QPointF(x, y + ascent_ - layoutAscent_), *laid);
    else
        painter_->drawText(QPoint(x, y + ascent_), text);
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    if (!painter_) return;
    const PainterState state(*painter_);
    painter_->setFont(font_.QtFont());
    painter_->setPen(font_.Color());
    const QFontMetrics metrics(font_.QtFont());
    painter_->drawText(QPoint(x, y + metrics.ascent()), text);
}

int TCanvas::TextWidth(const QString& text) const { return QFontMetrics(font_.QtFont()).horizontalAdvance(text); }

int TCanvas::TextHeight(const QString& text) const { return QFontMetrics(font_.QtFont()).boundingRect(text).height(); }

void TCanvas::DrawFocusRect(const QRect& rect)
{
    if (!painter_ || rect.isEmpty()) return;
    // Every other pixel of the border, as desktop focus rectangles are drawn.
    QPolygon dots;
    dots.reserve(2 * (rect.width() + rect.height()));
    const auto dot = [&](int x, int y) {
        if (((x - rect.left()) + (y - rect.top())) % 2 == 0) dots << QPoint(x, y);
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        dot(x, rect.top());
        if (rect.bottom() != rect.top()) dot(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        dot(rect.left(), y);
        if (rect.right() != rect.left()) dot(rect.right(), y);
    }
    const PainterState state(*painter_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    const QPaintEngine* engine = painter_->paintEngine();
    if (engine && engine->hasFeature(QPaintEngine::RasterOpModes)) {
        painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_->setPen(QPen(Qt::white, 0));
    } else {
        painter_->setPen(QPen(font_.Color(), 0));
    }
    painter_->drawPoints(dots);
}

void TCanvas::Draw(int x, int y, const QPixmap& pixmap)
{
    if (!painter_ || pixmap.isNull()) return;
    painter_->drawPixmap(x, y, pixmap);
}

void TCanvas::StretchDraw(const QRect& dest, const QPixmap& pixmap) { CopyRect(dest, pixmap, pixmap.rect()); }

void TCanvas::CopyRect(const QRect& dest, const QPixmap& pixmap, const QRect& source)
{
    if (!painter_ || pixmap.isNull() || dest.isEmpty()) return;
    const PainterState state(*painter_);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->drawPixmap(dest, pixmap, source);
}

void TCanvas::BrushCopy(const QRect& dest, const QPixmap& pixmap, const QRect& source, const QColor& transparent)
{
    if (!painter_ || pixmap.isNull() || dest.isEmpty()) return;
    const QRect part = source.intersected(pixmap.rect());
    if (part.isEmpty()) return;
    const QImage& image = Recoloured(pixmap, part, transparent, brush_.Color());
    const PainterState state(*painter_);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->drawImage(dest, image);
}

const QImage& TCanvas::Recoloured(const QPixmap& pixmap, const QRect& part, const QColor& transparent,
                                  const QColor& fill)
{
    // A grid draws the same check images on the same backgrounds row after row.
    const RecolouredKey key{pixmap.cacheKey(), part, transparent.rgb() & 0x00FFFFFFu, fill.rgba()};
    if (const auto found = recoloured_.constFind(key); found != recoloured_.constEnd()) return *found;
    if (recoloured_.size() >= kMaxRecoloured) recoloured_.clear();
    QImage image = pixmap.copy(part).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == key.transparent) line[x] = key.fill;
        }
    }
    return *recoloured_.insert(key, std::move(image));
}

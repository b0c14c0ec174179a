#pragma once
// TCanvas: the drawing surface handed to owner-draw handlers, in the style the forms expect
// (brush and font colours, FillRect, TextRect, focus rectangle, bitmap copies). It draws through
// the QPainter of the paint pass under way; outside a paint pass it has no painter and drawing
// calls do nothing, while brush and font settings are still kept.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QStaticText>
#include <QString>

#include <optional>

class QPainter;

class TBrush {
public:
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color) { color_ = color; }

private:
    QColor color_ = Qt::white;
};

class TCanvasFont {
public:
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color) { color_ = color; }
    bool Bold() const { return font_.bold(); }
    void SetBold(bool bold) { font_.setBold(bold); }
    bool Italic() const { return font_.italic(); }
    void SetItalic(bool italic) { font_.setItalic(italic); }
    QString Name() const { return font_.family(); }
    void SetName(const QString& family) { font_.setFamily(family); }
    // Height in pixels, as the forms declare fonts ("height -11" is 11 pixels).
    int Height() const { return font_.pixelSize(); }
    void SetHeight(int pixels) { font_.setPixelSize(pixels < 0 ? -pixels : pixels); }

    const QFont& QtFont() const { return font_; }
    void Assign(const QFont& font) { font_ = font; }

private:
    QFont font_;
    QColor color_ = Qt::black;
};

class TCanvas {
public:
    TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TCanvasFont& Font() { return font_; }
    const TCanvasFont& Font() const { return font_; }

    // Fills the rectangle with the brush colour.
    void FillRect(const QRect& rect);
    // Fills the rectangle with the brush colour and writes the text with its top-left corner at
    // (x, y), clipped to the rectangle.
    void TextRect(const QRect& rect, int x, int y, const QString& text);
    // Writes the text with its top-left corner at (x, y), without filling.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // A dotted rectangle just inside `rect`, drawn by inverting the pixels under it (drawing it
    // twice leaves the cell as it was).
    void DrawFocusRect(const QRect& rect);
    // The pixmap at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, const QPixmap& pixmap);
    // The whole pixmap scaled into `dest`.
    void StretchDraw(const QRect& dest, const QPixmap& pixmap);
    // The `source` part of the pixmap scaled into `dest`.
    void CopyRect(const QRect& dest, const QPixmap& pixmap, const QRect& source);
    // As CopyRect, but the pixels of `transparent` colour take the brush colour, so the image
    // sits on the cell's background.
    void BrushCopy(const QRect& dest, const QPixmap& pixmap, const QRect& source, const QColor& transparent);

    // The painter of the paint pass under way (nullptr outside one).
    QPainter* Painter() const { return painter_; }

    // Used by the control that owns the canvas around each owner-draw call.
    void Begin(QPainter* painter, const QFont& font, const QColor& fontColor, const QColor& brushColor);
    void End();

private:
    // The text laid out once for the font in use, from the second time it is drawn: a grid
    // draws the same texts in every paint, and shaping them again was most of the cost of a
    // cell. A text drawn once only (a page of new rows) is cheaper shaped than laid out.
    const QStaticText* LaidOut(const QString& text);
    // The source part of the pixmap with its transparent colour replaced by `fill`.
    const QImage& Recoloured(const QPixmap& pixmap, const QRect& part, const QColor& transparent, const QColor& fill);

    QPainter* painter_ = nullptr;
    TBrush brush_;
    TCanvasFont font_;

    std::optional<QFont> laidOutFont_;
    int ascent_ = 0;            // the font's ascent in whole pixels, where drawText puts the baseline
    qreal layoutAscent_ = 0.0;  // the ascent a layout of the font puts its baseline at
    // Two generations: texts drawn since the current one began, and in the one before. A text
    // not drawn for two generations is dropped, so the cache stays bounded.
    QHash<QString, QStaticText> laidOut_;
    QHash<QString, QStaticText> laidOutBefore_;

    struct RecolouredKey {
        qint64 pixmap;
        QRect part;
        QRgb transparent;
        QRgb fill;
        bool operator==(const RecolouredKey&) const = default;
    };
    friend size_t qHash(const RecolouredKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, key.pixmap, key.part.x(), key.part.y(), key.part.width(), key.part.height(),
                          key.transparent, key.fill);
    }
    QHash<RecolouredKey, QImage> recoloured_;
};

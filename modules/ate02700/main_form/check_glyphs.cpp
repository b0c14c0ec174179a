#include "modules/ate02700/main_form/check_glyphs.h"

#include <QImage>
#include <QPainter>

#include <array>

namespace ate02700 {

namespace {

// The box occupies columns and rows 2..13 of the glyph; its shadow the row and column 14.
constexpr int kBoxFirst = 2;
constexpr int kBoxLast = 13;
constexpr int kShadow = 14;

// The tick, 7 × 7, with its top-left corner at (4, 4): the classic check-box mark.
constexpr std::array<const char*, 7> kTick{
    "......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X....",
};
constexpr int kTickOrigin = 4;

}  // namespace

QPixmap CheckGlyph(bool checked)
{
    QImage image(kCheckGlyphSize, kCheckGlyphSize, QImage::Format_RGB32);
    image.fill(kCheckGlyphTransparent);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb silver = qRgb(192, 192, 192);
    for (int y = kBoxFirst; y <= kBoxLast; ++y)
        for (int x = kBoxFirst; x <= kBoxLast; ++x) image.setPixel(x, y, white);
    for (int i = kBoxFirst; i <= kBoxLast; ++i) {
        image.setPixel(i, kBoxFirst, black);  // top edge
        image.setPixel(kBoxFirst, i, black);  // left edge
    }
    for (int i = kBoxFirst + 1; i <= kShadow; ++i) {
        image.setPixel(i, kShadow, silver);  // shadow under the box
        image.setPixel(kShadow, i, silver);  // shadow at its right
    }
    if (checked) {
        for (int row = 0; row < int(kTick.size()); ++row)
            for (int col = 0; kTick[std::size_t(row)][col] != '\0'; ++col)
                if (kTick[std::size_t(row)][col] == 'X') image.setPixel(kTickOrigin + col, kTickOrigin + row, black);
    }
    return QPixmap::fromImage(image);
}

QPixmap CancelDeliveryGlyphStrip()
{
    // A sheet with a red cross over it; the disabled image is the same in greys.
    QImage enabled(kCheckGlyphSize, kCheckGlyphSize, QImage::Format_ARGB32_Premultiplied);
    enabled.fill(Qt::transparent);
    {
        QPainter p(&enabled);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(Qt::white);
        p.drawRect(2, 1, 10, 13);
        p.setPen(QColor(128, 128, 128));
        for (int y = 4; y <= 11; y += 2) p.drawLine(4, y, 10, y);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(200, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 7.5), QPointF(14, 14));
        p.drawLine(QPointF(14, 7.5), QPointF(7.5, 14));
    }
    QImage disabled = enabled.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            const QRgb px = disabled.pixel(x, y);
            const int grey = 128 + qGray(px) / 3;
            disabled.setPixel(x, y, qRgba(grey, grey, grey, qAlpha(px)));
        }
    }
    QImage strip(kCheckGlyphSize * 2, kCheckGlyphSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter p(&strip);
        p.drawImage(0, 0, enabled);
        p.drawImage(kCheckGlyphSize, 0, disabled);
    }
    return QPixmap::fromImage(strip);
}

}  // namespace ate02700

#pragma once
// The bitmaps the main form draws itself: the two 16 × 16 glyphs of the delivery list's mark
// column (imgCheck and imgUncheck) and the two-state glyph of the cancel-delivery button.
//
// The mark glyphs are 16-colour bitmaps: a white box with a black top and left edge and a
// silver shadow on an olive background, which the grid draws transparent (the olive pixels
// take the cell's brush colour); the checked one has a black tick in the box.

#include <QColor>
#include <QPixmap>

namespace ate02700 {

inline constexpr int kCheckGlyphSize = 16;
// The background colour of the mark glyphs, drawn transparent.
inline const QColor kCheckGlyphTransparent{128, 128, 0};

QPixmap CheckGlyph(bool checked);

// Enabled image then disabled image, side by side (a strip of two 16 × 16 images).
QPixmap CancelDeliveryGlyphStrip();

}  // namespace ate02700

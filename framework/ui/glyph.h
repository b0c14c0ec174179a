#pragma once
// Button glyphs as forms give them: one image, or a strip of images side by side of which
// the first is drawn when the button is enabled and the second when it is disabled.

#include <QIcon>
#include <QPixmap>

namespace Glyph {

// The icon of a glyph strip of `count` images (1 or 2).
QIcon FromStrip(const QPixmap& strip, int count);
// The icon of two separate images.
QIcon FromPair(const QPixmap& enabled, const QPixmap& disabled);

}  // namespace Glyph

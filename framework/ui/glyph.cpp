#include "framework/ui/glyph.h"

namespace Glyph {

QIcon FromStrip(const QPixmap& strip, int count)
{
    if (strip.isNull()) return {};
    if (count < 2) return QIcon(strip);
    const int width = strip.width() / count;
    return FromPair(strip.copy(0, 0, width, strip.height()), strip.copy(width, 0, width, strip.height()));
}

QIcon FromPair(const QPixmap& enabled, const QPixmap& disabled)
{
    QIcon icon;
    icon.addPixmap(enabled, QIcon::Normal);
    icon.addPixmap(enabled, QIcon::Active);
    icon.addPixmap(disabled, QIcon::Disabled);
    return icon;
}

}  // namespace Glyph

#pragma once
// Drawings of a grid part kept per look: a part drawn again with the same look is copied
// from its last drawing instead of going through the style again. Bounded: past the bound
// the cache starts again. A look carries the drawing's `size` (device independent pixels)
// and `pixelRatio`, besides whatever else decides how the part looks.

#include <QColor>
#include <QHash>
#include <QPainter>
#include <QPixmap>

template <typename Look> class TDrawingCache {
public:
    explicit TDrawingCache(qsizetype maxDrawings) : maxDrawings_(maxDrawings) {}

    // The drawing of look: the first time, draw paints it on a pixmap of the look's size
    // filled with background.
    template <typename Draw> const QPixmap& Get(const Look& look, const QColor& background, Draw&& draw)
    {
        auto found = drawn_.constFind(look);
        if (found != drawn_.constEnd()) return *found;
        if (drawn_.size() >= maxDrawings_) drawn_.clear();
        QPixmap drawing(look.size * look.pixelRatio);
        drawing.setDevicePixelRatio(look.pixelRatio);
        drawing.fill(background);
        {
            QPainter onDrawing(&drawing);
            draw(onDrawing);
        }
        return *drawn_.insert(look, drawing);
    }

    void Clear() { drawn_.clear(); }

private:
    qsizetype maxDrawings_;
    QHash<Look, QPixmap> drawn_;
};

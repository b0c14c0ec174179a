#pragma once
// The grid's scroll bars: drawn through the style once per look and copied after that.
//
// Reloading a list changes its row count, which shows or hides the vertical bar and resizes
// the horizontal one; a move on the services tab does that every few rows. The style draws a
// bar with long semi-transparent lines, and the raster engine hands every such line to its
// thread pool and waits for it: 0.6-1 ms a bar on a loaded two-core machine, against 0.05 ms
// for the copy. Bars under the mouse or held by it are drawn as Qt draws them, since their
// hover and pressed parts are not visible from outside QScrollBar.

#include "framework/ui/grid/drawing_cache.h"

#include <QRect>
#include <QScrollBar>
#include <QSize>

class QStyle;

class TDBGridScrollBar : public QScrollBar {
public:
    TDBGridScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Everything the style reads from the option of a bar nobody points at.
    struct Look {
        QSize size;
        qreal pixelRatio = 1.0;
        int state = 0;
        int direction = 0;
        QRect handle;
        int ends = 0;  // at the start, at the end, nothing to scroll, drawn upside down
        qint64 palette = 0;
        const QStyle* style = nullptr;
        bool operator==(const Look&) const = default;
    };
    friend size_t qHash(const Look& look, size_t seed = 0)
    {
        return qHashMulti(seed, look.size.width(), look.size.height(), look.state, look.handle.x(), look.handle.y(),
                          look.handle.width(), look.handle.height(), look.ends, look.palette);
    }

    TDrawingCache<Look> drawn_;
};

#pragma once
// Private parts of TDBGrid: the cell delegate, the title row and the row indicator, and the
// helpers its source files share.

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/drawing_cache.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

#include <utility>

class TDBGrid;

// Hands every data cell to the grid's drawing.
class TDBGridDelegate : public QStyledItemDelegate {
public:
    explicit TDBGridDelegate(TDBGrid& grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TDBGrid& grid_;
};

// The title row: each column's caption in its title font and alignment.
class TDBGridTitles : public QHeaderView {
public:
    explicit TDBGridTitles(TDBGrid& grid);
    QSize sizeHint() const override;
    // True while the operator holds the mouse on the titles (a resize by hand).
    bool Dragging() const { return dragging_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What a title looks like: a title drawn again with the same look is copied from its
    // last drawing. The titles are drawn again whenever the list is reloaded (a move of
    // the delivery cursor reloads the services), and drawing them through the style and the
    // text layout cost more than the rows under them.
    struct Look {
        QSize size;
        qreal pixelRatio = 1.0;
        QString caption;
        QString font;
        int alignment = 0;
        int state = 0;
        qint64 palette = 0;
        const QStyle* style = nullptr;
        bool operator==(const Look&) const = default;
    };
    friend size_t qHash(const Look& look, size_t seed = 0)
    {
        return qHashMulti(seed, look.size.width(), look.size.height(), look.caption, look.font, look.alignment,
                          look.state, look.palette);
    }
    void DrawTitle(QPainter* painter, const QRect& rect, int logicalIndex) const;

    TDBGrid& grid_;
    bool dragging_ = false;
    mutable TDrawingCache<Look> drawn_;
};

// The row indicator: an arrow on the current row, an I-beam while it is edited, a star while
// it is inserted.
class TDBGridIndicator : public QHeaderView {
public:
    explicit TDBGridIndicator(TDBGrid& grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    TDBGrid& grid_;
};

// Restores a flag on every way out.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

inline bool Editing(const TClientDataSet& dataSet)
{
    return dataSet.State() == TDataSetState::Edit || dataSet.State() == TDataSetState::Insert;
}

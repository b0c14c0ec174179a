#include "framework/ui/grid/tdbgrid_parts.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

constexpr int kIndicatorWidth = 12;
// Titles kept drawn per grid; past it the grid starts again.
constexpr qsizetype kMaxDrawnTitles = 256;

void DrawSectionBackground(const QHeaderView& header, QPainter* painter, const QRect& rect, int logicalIndex)
{
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.rect = rect;
    option.section = logicalIndex;
    option.orientation = header.orientation();
    option.position = QStyleOptionHeader::Middle;
    option.state |= QStyle::State_Raised;
    if (header.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    header.style()->drawControl(QStyle::CE_HeaderSection, &option, painter, &header);
}

}  // namespace

// ---- TDBGridDelegate

TDBGridDelegate::TDBGridDelegate(TDBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

void TDBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    grid_.PaintCell(painter, option.rect, index.row(), index.column());
}

// ---- TDBGridTitles

TDBGridTitles::TDBGridTitles(TDBGrid& grid) : QHeaderView(Qt::Horizontal, &grid), grid_(grid), drawn_(kMaxDrawnTitles)
{
    setSectionsClickable(true);
    setHighlightSections(false);
}

// The grid lays out by the titles' height alone, which their fonts decide. Qt's own hint
// measures the text of every title, and a reload of the list throws that measure away, so
// each move of a master cursor used to lay out all the titles' texts again.
QSize TDBGridTitles::sizeHint() const
{
    int height = QFontMetrics(grid_.TitleFont()).height();
    for (const auto& column : grid_.Columns()) height = std::max(height, QFontMetrics(column->Title().Font()).height());
    return {defaultSectionSize(), height + 4};
}

void TDBGridTitles::mousePressEvent(QMouseEvent* event)
{
    dragging_ = true;
    QHeaderView::mousePressEvent(event);
}

void TDBGridTitles::mouseReleaseEvent(QMouseEvent* event)
{
    QHeaderView::mouseReleaseEvent(event);
    dragging_ = false;
}

void TDBGridTitles::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid()) return;
    if (logicalIndex < 0 || logicalIndex >= grid_.Columns().Count()) {
        DrawSectionBackground(*this, painter, rect, logicalIndex);
        return;
    }
    const TColumn& column = grid_.Columns()[logicalIndex];
    // What the style reads from the header, besides its palette.
    int state = isEnabled() ? 1 : 0;
    if (isActiveWindow()) state |= 2;
    if (hasFocus()) state |= 4;
    if (testAttribute(Qt::WA_Hover) && underMouse()) state |= 8;
    if (layoutDirection() == Qt::RightToLeft) state |= 16;
    const Look look{rect.size(),
                    painter->device() ? painter->device()->devicePixelRatioF() : 1.0,
                    column.Title().Caption(),
                    column.Title().Font().key(),
                    static_cast<int>(column.Title().Alignment() & Qt::AlignHorizontal_Mask),
                    state,
                    palette().cacheKey(),
                    style()};
    const QFont font = painter->font();
    painter->drawPixmap(rect.topLeft(), drawn_.Get(look, palette().color(QPalette::Button), [&](QPainter& onDrawing) {
        onDrawing.setFont(font);
        DrawTitle(&onDrawing, QRect(QPoint(0, 0), look.size), logicalIndex);
    }));
}

void TDBGridTitles::DrawTitle(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    DrawSectionBackground(*this, painter, rect, logicalIndex);
    const TColumn& column = grid_.Columns()[logicalIndex];
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(column.Title().Font());
    painter->setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const Qt::Alignment horizontal = column.Title().Alignment() & Qt::AlignHorizontal_Mask;
    painter->drawText(rect.adjusted(2, 0, -2, 0), static_cast<int>(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine,
                      column.Title().Caption());
    painter->restore();
}

// ---- TDBGridIndicator

TDBGridIndicator::TDBGridIndicator(TDBGrid& grid) : QHeaderView(Qt::Vertical, &grid), grid_(grid)
{
    setSectionsClickable(true);
    setHighlightSections(false);
}

// Only the width counts, and it is fixed; Qt's own hint would measure the first and last
// hundred rows on every reload.
QSize TDBGridIndicator::sizeHint() const { return {kIndicatorWidth, defaultSectionSize()}; }

void TDBGridIndicator::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid()) return;
    DrawSectionBackground(*this, painter, rect, logicalIndex);
    const TClientDataSet* dataSet = grid_.DataSet();
    if (!dataSet || logicalIndex != grid_.CurrentRow()) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = palette().color(QPalette::ButtonText);
    painter->setPen(ink);
    painter->setBrush(ink);
    const QPoint c = rect.center();
    switch (dataSet->State()) {
    case TDataSetState::Insert: painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*")); break;
    case TDataSetState::Edit:
        painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    default: {
        const QPolygon arrow({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)});
        painter->drawPolygon(arrow);
        break;
    }
    }
    painter->restore();
}

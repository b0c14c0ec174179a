// TDBGrid: drawing the data cells.

#include "framework/ui/grid/tdbgrid.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/field.h"
#include "framework/ui/guard.h"

#include <QPainter>
#include <QTimer>

#include <utility>

void TDBGrid::paintEvent(QPaintEvent* event)
{
    // While the dataset's controls are disabled its rows may not match the model: draw
    // nothing now; enabling them again resets the model and repaints.
    const TClientDataSet* dataSet = DataSet();
    if (dataSet && dataSet->ControlsDisabled()) return;
    // The colour of the lines between cells, asked of the style once a paint.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    lineColor_ = QColor::fromRgba(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    QTableView::paintEvent(event);
}

// ---- drawing

void TDBGrid::PaintCell(QPainter* painter, const QRect& sectionRect, int viewRow, int column)
{
    const QRect rect = sectionRect.adjusted(0, 0, -ColLineWidth(), -RowLineWidth());
    const QColor background = Color();
    TClientDataSet* dataSet = DataSet();
    const bool hasRow = dataSet && dataSet->Active() && column >= 0 && column < columns_.Count() && viewRow >= 0
                        && viewRow < dataSet->ViewRowCount();
    painter->save();
    if (!hasRow) {
        painter->fillRect(rect, background);
    } else {
        TColumn& col = columns_[column];
        TField* field = col.Field();
        const int current = CurrentRow();
        TGridDrawState state;
        state.Focused = viewRow == current && column == selectedIndex_ && GridFocused();
        state.Selected =
            viewRow == current && column == selectedIndex_ && (state.Focused || (options_ & dgAlwaysShowSelection));
        const QPalette& colors = palette();
        const QColor text = colors.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
        const auto draw = [&] {
            try {
                canvas_.Begin(painter, font(), text, background);
                if (state.Selected) {
                    canvas_.Brush().SetColor(colors.color(QPalette::Highlight));
                    canvas_.Font().SetColor(colors.color(QPalette::HighlightedText));
                }
                if (defaultDrawing_) {
                    const QString value = field ? field->DisplayText() : QString();
                    const int width = canvas_.TextWidth(value);
                    const Qt::Alignment align = col.Alignment() & Qt::AlignHorizontal_Mask;
                    int x = rect.left() + 2;
                    if (align & Qt::AlignRight)
                        x = rect.right() - width - 2;
                    else if (align & Qt::AlignHCenter)
                        x = rect.left() + (rect.width() - width) / 2;
                    canvas_.TextRect(rect, x, rect.top() + 2, value);
                    if (state.Focused && !OnDrawColumnCell) canvas_.DrawFocusRect(rect);
                }
                if (OnDrawColumnCell && !drawHandlerFailed_) OnDrawColumnCell(*this, rect, column, col, state);
                canvas_.End();
            } catch (...) {
                canvas_.End();
                if (!drawHandlerFailed_) {
                    drawHandlerFailed_ = true;
                    drawFailure_ = std::current_exception();
                    QTimer::singleShot(0, this, [this] { ReportDrawFailure(); });
                }
            }
        };
        try {
            if (viewRow == current)
                draw();  // the current record, edit buffer included
            else
                dataSet->ReadRow(viewRow, draw);
        } catch (...) {
            painter->fillRect(rect, background);
        }
    }
    painter->restore();

    // Grid lines in the pixels the cell rectangle leaves out, one pixel wide: filled, which
    // draws the same pixels as a line at a fraction of its cost.
    if (ColLineWidth())
        painter->fillRect(QRect(sectionRect.right(), sectionRect.top(), 1, sectionRect.height()), lineColor_);
    if (RowLineWidth())
        painter->fillRect(QRect(sectionRect.left(), sectionRect.bottom(), sectionRect.width(), 1), lineColor_);
}

void TDBGrid::ReportDrawFailure()
{
    // Shown once; the handler is tried again after the data next changes.
    if (auto failure = std::exchange(drawFailure_, nullptr)) Guard::Report(failure);
}

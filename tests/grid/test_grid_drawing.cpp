// Drawing: owner drawing with the row being drawn, the canvas operations, default drawing of
// display texts and selection, and one repaint for a batch of changes.

#include "grid_fixture.h"

#include <QHeaderView>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>

using namespace gridtest;

namespace {

const QColor kOlive(128, 128, 0);
const QColor kInfo(255, 255, 225);

// A 16 x 16 check box in the style of the mark column: olive background, white box with a
// black edge and a black mark.
QPixmap CheckBox()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kOlive);
    QPainter p(&image);
    p.fillRect(2, 2, 12, 12, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(2, 2, 11, 11);
    p.fillRect(6, 6, 4, 4, Qt::black);
    return QPixmap::fromImage(image);
}

}  // namespace

TEST_F(GridTest, OwnerDrawingReadsTheRowBeingDrawn)
{
    ClickCell(3, 1);
    struct Call {
        QRect rect;
        int column;
        QString code;
        TGridDrawState state;
    };
    std::vector<Call> calls;
    grid->OnDrawColumnCell = [&](TDBGrid& sender, const QRect& rect, int dataCol, TColumn& column,
                                 TGridDrawState state) {
        EXPECT_EQ(&sender, grid);
        EXPECT_EQ(column.Index(), dataCol);
        calls.push_back({rect, dataCol, ds.FieldByName(u"CODE").AsString(), state});
    };
    (void)Shot();
    EXPECT_EQ(calls.size(), 5u * 4u);  // every visible cell once
    for (const Call& call : calls) {
        const int row = grid->rowAt(call.rect.center().y());
        EXPECT_EQ(call.code, Cell(row, "CODE"));
        EXPECT_EQ(call.rect, grid->CellRect(row, call.column));
        const bool current = row == 3 && call.column == 1;
        EXPECT_EQ(call.state.Selected, current);
        EXPECT_EQ(call.state.Focused, current);
        EXPECT_FALSE(call.state.Fixed);
    }
    // The dataset was only read: the cursor did not move.
    EXPECT_EQ(ds.RecNo(), 4);

    // The current row being edited is drawn from its edit buffer.
    calls.clear();
    grid->SetSelectedIndex(0);
    Type("zz");
    Key(Qt::Key_Return);
    (void)Shot();
    const auto edited =
        std::find_if(calls.begin(), calls.end(), [&](const Call& c) { return grid->rowAt(c.rect.center().y()) == 3; });
    ASSERT_NE(edited, calls.end());
    EXPECT_EQ(edited->code, "ZZ");
}

TEST_F(GridTest, TextsDrawnAgainLookAsTheyDidTheFirstTime)
{
    // The first paint shapes each text; later paints reuse its layout. Both must put every
    // pixel in the same place, for default drawing and for an owner-draw handler's TextRect,
    // also after the grid's font changes.
    const auto paints = [&] {
        const QImage first = Shot();
        const QImage second = Shot();
        const QImage third = Shot();
        EXPECT_EQ(first, second);
        EXPECT_EQ(second, third);
        return first;
    };
    const QImage defaultDrawn = paints();
    grid->OnDrawColumnCell = [](TDBGrid& sender, const QRect& rect, int, TColumn& column, TGridDrawState) {
        TCanvas& canvas = sender.Canvas();
        canvas.Font().SetColor(Qt::darkRed);
        canvas.TextRect(rect, rect.left() + 2, rect.top() + 2,
                        column.Field()->DisplayText() + QStringLiteral(" Ação-gjy"));
    };
    const QImage ownerDrawn = paints();
    EXPECT_NE(ownerDrawn, defaultDrawn);
    QFont larger = grid->font();
    larger.setPixelSize(17);
    grid->setFont(larger);
    const QImage largerDrawn = paints();
    EXPECT_NE(largerDrawn, ownerDrawn);
}

TEST_F(GridTest, TitlesShowTheirCurrentCaptionFontAndStateWhenDrawnAgain)
{
    // A title drawn again is copied from its last drawing while it looks the same; each
    // change must show, and going back must look exactly as before.
    QHeaderView* titles = grid->horizontalHeader();
    const auto shot = [&] {
        titles->viewport()->repaint();
        return titles->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage original = shot();
    EXPECT_EQ(shot(), original);

    TColumn& name = grid->Columns()[1];
    const QString caption = name.Title().Caption();
    name.Title().SetCaption(QStringLiteral("Descrição"));
    const QImage renamed = shot();
    EXPECT_NE(renamed, original);
    name.Title().SetCaption(caption);
    EXPECT_EQ(shot(), original);

    QFont bold = name.Title().Font();
    bold.setBold(true);
    name.Title().SetFont(bold);
    EXPECT_NE(shot(), original);
    bold.setBold(false);
    name.Title().SetFont(bold);
    EXPECT_EQ(shot(), original);

    name.Title().SetAlignment(Qt::AlignRight);
    EXPECT_NE(shot(), original);
    name.Title().SetAlignment(Qt::AlignLeft);
    EXPECT_EQ(shot(), original);

    grid->setEnabled(false);
    EXPECT_NE(shot(), original);
    grid->setEnabled(true);
    EXPECT_EQ(shot(), original);
}

TEST_F(GridTest, ScrollBarsLookAsQtDrawsThemInEveryPositionAndState)
{
    // The bars are copied from their last drawing while they look the same: every position
    // and state must still look exactly like a plain scroll bar in the same place.
    window->resize(220, 110);
    QApplication::processEvents();
    QScrollBar* rows = grid->verticalScrollBar();
    QScrollBar* columns = grid->horizontalScrollBar();
    ASSERT_TRUE(rows->isVisible());
    ASSERT_TRUE(columns->isVisible());
    ASSERT_GT(rows->maximum(), 1);

    const auto shot = [](QScrollBar* bar) { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const auto plainShot = [&](QScrollBar* bar) {
        // Beside the bar, so that both take the palette the grid gives its bars.
        QScrollBar plain(bar->orientation(), bar->parentWidget());
        plain.setGeometry(QRect(QPoint(0, 0), bar->size()));
        plain.setRange(bar->minimum(), bar->maximum());
        plain.setPageStep(bar->pageStep());
        plain.setSingleStep(bar->singleStep());
        plain.setValue(bar->value());
        plain.setEnabled(bar->isEnabled());
        plain.show();
        return shot(&plain);
    };

    const QImage top = shot(rows);
    EXPECT_EQ(top, plainShot(rows));
    EXPECT_EQ(shot(rows), top);
    Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(rows->value(), rows->maximum());
    const QImage bottom = shot(rows);
    EXPECT_NE(bottom, top);
    EXPECT_EQ(bottom, plainShot(rows));
    rows->setValue(1);
    EXPECT_EQ(shot(rows), plainShot(rows));
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(shot(rows), top);

    const QImage left = shot(columns);
    EXPECT_EQ(left, plainShot(columns));
    ASSERT_GT(columns->maximum(), 30);
    columns->setValue(columns->maximum() / 3);
    const QImage third = shot(columns);
    EXPECT_NE(third, left);
    EXPECT_EQ(third, plainShot(columns));
    columns->setValue(columns->maximum() * 2 / 3);
    EXPECT_NE(shot(columns), third);
    EXPECT_EQ(shot(columns), plainShot(columns));
    columns->setValue(columns->maximum());
    EXPECT_EQ(shot(columns), plainShot(columns));
    columns->setValue(0);

    grid->setEnabled(false);
    EXPECT_NE(shot(rows), top);
    EXPECT_EQ(shot(rows), plainShot(rows));
    EXPECT_EQ(shot(columns), plainShot(columns));
    grid->setEnabled(true);
    EXPECT_EQ(shot(rows), top);
    EXPECT_EQ(shot(columns), left);
}

TEST_F(GridTest, CanvasOperationsPaintTheCell)
{
    const QPixmap check = CheckBox();
    grid->OnDrawColumnCell = [&](TDBGrid& sender, const QRect& rect, int dataCol, TColumn&, TGridDrawState state) {
        TCanvas& canvas = sender.Canvas();
        canvas.Brush().SetColor(kInfo);
        canvas.FillRect(rect);
        if (state.Selected) {
            canvas.Brush().SetColor(Qt::darkBlue);
            canvas.FillRect(rect);
        }
        if (dataCol == 0) {
            // As wide as the image, as high as the cell, olive taking the brush colour.
            canvas.BrushCopy(QRect(rect.left() + 1, rect.top(), check.width(), rect.height()), check, check.rect(),
                             kOlive);
        } else if (dataCol == 1) {
            canvas.Font().SetColor(Qt::red);
            canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, QString(40, QLatin1Char('W')));
        }
        if (state.Focused) canvas.DrawFocusRect(rect);
    };
    ClickCell(2, 2);
    const QImage shot = Shot();

    // The check box of a row that is not selected: on the info colour, stretched to the cell.
    const QRect box = grid->CellRect(0, 0);
    const int x = box.left() + 1;
    EXPECT_EQ(QColor(shot.pixel(x + 0, box.top())), kInfo);  // olive corner
    EXPECT_EQ(QColor(shot.pixel(x + 0, box.bottom())), kInfo);
    EXPECT_EQ(QColor(shot.pixel(x + 2, box.center().y())), QColor(Qt::black));  // edge of the box
    EXPECT_EQ(QColor(shot.pixel(x + 4, box.top() + 3 * box.height() / 16 + 1)), QColor(Qt::white));
    EXPECT_EQ(QColor(shot.pixel(x + 16, box.center().y())), kInfo);  // right of the image
    EXPECT_EQ(QColor(shot.pixel(box.left(), box.center().y())), kInfo);

    // Red text clipped to its cell: the next cell keeps its own colour.
    const QRect text = grid->CellRect(0, 1);
    bool red = false;
    for (int px = text.left(); px <= text.right(); ++px) {
        const QColor c(shot.pixel(px, text.center().y()));
        red = red || (c.red() > 200 && c.green() < 80);
    }
    EXPECT_TRUE(red);
    const QRect next = grid->CellRect(0, 2);
    for (int px = next.left(); px <= next.left() + 10; ++px)
        EXPECT_EQ(QColor(shot.pixel(px, next.center().y())), kInfo);

    // The focused cell: selection fill with an inverted dotted border.
    const QRect focused = grid->CellRect(2, 2);
    const QColor fill(Qt::darkBlue);
    const QColor inverted(255 - fill.red(), 255 - fill.green(), 255 - fill.blue());
    EXPECT_EQ(QColor(shot.pixel(focused.topLeft())), inverted);
    EXPECT_EQ(QColor(shot.pixel(focused.left() + 1, focused.top())), fill);
    EXPECT_EQ(QColor(shot.pixel(focused.left() + 2, focused.top())), inverted);
    EXPECT_EQ(QColor(shot.pixel(focused.center())), fill);
}

TEST_F(GridTest, DefaultDrawingWritesTheDisplayTextWithSelectionColours)
{
    grid->SetColor(kInfo);
    ClickCell(0, 0);
    const QImage shot = Shot();

    // What a cell of QTY must look like: the formatted text, right-aligned, on the grid colour.
    const QRect rect = grid->CellRect(3, 2);
    QImage expected(rect.size(), QImage::Format_RGB32);
    expected.fill(kInfo);
    {
        QPainter p(&expected);
        p.setFont(grid->font());
        p.setPen(grid->palette().color(QPalette::Text));
        const QFontMetrics metrics(grid->font());
        const QString text = QStringLiteral("40.00");
        p.drawText(QPoint(rect.width() - 1 - metrics.horizontalAdvance(text) - 2, 2 + metrics.ascent()), text);
    }
    EXPECT_EQ(shot.copy(rect), expected);

    ds.Locate(u"CODE", T("DDDD"));
    ds.Edit();
    ds.FieldByName(u"QTY").SetAsFloat(1234.5);
    ds.Post();
    const QImage after = Shot();
    EXPECT_NE(after.copy(rect), expected);  // now "1,234.50"
    EXPECT_EQ(grid->model()->data(grid->model()->index(3, 2)).toString(), "1,234.50");

    // The current cell has the selection colours while the grid has the focus...
    ClickCell(1, 1);
    const QColor highlight = grid->palette().color(QPalette::Highlight);
    const QRect current = grid->CellRect(1, 1);
    EXPECT_EQ(QColor(Shot().pixel(current.right() - 1, current.center().y())), highlight);
    // ...and loses them with the focus unless the selection always shows.
    QWidget other(window.get());
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    ASSERT_FALSE(grid->hasFocus());
    EXPECT_EQ(QColor(Shot().pixel(current.right() - 1, current.center().y())), kInfo);
    grid->SetOptions(grid->Options() | dgAlwaysShowSelection);
    EXPECT_EQ(QColor(Shot().pixel(current.right() - 1, current.center().y())), highlight);
}

TEST_F(GridTest, ABatchWithControlsDisabledIsDrawnOnceAtTheEnd)
{
    int draws = 0;
    grid->OnDrawColumnCell = [&](TDBGrid&, const QRect&, int, TColumn&, TGridDrawState) { ++draws; };
    QApplication::processEvents();
    draws = 0;

    ds.DisableControls();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        ds.Edit();
        ds.FieldByName(u"NAME").SetAsString(QStringLiteral("batch"));
        ds.Post();
        grid->viewport()->repaint();  // even a forced paint draws no row meanwhile
    }
    ds.First();
    QApplication::processEvents();
    EXPECT_EQ(draws, 0);

    ds.EnableControls();
    QApplication::processEvents();
    EXPECT_EQ(draws, 5 * 4);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(grid->model()->data(grid->model()->index(4, 1)).toString(), "batch");
}

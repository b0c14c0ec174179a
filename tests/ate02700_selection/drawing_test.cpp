// How the delivery list draws and writes its values: state colours of invoiced rows, the
// selected cell, the check boxes of the mark column, the invoice number and the money
// texts in the operator's locale.

#include "tests/ate02700_selection/selection_env.h"

#include "modules/ate02700/main_form/check_glyphs.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/colors.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdbedit.h"

#include <QLocale>

namespace ate02700test {
namespace {

using Drawing = SelectionTest;

int CountPixels(const QImage& shot, const QRect& area, const QColor& colour)
{
    int count = 0;
    const QRect clipped = area.intersected(shot.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x) count += QColor(shot.pixel(x, y)) == colour ? 1 : 0;
    return count;
}

const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);

TEST_P(Drawing, InvoicedRowsTakeTheirStateColourAndMarksShowCheckBoxes)
{
    TfrmManuDelValor& form = OpenScreen();
    // 1 to 2 Nov: CAB invoiced (1001, 1010 and 1011 open, 1012 closed), then CRP's, not invoiced.
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("01/11/2026"), QStringLiteral("02/11/2026"));
    ASSERT_EQ(form.cdsDelivery->RecordCount(), 6);
    ASSERT_EQ(Cell(3, "IDSITDEL"), QStringLiteral("2"));
    ASSERT_FALSE(Cell(3, "NRDELIVERYFA").isEmpty());
    ASSERT_TRUE(Cell(4, "NRDELIVERYFA").isEmpty());
    ClickCell(4, 0);  // marks CRP's first delivery; its mark cell is the selected one
    ClickCell(5, 2);  // the selection moves to the last row's number
    const QImage shot = GridShot();
    TDBGrid& grid = *form.dbgPadrao;

    const QRect open = grid.CellRect(0, 2);
    const QRect closed = grid.CellRect(3, 2);
    const QRect plain = grid.CellRect(4, 2);
    EXPECT_GT(CountPixels(shot, open, kGreen), 5);
    EXPECT_EQ(CountPixels(shot, open, kMaroon), 0);
    EXPECT_GT(CountPixels(shot, closed, kMaroon), 5);
    EXPECT_EQ(CountPixels(shot, closed, kGreen), 0);
    EXPECT_EQ(CountPixels(shot, plain, kGreen) + CountPixels(shot, plain, kMaroon), 0);
    // Cells are on the info background, the selected one on the highlight with white text.
    EXPECT_EQ(QColor(shot.pixel(open.right() - 2, open.bottom() - 1)), Colors::InfoBk());
    const QRect selected = grid.CellRect(5, 2);
    const QColor highlight = grid.palette().color(QPalette::Highlight);
    EXPECT_EQ(QColor(shot.pixel(selected.right() - 2, selected.bottom() - 1)), highlight);
    EXPECT_GT(CountPixels(shot, selected, Qt::white), 5);

    // Mark column: boxes on the cell's background, a tick only in the marked row; the
    // glyph's olive background never shows.
    const QRect marked = grid.CellRect(4, 0);
    const QRect unmarked = grid.CellRect(1, 0);
    const QRect markColumn(marked.left(), 0, marked.width(), shot.height());
    EXPECT_EQ(CountPixels(shot, markColumn, ate02700::kCheckGlyphTransparent), 0);
    const QRect markedBox(marked.left() + 1, marked.top(), ate02700::kCheckGlyphSize, marked.height());
    const QRect unmarkedBox(unmarked.left() + 1, unmarked.top(), ate02700::kCheckGlyphSize, unmarked.height());
    EXPECT_GT(CountPixels(shot, markedBox, Qt::white), 20);
    EXPECT_GT(CountPixels(shot, unmarkedBox, Qt::white), 20);
    EXPECT_GT(CountPixels(shot, markedBox, Qt::black), CountPixels(shot, unmarkedBox, Qt::black) + 5);
    EXPECT_GT(CountPixels(shot, unmarkedBox, Colors::InfoBk()), 0) << "the olive corners take the background";
    // No "S"/"N" text is left under the boxes: both rows look the same but for the tick.
    EXPECT_EQ(CountPixels(shot, grid.CellRect(2, 0), Qt::black), CountPixels(shot, unmarkedBox, Qt::black));
}

TEST_P(Drawing, InvoiceNumbersAreFittedAndMoneyIsRoundedByTheDeliverysCurrency)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TfrmManuDelValor& form = OpenScreen();
    // LAA on 10 Nov: an international delivery and a national one.
    Query(QStringLiteral("0001"), QStringLiteral("LAA"), QStringLiteral("10/11/2026"), QStringLiteral("10/11/2026"));
    ASSERT_EQ(form.cdsDelivery->RecordCount(), 2);
    for (int row = 0; row < 2; ++row) {
        ClickCell(row, 3);
        const double total = form.fldDelivery.VRTOTDELIV->AsFloat();
        const bool dollars = form.fldDelivery.IDTIPNACDEL->AsString() == QLatin1String("2");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QString expected =
            dollars ? us.toString(std::round(total * 100) / 100, 'f', 2) : us.toString(std::round(total), 'f', 2);
        EXPECT_EQ(form.DBEdit8->text(), expected) << "row " << row;
        EXPECT_EQ(form.fldDelivery.VRBACATX->DisplayText(),
                  us.toString(dollars ? std::round(form.fldDelivery.VRBACATX->AsFloat() * 100) / 100
                                      : std::round(form.fldDelivery.VRBACATX->AsFloat()),
                              'f', 2));
    }
    EXPECT_NE(Cell(0, "IDTIPNACDEL"), Cell(1, "IDTIPNACDEL"));

    EnterPanel();
    Query(QStringLiteral("0001"), QStringLiteral("CAB"), QStringLiteral("01/11/2026"), QStringLiteral("01/11/2026"));
    ASSERT_GE(form.cdsDelivery->RecordCount(), 1);
    EXPECT_EQ(form.fldDelivery.NRDELIVERYFA->AsString(), QStringLiteral("5000"));
    EXPECT_EQ(form.fldDelivery.NRDELIVERYFA->DisplayText(), QStringLiteral("0005000"));
    QLocale::setDefault(previous);
}

INSTANTIATE_TEST_SUITE_P(SQLite, Drawing, ::testing::Values(Engine::SQLite));

}  // namespace
}  // namespace ate02700test

// The grid's current row is the dataset's cursor, both ways.

#include "grid_fixture.h"

#include <QScrollBar>

using namespace gridtest;

namespace {

int ViewRow(const TDBGrid& grid) { return grid.currentIndex().row(); }

}  // namespace

TEST_F(GridTest, ClicksAndArrowKeysMoveTheDataSetWithItsEvents)
{
    int scrolls = 0;
    ds.AfterScroll = [&](TClientDataSet&) { ++scrolls; };

    ClickCell(2, 1);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(scrolls, 1);

    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 4);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(scrolls, 4);

    Key(Qt::Key_Up);
    Key(Qt::Key_Up);  // already on the first row: nothing
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(scrolls, 5);

    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ds.RecNo(), 5);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(ds.RecNo(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(ds.RecNo(), 5);

    // Columns move without touching the dataset.
    const int before = scrolls;
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    Key(Qt::Key_Home);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(scrolls, before);
    EXPECT_EQ(ViewRow(*grid), 4);
}

TEST_F(GridTest, DataSetMovesMoveTheGrid)
{
    ASSERT_TRUE(ds.Locate(u"CODE", T("DDDD")));
    EXPECT_EQ(ViewRow(*grid), 3);
    EXPECT_EQ(grid->CurrentRow(), 3);

    ds.First();
    ds.Next();
    EXPECT_EQ(ViewRow(*grid), 1);

    // A reload puts the grid on the first row of the new rows.
    ds.Last();
    ds.SetData(FiveRows());
    EXPECT_EQ(ViewRow(*grid), 0);
    EXPECT_EQ(grid->model()->rowCount(), 5);

    // Moves made while controls are disabled show once they are enabled again.
    ds.DisableControls();
    ds.Last();
    ds.Prior();
    ds.EnableControls();
    EXPECT_EQ(ViewRow(*grid), 3);

    ds.EmptyDataSet();
    EXPECT_EQ(grid->CurrentRow(), -1);
    EXPECT_FALSE(grid->currentIndex().isValid());
}

TEST_F(GridTest, AMoveTheDataSetRefusesKeepsTheGridOnItsRow)
{
    ClickCell(1, 0);
    ds.BeforeScroll = [](TClientDataSet&) { Abort(); };
    ClickCell(3, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ViewRow(*grid), 1);
}

TEST_F(GridTest, TitleClickReportsTheColumnAndMovesNothing)
{
    ClickCell(2, 0);
    int clicked = -1;
    grid->OnTitleClick = [&](TColumn& column) { clicked = column.Index(); };
    int cellClicks = 0;
    grid->OnCellClick = [&](TColumn&) { ++cellClicks; };

    ClickTitle(2);
    EXPECT_EQ(clicked, 2);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ViewRow(*grid), 2);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(cellClicks, 0);
}

TEST_F(GridTest, CellClickReportsTheSelectedColumnAfterTheMove)
{
    QStringList seen;
    grid->OnCellClick = [&](TColumn& column) {
        seen << column.FieldName() + QLatin1Char('@') + ds.FieldByName(u"CODE").AsString();
    };
    ClickCell(3, 2);
    ClickCell(0, 1);
    EXPECT_EQ(seen, (QStringList{"QTY@DDDD", "NAME@AAAA"}));

    // A click whose move is refused is no click.
    ds.BeforeScroll = [](TClientDataSet&) { Abort(); };
    ClickCell(4, 1);
    EXPECT_EQ(seen.size(), 2);
}

TEST_F(GridTest, KeyDownSeesEveryKeyAndMaySwallowIt)
{
    QList<int> keys;
    Qt::KeyboardModifiers lastShift;
    grid->OnKeyDown = [&](TDBGrid& sender, int& key, Qt::KeyboardModifiers shift) {
        EXPECT_EQ(&sender, grid);
        if (key == Qt::Key_Shift || key == Qt::Key_Control) return;  // the modifiers are keys of their own
        keys << key;
        lastShift = shift;
        if (key == Qt::Key_Down && shift.testFlag(Qt::ShiftModifier)) key = 0;  // swallowed
    };
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(ds.RecNo(), 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 2);
    Key(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(keys, (QList<int>{Qt::Key_Down, Qt::Key_Down, 32}));
    EXPECT_TRUE(lastShift.testFlag(Qt::ControlModifier));

    // A handler may turn one key into another.
    grid->OnKeyDown = [](TDBGrid&, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Right) key = Qt::Key_Down;
    };
    Key(Qt::Key_Right);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 0);
}

TEST_F(GridTest, TenThousandRowsOpenAndScrollToTheEnd)
{
    std::vector<wire::Row> rows;
    rows.reserve(10000);
    for (int i = 0; i < 10000; ++i)
        rows.push_back(Row(QStringLiteral("R%1").arg(i % 1000, 3, 10, QLatin1Char('0')),
                           QStringLiteral("row %1").arg(i), i, i * 0.5));
    ds.SetData({Columns(), std::move(rows)});
    ASSERT_EQ(grid->model()->rowCount(), 10000);

    QSet<QString> drawn;
    grid->OnDrawColumnCell = [&](TDBGrid&, const QRect&, int dataCol, TColumn&, TGridDrawState) {
        if (dataCol == 1) drawn << ds.FieldByName(u"NAME").AsString();
    };
    (void)Shot();
    EXPECT_TRUE(drawn.contains("row 0"));
    EXPECT_LT(drawn.size(), 40);  // only the rows in sight

    drawn.clear();
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ds.RecNo(), 10000);
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
    EXPECT_TRUE(grid->viewport()->rect().intersects(grid->CellRect(9999, 1)));
    (void)Shot();
    EXPECT_TRUE(drawn.contains("row 9999"));
    EXPECT_FALSE(drawn.contains("row 0"));
    EXPECT_LT(drawn.size(), 40);

    Key(Qt::Key_PageUp);
    EXPECT_LT(ds.RecNo(), 10000);
    EXPECT_GT(ds.RecNo(), 9950);
}

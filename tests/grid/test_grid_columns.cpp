// Columns: the automatic ones, declared ones, hidden fields named by a column, and the field
// swap that keeps a column's place, width and title.

#include "grid_fixture.h"

using namespace gridtest;

namespace {

QStringList FieldNames(const TDBGrid& grid)
{
    QStringList names;
    for (const auto& column : grid.Columns()) names << column->FieldName();
    return names;
}

QString Shown(const TDBGrid& grid, int row, int column)
{
    return grid.model()->data(grid.model()->index(row, column)).toString();
}

}  // namespace

TEST_F(GridTest, WithoutDeclaredColumnsEveryVisibleFieldIsAColumn)
{
    EXPECT_EQ(grid->Columns().State(), TDBGridColumns::TColumnsState::Default);
    EXPECT_EQ(FieldNames(*grid), (QStringList{"CODE", "NAME", "QTY", "PRICE"}));
    EXPECT_EQ(grid->Columns()[0].Title().Caption(), "Código");
    EXPECT_EQ(grid->model()->columnCount(), 4);
    EXPECT_EQ(Shown(*grid, 1, 2), "20.00");

    // Showing a field remakes the automatic columns.
    ds.FieldByName(u"NOTE").SetVisible(true);
    EXPECT_EQ(FieldNames(*grid), (QStringList{"CODE", "NAME", "QTY", "PRICE", "NOTE"}));
    EXPECT_EQ(Shown(*grid, 2, 4), "n3");
}

TEST_F(GridTest, DeclaredColumnsShowTheirFieldsIncludingHiddenOnes)
{
    grid->Columns().Add("NOTE").SetWidth(40);
    grid->Columns().Add("qty");
    TColumn& name = grid->Columns().Add("NAME");
    name.Title().SetCaption("Nome do item");
    EXPECT_EQ(grid->Columns().State(), TDBGridColumns::TColumnsState::Customized);
    EXPECT_EQ(FieldNames(*grid), (QStringList{"NOTE", "qty", "NAME"}));
    EXPECT_EQ(grid->model()->columnCount(), 3);
    EXPECT_EQ(Shown(*grid, 0, 0), "n1");
    EXPECT_EQ(Shown(*grid, 0, 1), "10.00");
    EXPECT_EQ(grid->Columns()[0].Title().Caption(), "Obs");
    EXPECT_EQ(grid->Columns()[2].Title().Caption(), "Nome do item");
    EXPECT_EQ(grid->columnWidth(0), 40 + 1);  // the width plus the column line
    EXPECT_EQ(grid->Columns()[1].Field(), &ds.FieldByName(u"QTY"));

    // A column whose name is no field shows nothing and is not editable.
    grid->Columns().Add("MISSING");
    EXPECT_EQ(grid->Columns()[3].Field(), nullptr);
    grid->SetSelectedIndex(3);
    Type("x");
    EXPECT_EQ(ds.State(), TDataSetState::Browse);

    grid->Columns().Clear();
    EXPECT_EQ(FieldNames(*grid), (QStringList{"CODE", "NAME", "QTY", "PRICE"}));
}

TEST_F(GridTest, SwappingAColumnsFieldKeepsItsPlaceWidthAndTitle)
{
    grid->Columns().Add("CODE").SetWidth(50);
    grid->Columns().Add("QTY");  // default width and title
    grid->Columns().Add("NAME");
    TColumn& column = grid->Columns()[1];
    const int width = column.Width();
    const int shownWidth = grid->columnWidth(1);
    ClickCell(2, 1);

    column.SetFieldName("PRICE");
    EXPECT_EQ(column.Index(), 1);
    EXPECT_EQ(column.Width(), width);
    EXPECT_EQ(grid->columnWidth(1), shownWidth);
    EXPECT_EQ(column.Title().Caption(), "Quantidade");
    EXPECT_EQ(column.Field(), &ds.FieldByName(u"PRICE"));
    EXPECT_EQ(Shown(*grid, 2, 1), "4.5");
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(grid->SelectedField(), &ds.FieldByName(u"PRICE"));
    EXPECT_EQ(Consiste::IndiceCol(*grid, "PRICE"), 1);
    EXPECT_EQ(Consiste::IndiceCol(*grid, "price"), 1);
    EXPECT_LT(Consiste::IndiceCol(*grid, "QTY"), 0);

    column.SetFieldName("QTY");
    EXPECT_EQ(Consiste::IndiceCol(*grid, "QTY"), 1);
    EXPECT_LT(Consiste::IndiceCol(*grid, "PRICE"), 0);
    EXPECT_EQ(Shown(*grid, 2, 1), "30.00");
    EXPECT_EQ(column.Title().Caption(), "Quantidade");
    EXPECT_EQ(grid->columnWidth(1), shownWidth);
    EXPECT_EQ(grid->Columns()[0].FieldName(), "CODE");
    EXPECT_EQ(grid->Columns()[2].FieldName(), "NAME");
}

TEST_F(GridTest, SelectedFieldFollowsTheCurrentColumn)
{
    grid->SetSelectedField(&ds.FieldByName(u"QTY"));
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(grid->SelectedField(), &ds.FieldByName(u"QTY"));

    // A field without a column changes nothing.
    grid->SetSelectedField(&ds.FieldByName(u"NOTE"));
    EXPECT_EQ(grid->SelectedIndex(), 2);

    // Hidden columns are skipped by the keys and cannot be selected.
    grid->Columns()[3].SetVisible(false);
    EXPECT_TRUE(grid->isColumnHidden(3));
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    grid->SetSelectedIndex(3);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    grid->Columns()[2].SetVisible(false);
    EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(GridTest, ResizingATitleByHandSetsTheColumnWidth)
{
    QHeaderView* titles = grid->horizontalHeader();
    const int before = grid->Columns()[1].Width();
    const int edge = titles->sectionViewportPosition(1) + titles->sectionSize(1) - 1;
    const int y = titles->height() / 2;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(titles->viewport(), QPoint(edge + 30, y));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge + 30, y));
    EXPECT_EQ(grid->Columns()[1].Width(), before + 30);
    EXPECT_TRUE(grid->Columns()[1].HasWidth());

    // Without the option the titles do not resize.
    grid->SetOptions(grid->Options() & ~dgColumnResize);
    const int edge2 = titles->sectionViewportPosition(1) + titles->sectionSize(1) - 1;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge2, y));
    QTest::mouseMove(titles->viewport(), QPoint(edge2 + 30, y));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge2 + 30, y));
    EXPECT_EQ(grid->Columns()[1].Width(), before + 30);
}

// Editing in the grid: typing, the cell editor, moving between cells and rows, posting,
// cancelling, inserting and appending.

#include "grid_fixture.h"

#include <QInputMethodEvent>
#include <QSignalSpy>

using namespace gridtest;

TEST_F(GridTest, TypingPutsTheRowInEditAndEnterWritesTheCell)
{
    QStringList events;
    ds.BeforeEdit = [&](TClientDataSet&) { events << "BeforeEdit"; };
    ds.AfterEdit = [&](TClientDataSet&) { events << "AfterEdit"; };
    ds.AfterPost = [&](TClientDataSet&) { events << "AfterPost"; };

    ClickCell(1, 1);
    Type("xy");
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "xy");           // the first character replaced the old text
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "name 2");  // not written yet

    Key(Qt::Key_Return);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "xy");
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(ds.State(), TDataSetState::Edit);

    Key(Qt::Key_Down);  // leaving the row posts it
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(Cell(1, "NAME"), "xy");
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(events, (QStringList{"BeforeEdit", "AfterEdit", "AfterPost"}));

    // Numbers are typed as the operator's locale writes them.
    ClickCell(0, 2);
    Type("1234.5");
    Key(Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(ds.FieldByName(u"QTY").AsFloat(), 1234.5);
}

TEST_F(GridTest, KeyPressRunsFirstAndMayDiscardOrReplaceTheCharacter)
{
    QString seen;
    grid->OnKeyPress = [&](TDBGrid&, QChar& key) {
        seen += key;
        if (key.isDigit())
            key = QChar();
        else if (key == QLatin1Char('q'))
            key = QLatin1Char('Q');
        else if (key == QLatin1Char('\r') && grid->InplaceEditor()->Text() == "keep")
            key = QChar();
    };
    ClickCell(0, 1);
    Type("1");
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());

    Type("a1q");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "aQ");
    Key(Qt::Key_Return);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "aQ");
    EXPECT_EQ(seen, QString("1a1q\r"));
    seen.clear();

    // Characters composed by the input method (accents) are typed characters too.
    Key(Qt::Key_Left);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("ç"));
    QCoreApplication::sendEvent(grid, &composed);
    ASSERT_TRUE(grid->EditorMode());
    QInputMethodEvent accent;
    accent.setCommitString(QStringLiteral("ã"));
    QCoreApplication::sendEvent(grid->InplaceEditor(), &accent);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "çã");
    EXPECT_TRUE(seen.endsWith("çã"));
    Key(Qt::Key_Return);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "çã");

    // An Enter the handler discards neither writes nor moves.
    Key(Qt::Key_Left);
    Type("keep");
    Key(Qt::Key_Return);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "çã");
}

TEST_F(GridTest, TheEditorTakesTheFieldsEditMask)
{
    ClickCell(2, 0);  // CODE: up to four letters, upper case
    Type("ab1cde");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "ABCD");
    Key(Qt::Key_Tab);
    EXPECT_EQ(ds.FieldByName(u"CODE").AsString(), "ABCD");
    EXPECT_EQ(grid->SelectedIndex(), 1);

    // Without a mask a string field takes no more than its size.
    Type("abcdefghijklmnop");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "abcdefghijkl");
}

TEST_F(GridTest, TabAndEnterWrapToTheNextAndPreviousRow)
{
    ClickCell(1, 2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    Key(Qt::Key_Tab);  // past the last column: first column of the next row
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    Key(Qt::Key_Return);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 0);

    // In a read-only grid the last cell of the last row stays where it is.
    grid->SetReadOnly(true);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_End);
    Key(Qt::Key_Tab);
    EXPECT_EQ(ds.RecNo(), 5);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    EXPECT_EQ(ds.ViewRowCount(), 5);

    // Without the Tabs option Tab leaves the grid.
    QWidget other(window.get());
    other.setFocusPolicy(Qt::StrongFocus);
    window->layout()->addWidget(&other);
    other.show();
    grid->SetOptions(grid->Options() & ~dgTabs);
    grid->setFocus();
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &other);
    EXPECT_EQ(grid->SelectedIndex(), 3);
}

TEST_F(GridTest, ARefusedPostKeepsTheOperatorOnTheRowWithTheTypedValues)
{
    ds.BeforePost = [](TClientDataSet& d) {
        if (d.FieldByName(u"QTY").AsFloat() > 100) Abort();
    };
    ClickCell(1, 2);
    Type("500");
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(ds.FieldByName(u"QTY").AsFloat(), 500);

    ClickCell(3, 2);  // a click cannot leave either
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_DOUBLE_EQ(ds.FieldByName(u"QTY").AsFloat(), 500);

    Key(Qt::Key_Escape);  // close the editor; the row keeps 500
    Type("50");
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(Cell(1, "QTY"), "50");
}

TEST_F(GridTest, EscapeDropsTheCellEditThenCancelsTheRow)
{
    int cancels = 0;
    ds.AfterCancel = [&](TClientDataSet&) { ++cancels; };
    ClickCell(2, 1);
    Type("zz");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "name 3");
    Key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(cancels, 1);

    // A cell already written goes back with the row.
    Type("zz");
    Key(Qt::Key_Return);
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "zz");
    Key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(Cell(2, "NAME"), "name 3");
}

TEST_F(GridTest, InsertKeyAndDownOnTheLastRowAddRows)
{
    ClickCell(2, 0);
    Key(Qt::Key_Insert);
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(ds.ViewRowCount(), 6);
    EXPECT_EQ(grid->CurrentRow(), 2);
    EXPECT_EQ(Cell(3, "CODE"), "CCCC");

    Key(Qt::Key_Down);  // an untouched new row is dropped, not posted
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(ds.ViewRowCount(), 5);
    EXPECT_EQ(ds.FieldByName(u"CODE").AsString(), "CCCC");

    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(ds.ViewRowCount(), 6);
    EXPECT_EQ(grid->CurrentRow(), 5);
    Key(Qt::Key_Down);  // no second empty row
    EXPECT_EQ(ds.ViewRowCount(), 6);
    Key(Qt::Key_Up);  // leaving it upwards drops it too
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(ds.ViewRowCount(), 5);
    EXPECT_EQ(ds.RecNo(), 5);

    // A filled new row is posted by Down, which then opens the next one.
    Key(Qt::Key_Down);
    grid->SetSelectedIndex(1);
    Type("new");
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(ds.ViewRowCount(), 7);
    EXPECT_EQ(Cell(5, "NAME"), "new");
    Key(Qt::Key_Escape);
    EXPECT_EQ(ds.ViewRowCount(), 6);
    EXPECT_EQ(ds.ChangeCount(), 1);

    // Typing into an empty list starts its first row.
    ds.EmptyDataSet();
    grid->SetSelectedIndex(1);
    Type("first");
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(Cell(0, "NAME"), "first");
}

TEST_F(GridTest, NothingIsEditedWhereEditingIsNotAllowed)
{
    ClickCell(0, 3);  // PRICE is a read-only field
    Type("9");
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());

    grid->Columns()[1].SetReadOnly(true);
    ClickCell(0, 1);
    Type("x");
    Key(Qt::Key_F2);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());

    const auto checkLocked = [&] {
        ClickCell(0, 2);
        Type("1");
        EXPECT_EQ(ds.State(), TDataSetState::Browse);
        Key(Qt::Key_Insert);
        Key(Qt::Key_End, Qt::ControlModifier);
        Key(Qt::Key_Down);
        Key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ds.State(), TDataSetState::Browse);
        EXPECT_EQ(ds.ViewRowCount(), 5);
    };
    grid->SetReadOnly(true);
    checkLocked();
    grid->SetReadOnly(false);
    grid->SetOptions(grid->Options() & ~dgEditing);
    checkLocked();

    // A refused edit is silent and opens nothing.
    grid->SetOptions(grid->Options() | dgEditing);
    ds.BeforeEdit = [](TClientDataSet&) { Abort(); };
    ClickCell(1, 2);
    Type("7");
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, AnEditRefreshesOneRowWithoutResettingTheModel)
{
    QSignalSpy changed(grid->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(grid->model(), &QAbstractItemModel::modelReset);
    ClickCell(3, 1);
    Type("q");
    Key(Qt::Key_Return);
    Key(Qt::Key_Up);
    ASSERT_GE(changed.count(), 1);
    for (const auto& signal : changed) {
        EXPECT_EQ(signal.at(0).toModelIndex().row(), 3);
        EXPECT_EQ(signal.at(1).toModelIndex().row(), 3);
    }
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(grid->model()->data(grid->model()->index(3, 1)).toString(), "q");
}

TEST_F(GridTest, LeavingAColumnWritesTheCellThenAsksOnColExit)
{
    QStringList exits;
    grid->OnColExit = [&](TDBGrid& g) {
        exits << g.SelectedField()->FieldName() + '=' + ds.FieldByName(u"CODE").AsString();
        if (g.SelectedField()->FieldName() == "CODE" && ds.FieldByName(u"CODE").AsString().isEmpty()) Abort();
    };
    ClickCell(0, 0);
    Key(Qt::Key_Insert);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 0);  // refused: the code is empty
    ClickCell(0, 2);
    EXPECT_EQ(grid->SelectedIndex(), 0);

    Type("xy");
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(exits, (QStringList{"CODE=", "CODE=", "CODE=XY"}));

    // A handler that moves to another column itself has the last word.
    grid->OnColExit = [](TDBGrid& g) { g.SetSelectedIndex(3); };
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 3);

    // Code that changes the column sees the refusal.
    grid->OnColExit = [](TDBGrid&) { Abort(); };
    EXPECT_THROW(grid->SetSelectedIndex(1), EAbort);
    EXPECT_EQ(grid->SelectedIndex(), 3);
}

TEST_F(GridTest, APostFromElsewhereTakesWhatIsTypedInTheEditor)
{
    ClickCell(0, 1);
    Type("abc");
    ds.Post();
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(Cell(0, "NAME"), "abc");
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, AFieldChangedByCodeReplacesTheEditorText)
{
    ds.FieldByName(u"QTY").OnChange = [&](TField& qty) {
        ds.FieldByName(u"NAME").SetAsString(QStringLiteral("q=%1").arg(qty.AsString()));
    };
    ClickCell(0, 2);
    Type("7");
    grid->SetSelectedIndex(1);  // writes 7, whose change handler fills NAME
    EXPECT_EQ(ds.FieldByName(u"NAME").AsString(), "q=7");
    Key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "q=7");
    ds.FieldByName(u"NAME").SetAsString(QStringLiteral("code"));
    EXPECT_EQ(grid->InplaceEditor()->Text(), "code");
}

TEST_F(GridTest, TheEllipsisButtonFiresOnEditButtonClick)
{
    grid->Columns()[0].SetButtonStyle(TColumnButtonStyle::Ellipsis);
    int clicks = 0;
    grid->OnEditButtonClick = [&](TDBGrid& sender) {
        EXPECT_EQ(&sender, grid);
        ++clicks;
    };
    ClickCell(1, 0);
    ASSERT_TRUE(grid->EditButton()->isVisible());
    EXPECT_TRUE(grid->CellRect(1, 0).contains(grid->EditButton()->geometry()));
    QTest::mouseClick(grid->EditButton(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ds.RecNo(), 2);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 2);

    // Ctrl+Enter from the editor, which leaves room for the button.
    Type("ab");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_FALSE(grid->InplaceEditor()->geometry().intersects(grid->EditButton()->geometry()));
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 3);

    Key(Qt::Key_Escape);
    Key(Qt::Key_Right);
    EXPECT_FALSE(grid->EditButton()->isVisible());
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 3);

    grid->Columns()[1].SetButtonStyle(TColumnButtonStyle::Ellipsis);
    EXPECT_TRUE(grid->EditButton()->isVisible());
    EXPECT_TRUE(grid->CellRect(1, 1).contains(grid->EditButton()->geometry()));
}

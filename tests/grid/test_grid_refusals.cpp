// What the operator sees when something refuses: the delete confirmation, a value the field
// cannot take, a check that fails on post, and handlers that fail while drawing or clicking.

#include "grid_fixture.h"

using namespace gridtest;

TEST_F(GridTest, CtrlDeleteAsksAndDeletesOnlyOnYes)
{
    ClickCell(1, 0);
    dialogs->AnswerMessage(TModalResult::No);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs->ShownOf(ShownBox::Kind::Message).size(), 1u);
    const ShownBox box = dialogs->ShownOf(ShownBox::Kind::Message).front();
    EXPECT_EQ(box.text, "Confirma exclusão?");
    EXPECT_EQ(box.type, TMsgDlgType::Confirmation);
    EXPECT_EQ(box.buttons, TMsgDlgButtons(mbYes | mbNo));
    EXPECT_EQ(ds.ViewRowCount(), 5);

    dialogs->AnswerMessage(TModalResult::Yes);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.ViewRowCount(), 4);
    EXPECT_EQ(ds.FieldByName(u"CODE").AsString(), "CCCC");
    EXPECT_EQ(grid->currentIndex().row(), 1);

    // A refused delete keeps the row.
    ds.BeforeDelete = [](TClientDataSet&) { Abort(); };
    dialogs->AnswerMessage(TModalResult::Yes);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.ViewRowCount(), 4);

    // Without the option the row goes at once; plain Delete deletes nothing.
    ds.BeforeDelete = nullptr;
    grid->SetOptions(grid->Options() & ~dgConfirmDelete);
    Key(Qt::Key_Delete);
    EXPECT_EQ(ds.ViewRowCount(), 4);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.ViewRowCount(), 3);
    EXPECT_EQ(dialogs->ShownOf(ShownBox::Kind::Message).size(), 3u);
    EXPECT_TRUE(dialogs->Errors().isEmpty());
}

TEST_F(GridTest, AValueTheFieldRefusesIsShownAndStaysInTheEditor)
{
    ClickCell(1, 2);
    Type("abc");
    Key(Qt::Key_Return);
    ASSERT_EQ(dialogs->Errors().size(), 1);
    EXPECT_TRUE(dialogs->Errors().front().contains("Quantidade")) << dialogs->Errors().front().toStdString();
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "abc");
    EXPECT_EQ(grid->SelectedIndex(), 2);

    Key(Qt::Key_Down);  // the row cannot be left with it either
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(dialogs->Errors().size(), 2);

    // A post from elsewhere is refused the same way.
    EXPECT_THROW(ds.Post(), Exception);
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "abc");

    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(Cell(1, "QTY"), "20");
}

TEST_F(GridTest, AFailedCheckOnPostIsShownOnceAndKeepsTheRow)
{
    ds.BeforePost = [&](TClientDataSet& d) {
        if (d.FieldByName(u"QTY").AsFloat() <= 0) {
            grid->SetSelectedField(&d.FieldByName(u"QTY"));  // the check puts the operator on the column
            Consiste::MensErro(QStringLiteral("Quantidade deve ser maior que zero."), true);
        }
    };
    ClickCell(2, 2);
    Type("0");
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    Key(Qt::Key_Down);
    EXPECT_EQ(dialogs->Errors(), QStringList{"Quantidade deve ser maior que zero."});
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_EQ(ds.FieldByName(u"QTY").AsString(), "0");
    EXPECT_EQ(grid->SelectedIndex(), 2);

    Type("5");
    Key(Qt::Key_Up);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(Cell(2, "QTY"), "5");
    EXPECT_EQ(dialogs->Errors().size(), 1);

    // Failures of the save that runs after the post reach the operator once, and the list
    // the save reloaded stays consistent.
    ds.BeforePost = nullptr;
    ds.AfterPost = [&](TClientDataSet& d) {
        d.SetData(FiveRows());
        throw EServerError(QStringLiteral("Servidor indisponível."));
    };
    ClickCell(4, 1);
    Type("x");
    Key(Qt::Key_Up);
    EXPECT_EQ(dialogs->Errors().last(), "Servidor indisponível.");
    EXPECT_EQ(dialogs->Errors().size(), 2);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(grid->currentIndex().row(), ds.RecNo() - 1);
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, FailingHandlersAreShownOnceAndNothingEscapes)
{
    grid->OnCellClick = [](TColumn&) { throw Exception(QStringLiteral("clique falhou")); };
    ClickCell(2, 1);
    EXPECT_EQ(dialogs->Errors(), QStringList{"clique falhou"});
    EXPECT_EQ(ds.RecNo(), 3);

    // A drawing handler that fails is reported once, not on every paint; the cells are still
    // drawn with their texts.
    int calls = 0;
    grid->OnDrawColumnCell = [&](TDBGrid&, const QRect&, int, TColumn&, TGridDrawState) {
        ++calls;
        throw Exception(QStringLiteral("desenho falhou"));
    };
    dialogs->ClearShown();
    (void)Shot();
    (void)Shot();
    QApplication::processEvents();
    EXPECT_EQ(dialogs->Errors(), QStringList{"desenho falhou"});
    EXPECT_EQ(calls, 1);

    // After the data changes the handler is given another chance.
    grid->OnDrawColumnCell = [&](TDBGrid&, const QRect&, int, TColumn&, TGridDrawState) { ++calls; };
    ds.Edit();
    ds.FieldByName(u"NAME").SetAsString(QStringLiteral("novo"));
    ds.Post();
    (void)Shot();
    EXPECT_GT(calls, 1);
}

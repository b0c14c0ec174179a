// Editing: the order of events, refusal by each Before* handler, the checks of Post, the
// values at the start of an edit, Cancel, and the index keeping posted rows in place.

#include "dataset_builders.h"

using namespace testdata;

namespace {

class Editing : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareServices(ds);
        ds.AddIndex("ByNr", "NR");
        ds.SetIndexName("ByNr");
        loadABC(ds);
        log.attach(ds);
    }
    TField& qtd() { return ds.FieldByName("QTD"); }
    TField& code() { return ds.FieldByName("CODIGO"); }

    TClientDataSet ds;
    EventLog log;
};

}  // namespace

TEST_F(Editing, EventsFollowTheOrderOfDelphisDataSet)
{
    ds.Next();
    EXPECT_EQ(log.take(), "BeforeScroll AfterScroll");
    ds.Edit();
    EXPECT_EQ(log.take(), "BeforeEdit AfterEdit");
    qtd().SetAsFloat(21);
    ds.Post();
    EXPECT_EQ(log.take(), "BeforePost AfterPost");
    ds.Insert();
    EXPECT_EQ(log.take(), "BeforeInsert BeforeScroll AfterInsert AfterScroll");
    code().SetAsString("N");
    ds.Cancel();
    EXPECT_EQ(log.take(), "AfterCancel AfterScroll");  // back on the row it left
    ds.Delete();
    EXPECT_EQ(log.take(), "BeforeDelete BeforeScroll AfterDelete AfterScroll");

    // A forward move from the last row still fires (and sets Eof); once at Eof nothing fires.
    ds.Last();
    log.take();
    ds.Prior();
    ds.Next();
    ds.Next();
    ds.Next();
    EXPECT_EQ(log.take(), "BeforeScroll AfterScroll BeforeScroll AfterScroll BeforeScroll AfterScroll");
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(code().AsString(), "C");
    ds.First();
    ds.First();
    EXPECT_EQ(log.take(), "BeforeScroll AfterScroll BeforeScroll AfterScroll");
}

TEST_F(Editing, RefusalByABeforeEventLeavesTheDatasetAsItWas)
{
    ds.Next();  // on B
    const auto refuse = [](TClientDataSet&) { Abort(); };
    const auto unchanged = [&](TDataSetState state) {
        EXPECT_EQ(ds.State(), state);
        EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
        EXPECT_EQ(ds.RecNo(), 2);
        EXPECT_EQ(ds.ChangeCount(), 0);
    };

    ds.BeforeInsert = refuse;
    EXPECT_THROW(ds.Insert(), EAbort);
    EXPECT_THROW(ds.Append(), EAbort);
    unchanged(TDataSetState::Browse);
    log.attach(ds);

    ds.BeforeScroll = refuse;
    EXPECT_THROW(ds.Next(), EAbort);
    EXPECT_THROW(ds.Insert(), EAbort);  // an insert is a move as well
    unchanged(TDataSetState::Browse);
    log.attach(ds);

    ds.BeforeEdit = refuse;
    EXPECT_THROW(ds.Edit(), EAbort);
    unchanged(TDataSetState::Browse);
    log.attach(ds);

    ds.BeforeDelete = [](TClientDataSet&) { throw EDatabaseError("não"); };
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    unchanged(TDataSetState::Browse);
    log.attach(ds);

    // A refused post keeps the row in edit with what was written; a later post goes through.
    ds.Edit();
    qtd().SetAsFloat(25);
    int attempts = 0;
    ds.BeforePost = [&](TClientDataSet& d) {
        ++attempts;
        d.FieldByName("DESCR").SetAsString("tried");
        if (attempts == 1) Abort();
    };
    EXPECT_THROW(ds.Post(), EAbort);
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_EQ(qtd().AsFloat(), 25);
    EXPECT_EQ(ds.FieldByName("DESCR").AsString(), "tried");
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.Post();
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(qtd().AsFloat(), 25);
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST_F(Editing, PostRefusesMissingRequiredValuesAndOverlongTextKeepingTheRow)
{
    ds.Append();
    qtd().SetAsFloat(5);
    ds.FieldByName("NR").SetAsFloat(9);
    try {
        ds.Post();
        ADD_FAILURE() << "posted without the required code";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("O campo 'Código' deve ser informado."));
    }
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(qtd().AsFloat(), 5);
    code().SetAsString("");  // empty text counts as no value
    EXPECT_THROW(ds.Post(), EDatabaseError);

    code().SetAsString("D");
    ds.FieldByName("DESCR").SetAsString("123456");
    try {
        ds.Post();
        ADD_FAILURE() << "posted a text over the field size";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("O valor do campo 'Descrição' excede o tamanho de 5 caracteres."));
    }
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    ds.FieldByName("DESCR").SetAsString("12345");
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C", "D"}));

    // Writing needs edit or insert state.
    EXPECT_THROW(qtd().SetAsFloat(1), EDatabaseError);
}

TEST_F(Editing, OldValueKeepsTheStartOfTheEditAndCancelRestoresIt)
{
    ds.Edit();
    EXPECT_EQ(qtd().OldValue(), wire::Value(10.0));
    qtd().SetAsFloat(12);
    EXPECT_EQ(qtd().OldValue(), wire::Value(10.0));
    // Two attempts of the same edit see the same starting values.
    std::vector<double> seen;
    ds.BeforePost = [&](TClientDataSet& d) {
        seen.push_back(d.FieldByName("QTD").AsFloat() - d.FieldByName("QTD").OldValue().toDouble());
        if (seen.size() == 1) Abort();
    };
    EXPECT_THROW(ds.Post(), EAbort);
    ds.Post();
    EXPECT_EQ(seen, (std::vector<double>{2, 2}));
    // In browse state: the value as loaded, while the change is in the log.
    EXPECT_EQ(qtd().OldValue(), wire::Value(10.0));
    ds.BeforePost = nullptr;

    // A second edit starts from the posted value; Cancel puts every field back.
    ds.Edit();
    EXPECT_EQ(qtd().OldValue(), wire::Value(12.0));
    qtd().SetAsFloat(50);
    code().SetAsString("ZZ");
    ds.Cancel();
    EXPECT_EQ(qtd().AsFloat(), 12);
    EXPECT_EQ(code().AsString(), "A");

    // Cancel of an insert takes the row away and returns to the row it was on.
    ds.Last();
    ds.Insert();
    EXPECT_TRUE(qtd().OldValue().isNull());
    code().SetAsString("NEW");
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.ViewRowCount(), 4);
    ds.Cancel();
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
    EXPECT_EQ(code().AsString(), "C");
}

TEST_F(Editing, MovingWhileEditingPostsAndAnUntouchedNewRowIsDropped)
{
    ds.Edit();
    qtd().SetAsFloat(11);
    ds.Next();
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(code().AsString(), "B");

    ds.Append();
    ds.First();  // nothing was written: the row goes
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
    EXPECT_EQ(ds.ChangeCount(), 1);

    // A failed post on a move keeps the row in edit and the cursor where it was.
    ds.Last();
    ds.Insert();
    qtd().SetAsFloat(3);
    EXPECT_THROW(ds.First(), EDatabaseError);
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(Editing, PostedRowMovesToItsKeyPositionAndTheCursorFollows)
{
    ds.Edit();  // A (nr 1)
    ds.FieldByName("NR").SetAsFloat(5);
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList({"B", "C", "A"}));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(code().AsString(), "A");

    // A new row goes where its key belongs, equal keys after the existing ones.
    ds.First();
    ds.Append();
    code().SetAsString("D");
    ds.FieldByName("NR").SetAsFloat(3);
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList({"B", "C", "D", "A"}));
    EXPECT_EQ(code().AsString(), "D");
    EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(Editing, FieldChangeHandlerRunsOnEveryWriteAndMayWriteOtherFields)
{
    int changes = 0;
    qtd().OnChange = [&](TField& f) {
        ++changes;
        f.DataSet().FieldByName("NR").SetAsFloat(f.AsFloat() * 100);
    };
    ds.Edit();
    qtd().SetAsFloat(12);
    qtd().SetAsFloat(12);
    qtd().SetText("7");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(ds.FieldByName("NR").AsFloat(), 700);
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    EXPECT_EQ(codes(ds), QStringList({"B", "C", "A"}));
}

// Handlers that reload, empty, close or move the very dataset that called them, and reading
// other rows while a row is being edited. Run these under the sanitizers as well
// (-DATE_SANITIZE=ON): a stale row touched after a reload shows up there.

#include "dataset_builders.h"

#include <algorithm>

using namespace testdata;

namespace {

// A save as the forms do it: inside AfterPost, send the change, load the server's answer
// into the same dataset, merge, and go back to the saved row.
void bindSave(TClientDataSet& ds, int& saves)
{
    ds.AfterPost = [&saves](TClientDataSet& d) {
        if (d.ChangeCount() == 0) return;
        ++saves;
        const QString code = d.FieldByName("CODIGO").AsString();
        wire::DataPacket answer = d.Data();
        for (auto& r : answer.rows) r[1] = T("calc");
        std::reverse(answer.rows.begin(), answer.rows.end());
        d.SetData(std::move(answer));
        d.MergeChangeLog();
        d.Locate(u"CODIGO", wire::Value(code));
    };
    ds.AfterDelete = ds.AfterPost;
}

class Reentrancy : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareServices(ds);
        ds.SetIndexFieldNames("NR");
        loadABC(ds);
    }
    TClientDataSet ds;
};

}  // namespace

TEST_F(Reentrancy, AfterPostMayReloadTheDatasetThatCalledIt)
{
    int saves = 0;
    bindSave(ds, saves);
    ds.Next();
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(22);
    ds.Post();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
    EXPECT_EQ(codes(ds, "DESCR"), QStringList({"calc", "calc", "calc"}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "B");
    EXPECT_EQ(ds.FieldByName("QTD").AsFloat(), 22);

    // The grid asks for row 3 while row 1 is edited: the save reloads and puts the cursor
    // back on the saved row; the row number asked for belonged to the old rows.
    ds.First();
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(11);
    ds.MoveToRow(2);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "A");

    // Insert while editing: the edit is saved (reload) and the new row goes into the new rows.
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(12);
    ds.Insert();
    EXPECT_EQ(saves, 3);
    EXPECT_EQ(ds.State(), TDataSetState::Insert);
    EXPECT_EQ(ds.ViewRowCount(), 4);
    ds.FieldByName("CODIGO").SetAsString("N");
    ds.FieldByName("NR").SetAsFloat(9);
    ds.Post();
    EXPECT_EQ(saves, 4);
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C", "N"}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "N");

    // A delete saved the same way leaves the cursor on the row that took its place.
    ASSERT_TRUE(ds.Locate(u"CODIGO", T("B")));
    ds.Delete();
    EXPECT_EQ(saves, 5);
    EXPECT_EQ(codes(ds), QStringList({"A", "C", "N"}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
}

TEST_F(Reentrancy, ScrollHandlersLoadOtherDatasetsOnEveryStepOfAWalk)
{
    TClientDataSet detail;
    detail.AddField({.Name = "NR", .DataType = TFieldType::Float});
    detail.AddField({.Name = "LINHA", .DataType = TFieldType::String});
    int loads = 0;
    QStringList mismatches;
    ds.AfterScroll = [&](TClientDataSet& d) {
        ++loads;
        const double nr = d.FieldByName("NR").AsFloat();
        detail.SetData(
            packet({{"NR", TFieldType::Float, 0}, {"LINHA", TFieldType::String, 20}}, {{nr, T("1")}, {nr, T("2")}}));
        if (detail.FieldByName("NR").AsFloat() != nr) mismatches << d.FieldByName("CODIGO").AsString();
    };
    ds.SetData(ds.Data());
    EXPECT_EQ(loads, 1);

    // Marking every row with the controls suspended: each move still runs the handler.
    ds.DisableControls();
    ds.First();
    while (!ds.Eof()) {
        ds.Edit();
        ds.FieldByName("DESCR").SetAsString("S");
        ds.Post();
        ds.Next();
    }
    ds.First();
    ds.EnableControls();
    EXPECT_EQ(loads, 1 + 1 + 3 + 1);
    EXPECT_TRUE(mismatches.isEmpty()) << mismatches.join(',').toStdString();
    EXPECT_EQ(codes(ds, "DESCR"), QStringList({"S", "S", "S"}));
    EXPECT_EQ(detail.FieldByName("NR").AsFloat(), 1);

    // A scroll handler that moves its own dataset: the last move wins, nothing stale.
    ds.AfterScroll = [](TClientDataSet& d) {
        if (d.FieldByName("CODIGO").AsString() == "B") d.Next();
    };
    ds.First();
    ds.Next();
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
}

TEST_F(Reentrancy, HandlersMayEmptyCloseOrReloadMidOperation)
{
    EventLog log;

    // Closed from AfterInsert: the insert stops there.
    log.attach(ds);
    ds.AfterInsert = [](TClientDataSet& d) { d.Close(); };
    ds.Append();
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.State(), TDataSetState::Inactive);
    EXPECT_EQ(log.take(), "BeforeInsert BeforeScroll AfterClose");

    // Emptied from BeforePost: nothing left to post, no AfterPost.
    loadABC(ds);
    log.attach(ds);
    ds.BeforePost = [](TClientDataSet& d) { d.EmptyDataSet(); };
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(1);
    log.take();
    ds.Post();
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(log.take(), "AfterScroll");

    // Reloaded from BeforeDelete: the delete is abandoned, no row of the new packet goes.
    loadABC(ds);
    log.attach(ds);
    ds.BeforeDelete = [](TClientDataSet& d) {
        d.SetData(packet(serviceColumns(), {service("X", 1, 1), service("Y", 1, 2)}));
    };
    ds.Delete();
    EXPECT_EQ(codes(ds), QStringList({"X", "Y"}));
    EXPECT_EQ(ds.ChangeCount(), 0);

    // Reloaded from the AfterScroll of a load: the inner load wins.
    log.attach(ds);
    bool once = false;
    ds.AfterScroll = [&](TClientDataSet& d) {
        if (std::exchange(once, true)) return;
        d.SetData(packet(serviceColumns(), {service("Q", 1, 1)}));
    };
    loadABC(ds);
    EXPECT_EQ(codes(ds), QStringList({"Q"}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "Q");

    // Every pending update cancelled from AfterCancel (the service list's hook).
    loadABC(ds);
    log.attach(ds);
    ds.AfterCancel = [](TClientDataSet& d) { d.CancelUpdates(); };
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(2);
    ds.Post();
    ds.Append();
    ds.FieldByName("CODIGO").SetAsString("Z");
    ds.Cancel();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
    EXPECT_EQ(ds.FieldByName("QTD").AsFloat(), 10);

    // Closed from AfterPost and reopened: nothing of the old rows remains.
    ds.AfterPost = [](TClientDataSet& d) { d.Close(); };
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(3);
    ds.Post();
    EXPECT_FALSE(ds.Active());
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.FieldByName("QTD").IsNull());
}

TEST_F(Reentrancy, ReadRowReadsOtherRowsWithoutTouchingTheEdit)
{
    EventLog log;
    log.attach(ds);
    TField& qtd = ds.FieldByName("QTD");
    ds.Edit();  // row A
    qtd.SetAsFloat(99);
    log.take();

    std::vector<double> seen;
    ds.ReadRow(1, [&] {
        seen.push_back(qtd.AsFloat());
        ds.ReadRow(2, [&] { seen.push_back(qtd.AsFloat()); });
        seen.push_back(qtd.AsFloat());
        seen.push_back(qtd.OldValue().toDouble());
        EXPECT_THROW(qtd.SetAsFloat(5), EDatabaseError);
    });
    ds.ReadRow(0, [&] { seen.push_back(qtd.AsFloat()); });  // the row being edited shows its edit
    bool called = false;
    ds.ReadRow(3, [&] { called = true; });
    EXPECT_FALSE(called);
    EXPECT_EQ(seen, (std::vector<double>{20, 30, 20, 20, 99}));
    EXPECT_EQ(qtd.AsFloat(), 99);
    EXPECT_EQ(ds.State(), TDataSetState::Edit);
    EXPECT_EQ(log.take(), "");
    ds.Post();
    EXPECT_EQ(qtd.AsFloat(), 99);

    // Rows replaced while a row is being read: the fields read null, never the freed row.
    ds.ReadRow(1, [&] {
        ds.SetData(packet(serviceColumns(), {service("X", 7, 1)}));
        EXPECT_TRUE(qtd.IsNull());
        EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "");
    });
    EXPECT_EQ(qtd.AsFloat(), 7);
}

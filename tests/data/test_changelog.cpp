// The change log: what a save sends (the change set), merging, cancelling every update, and
// the data packet of the current rows.

#include "dataset_builders.h"

using namespace testdata;

namespace {

class ChangeLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareServices(ds);
        ds.SetIndexFieldNames("NR");
        loadABC(ds);
    }
    void edit(const char* code, double qtd)
    {
        ASSERT_TRUE(ds.Locate(u"CODIGO", T(code)));
        ds.Edit();
        ds.FieldByName("QTD").SetAsFloat(qtd);
        ds.Post();
    }
    void appendRow(const char* code, double qtd, double nr)
    {
        ds.Append();
        ds.FieldByName("CODIGO").SetAsString(QString::fromUtf8(code));
        ds.FieldByName("QTD").SetAsFloat(qtd);
        ds.FieldByName("NR").SetAsFloat(nr);
        ds.Post();
    }
    void remove(const char* code)
    {
        ASSERT_TRUE(ds.Locate(u"CODIGO", T(code)));
        ds.Delete();
    }

    TClientDataSet ds;
};

wire::Change insertOf(wire::Row row) { return {wire::ChangeKind::Insert, {}, std::move(row)}; }
wire::Change updateOf(wire::Row oldRow, wire::Row newRow)
{
    return {wire::ChangeKind::Update, std::move(oldRow), std::move(newRow)};
}
wire::Change deleteOf(wire::Row row) { return {wire::ChangeKind::Delete, std::move(row), {}}; }

wire::Row row(const char* code, double qtd, double nr, const char* descr = "d")
{
    return {T(code), descr ? T(descr) : wire::Value(), wire::Value(qtd), wire::Value(nr)};
}

}  // namespace

TEST_F(ChangeLog, EachRowGivesOneChangeWhateverHappenedToIt)
{
    edit("A", 11);
    edit("A", 12);  // change then change: one update from the loaded row
    appendRow("N", 5, 9);
    edit("N", 6);  // insert then change: one insert with the posted row
    appendRow("T", 1, 8);
    remove("T");  // insert then delete: nothing
    edit("B", 21);
    remove("B");  // change then delete: one delete with the loaded row

    const wire::ChangeSet cs = ds.Delta();
    EXPECT_EQ(cs.fields, serviceColumns());
    ASSERT_EQ(cs.changes.size(), 3u);
    EXPECT_EQ(cs.changes[0], updateOf(row("A", 10, 1), row("A", 12, 1)));
    EXPECT_EQ(cs.changes[1], insertOf(row("N", 6, 9, nullptr)));
    EXPECT_EQ(cs.changes[2], deleteOf(row("B", 20, 2)));
    EXPECT_EQ(ds.ChangeCount(), 3);

    // An edit posted without a change logs nothing.
    ASSERT_TRUE(ds.Locate(u"CODIGO", T("C")));
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(30);
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 3);
}

TEST_F(ChangeLog, MergeMakesTheCurrentRowsTheLoadedState)
{
    edit("A", 11);
    remove("B");
    appendRow("N", 5, 9);
    ds.MergeChangeLog();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_TRUE(ds.Delta().changes.empty());
    EXPECT_EQ(codes(ds), QStringList({"A", "C", "N"}));

    edit("A", 15);
    EXPECT_EQ(ds.FieldByName("QTD").OldValue(), wire::Value(11.0));
    ASSERT_EQ(ds.Delta().changes.size(), 1u);
    EXPECT_EQ(ds.Delta().changes[0], updateOf(row("A", 11, 1), row("A", 15, 1)));
    ds.CancelUpdates();
    EXPECT_EQ(codes(ds), QStringList({"A", "C", "N"}));  // the deleted B does not come back
    EXPECT_EQ(ds.FieldByName("QTD").AsFloat(), 11);
}

TEST_F(ChangeLog, CancelUpdatesReturnsEveryRowToItsLoadedState)
{
    edit("A", 11);
    remove("B");
    appendRow("N", 5, 0);  // sorts first
    ASSERT_TRUE(ds.Locate(u"CODIGO", T("C")));
    EventLog log;
    log.attach(ds);
    ds.CancelUpdates();
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
    EXPECT_EQ(ds.ChangeCount(), 0);
    // Still on C: no scroll.
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "C");
    EXPECT_EQ(log.take(), "");
    ds.First();
    EXPECT_EQ(ds.FieldByName("QTD").AsFloat(), 10);

    // From a row that disappears, the cursor goes to the first row.
    appendRow("N", 5, 9);
    log.take();
    ds.CancelUpdates();
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(log.take(), "AfterScroll");
}

TEST_F(ChangeLog, WithLoggingOffChangesBecomeTheLoadedState)
{
    ds.SetLogChanges(false);
    edit("A", 11);
    appendRow("N", 5, 9);
    remove("C");
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.SetLogChanges(true);
    ds.CancelUpdates();
    EXPECT_EQ(codes(ds), QStringList({"A", "B", "N"}));
    ASSERT_TRUE(ds.Locate(u"CODIGO", T("A")));
    EXPECT_EQ(ds.FieldByName("QTD").AsFloat(), 11);
}

TEST_F(ChangeLog, DataGivesThePostedRowsInIndexOrder)
{
    ds.Last();
    ds.Edit();
    ds.FieldByName("NR").SetAsFloat(0);
    ds.Post();
    ds.Append();  // a row being inserted is not data yet
    ds.FieldByName("CODIGO").SetAsString("P");
    const wire::DataPacket p = ds.Data();
    EXPECT_EQ(p.fields, serviceColumns());
    ASSERT_EQ(p.rows.size(), 3u);
    EXPECT_EQ(p.rows[0], row("C", 30, 0));
    EXPECT_EQ(p.rows[1], row("A", 10, 1));
    EXPECT_EQ(p.rows[2], row("B", 20, 2));
}

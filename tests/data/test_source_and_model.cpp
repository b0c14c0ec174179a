// What controls see: the data source's signals and handlers, and the item model's signals
// (a field edit changes one row, never resets the model).

#include "dataset_builders.h"
#include "framework/data/dataset_model.h"
#include "framework/data/datasource.h"

#include <QSignalSpy>

#include <memory>

using namespace testdata;

namespace {

class SourceAndModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareServices(ds);
        ds.SetIndexFieldNames("NR");
        loadABC(ds);
        source.SetDataSet(&ds);
        model.SetDataSource(&source);
        model.SetColumns({"CODIGO", "QTD", "DESCR"});
    }
    QString cell(int row, int column, int role = Qt::DisplayRole)
    {
        return model.data(model.index(row, column), role).toString();
    }

    TClientDataSet ds;
    TDataSource source;
    TDataSetModel model;
};

}  // namespace

TEST_F(SourceAndModel, DataSourceTellsStateAndDataChanges)
{
    QStringList calls;
    source.OnStateChange = [&](TDataSource& s) {
        calls << QStringLiteral("state:%1").arg(static_cast<int>(s.State()));
    };
    source.OnDataChange = [&](TDataSource&, TField* f) {
        calls << QStringLiteral("data:%1").arg(f ? f->FieldName() : "-");
    };
    QSignalSpy rowChanged(&source, &TDataSource::rowChanged);
    QSignalSpy cursorMoved(&source, &TDataSource::cursorMoved);
    QSignalSpy dataSetChanged(&source, &TDataSource::dataSetChanged);

    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(11);
    ds.Post();
    EXPECT_EQ(calls, QStringList({"state:2", "data:QTD", "state:1", "data:-"}));
    ASSERT_EQ(rowChanged.count(), 2);
    EXPECT_EQ(rowChanged[0], (QVariantList{0, 2}));
    EXPECT_EQ(rowChanged[1], (QVariantList{0, -1}));

    // A walk with the controls suspended: one change and one cursor move at the end.
    calls.clear();
    cursorMoved.clear();
    ds.DisableControls();
    ds.DisableControls();
    while (!ds.Eof()) ds.Next();
    ds.EnableControls();
    EXPECT_EQ(cursorMoved.count(), 0);
    ds.EnableControls();
    EXPECT_EQ(dataSetChanged.count(), 1);
    ASSERT_EQ(cursorMoved.count(), 1);
    EXPECT_EQ(cursorMoved[0], (QVariantList{0, 2}));
    EXPECT_EQ(calls, QStringList({"data:-", "data:-"}));
}

TEST_F(SourceAndModel, DataSourceOutlivesItsDataset)
{
    auto owned = std::make_unique<TClientDataSet>();
    declareServices(*owned);
    loadABC(*owned);
    TDataSource s;
    s.SetDataSet(owned.get());
    int stateChanges = 0;
    s.OnStateChange = [&](TDataSource& src) {
        ++stateChanges;
        EXPECT_EQ(src.State(), TDataSetState::Inactive);
    };
    owned.reset();
    EXPECT_EQ(s.DataSet(), nullptr);
    EXPECT_EQ(s.State(), TDataSetState::Inactive);
    EXPECT_EQ(stateChanges, 1);

    // And the other way round: a source destroyed first no longer hears from the dataset.
    {
        TDataSource shortLived;
        shortLived.SetDataSet(&ds);
    }
    ds.Edit();
    ds.Cancel();
}

TEST_F(SourceAndModel, ModelSignalsFollowTheDataset)
{
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 3);

    // An edit: that row changes, nothing is reset.
    ds.Next();
    ds.Edit();
    ds.FieldByName("QTD").SetText("21.5");
    EXPECT_EQ(reset.count(), 0);
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.last()[0].toModelIndex().row(), 1);
    EXPECT_EQ(changed.last()[1].toModelIndex().row(), 1);
    EXPECT_EQ(cell(1, 1), "21.5");
    ds.Post();
    EXPECT_EQ(reset.count(), 0);

    // Insert and delete are row insertions and removals.
    ds.Append();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 4);
    ds.Cancel();
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    ds.First();
    QString currentWhenTold;
    const auto told = QObject::connect(&source, &TDataSource::rowRemoved,
                                       [&] { currentWhenTold = ds.FieldByName("CODIGO").AsString(); });
    ds.Delete();
    QObject::disconnect(told);
    EXPECT_EQ(currentWhenTold, "B");  // already on the row that took its place
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(cell(0, 0), "B");

    // A post that re-sorts moves the row.
    ds.Edit();
    ds.FieldByName("NR").SetAsFloat(10);
    ds.Post();
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 0);
    EXPECT_EQ(moved[0][4].toInt(), 2);
    EXPECT_EQ(cell(0, 0), "C");
    EXPECT_EQ(cell(1, 0), "B");
    EXPECT_EQ(reset.count(), 0);

    // Reload, filter and the end of a suspended walk reset.
    ds.SetData(packet(serviceColumns(), {service("X", 1, 1)}));
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 1);
    ds.SetFilter("QTD > 5");
    ds.SetFiltered(true);
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(SourceAndModel, ModelColumnsAndTexts)
{
    ds.FieldByName("QTD").SetDisplayFormat("#,##0.00");
    ds.FieldByName("QTD").SetDisplayLabel("Qtde.");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Qtde.");
    EXPECT_EQ(cell(2, 1), "30.00");
    EXPECT_EQ(cell(2, 1, Qt::EditRole), "30");

    // Swapping a column's field keeps its place.
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.SetColumnField(1, "NR");
    EXPECT_EQ(model.Columns(), QStringList({"CODIGO", "NR", "DESCR"}));
    EXPECT_EQ(model.ColumnField(1), ds.FindField(u"NR"));
    EXPECT_EQ(cell(2, 1), "3");
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    model.SetColumnField(2, "NAOEXISTE");
    EXPECT_EQ(model.ColumnField(2), nullptr);
    EXPECT_EQ(cell(0, 2), "");

    // Without a column list: every visible field, in field order.
    ds.FieldByName("DESCR").SetVisible(false);
    model.SetColumns({});
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Código"));
    EXPECT_EQ(model.ColumnField(2), ds.FindField(u"NR"));

    // A large list answers every cell (functional: no timing here).
    std::vector<wire::Row> rows;
    for (int i = 0; i < 10000; ++i) rows.push_back(service("K", i, 10000 - i));
    ds.SetData(packet(serviceColumns(), std::move(rows)));
    ASSERT_EQ(model.rowCount(), 10000);
    EXPECT_EQ(cell(0, 1), "9,999.00");
    EXPECT_EQ(cell(9999, 2), "10000");
}

TEST_F(SourceAndModel, FormHandlerOfTheSourceMayReloadWhileBeingTold)
{
    EventLog log;
    log.attach(ds);
    bool armed = false;
    source.OnDataChange = [&](TDataSource&, TField* field) {
        if (!armed || field) return;
        armed = false;
        ds.SetData(packet(serviceColumns(), {service("X", 1, 1), service("Y", 2, 2)}));
    };

    // Told of the posted row, the handler loads other rows: the post ends there.
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(5);
    armed = true;
    log.take();
    ds.Post();
    EXPECT_EQ(log.take(), "BeforePost AfterScroll");
    EXPECT_EQ(codes(ds), QStringList({"X", "Y"}));
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(model.rowCount(), 2);

    // The same while a new row is cancelled and while a row is deleted.
    ds.Append();
    ds.FieldByName("CODIGO").SetAsString("N");
    armed = true;
    log.take();
    ds.Cancel();
    EXPECT_EQ(log.take(), "AfterScroll");
    EXPECT_EQ(codes(ds), QStringList({"X", "Y"}));
    ds.Last();
    armed = true;
    log.take();
    ds.Delete();
    EXPECT_EQ(log.take(), "BeforeDelete BeforeScroll AfterScroll");
    EXPECT_EQ(codes(ds), QStringList({"X", "Y"}));
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(model.rowCount(), 2);
}

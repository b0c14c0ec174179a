// Loading packets: index order, refusal of a packet that does not fit (keeping the old rows),
// matching columns by name, and datasets whose fields come from each packet.

#include "dataset_builders.h"

using namespace testdata;

TEST(Loading, IndexOrdersAnUnorderedPacketStablyWithNullsFirst)
{
    TClientDataSet ds;
    declareServices(ds);
    ds.AddIndex("Index1", "NR");
    ds.SetIndexName("Index1");
    EventLog log;
    log.attach(ds);
    // The second row carries no number at all.
    ds.SetData(packet(serviceColumns(), {service("C1", 0, 3),
                                         {T("N"), T("x"), 0.0, wire::Value()},
                                         service("A", 0, 1),
                                         service("C2", 0, 3),
                                         service("B", 0, 2)}));
    EXPECT_EQ(codes(ds), QStringList({"N", "A", "B", "C1", "C2"}));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "N");
    // The first load opens the dataset; every load moves to the first row.
    EXPECT_EQ(log.take(), "AfterOpen AfterScroll");
    ds.SetData(ds.Data());
    EXPECT_EQ(log.take(), "AfterScroll");

    // A text key of two fields: "A;B" sorts by the first, then the second.
    ds.SetIndexFieldNames("DESCR;NR");
    ds.SetData(
        packet(serviceColumns(), {service("z3", 0, 3, "b"), service("z1", 0, 9, "a"), service("z2", 0, 1, "b")}));
    EXPECT_EQ(codes(ds), QStringList({"z1", "z2", "z3"}));
}

TEST(Loading, PacketThatDoesNotFitIsRefusedAndTheOldRowsStay)
{
    TClientDataSet ds;
    declareServices(ds);
    ds.SetIndexFieldNames("NR");
    loadABC(ds);
    ds.Next();  // on B

    const auto expectRefused = [&](wire::DataPacket p, const char* fragment) {
        try {
            ds.SetData(std::move(p));
            ADD_FAILURE() << "packet accepted";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(fragment))) << e.Message().toStdString();
        }
        EXPECT_EQ(codes(ds), QStringList({"A", "B", "C"}));
        EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "B");
        EXPECT_EQ(ds.State(), TDataSetState::Browse);
    };

    expectRefused(
        packet({{"CODIGO", TFieldType::String, 10}, {"DESCR", TFieldType::String, 5}, {"QTD", TFieldType::Float, 0}},
               {{T("X"), T("x"), 1.0}}),
        "não traz o campo 'NR'");
    auto columns = serviceColumns();
    columns[2].type = TFieldType::String;
    expectRefused(packet(columns, {{T("X"), T("x"), T("1"), 1.0}}), "'QTD'");
    // The column types fit but a value in the last row does not: nothing of the packet is taken.
    expectRefused(packet(serviceColumns(), {service("X", 1, 1), {T("Y"), T("y"), T("dez"), 2.0}}), "linha 2");
    expectRefused(packet(serviceColumns(), {service("X", 1, 1), {T("Y"), T("y")}}), "linha 2");

    // Loading discards an edit in progress along with the change log.
    ds.Edit();
    ds.FieldByName("QTD").SetAsFloat(99);
    ds.Post();
    ASSERT_EQ(ds.ChangeCount(), 1);
    ds.Edit();
    ds.SetData(packet(serviceColumns(), {service("Z", 1, 1)}));
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.State(), TDataSetState::Browse);
    EXPECT_EQ(codes(ds), QStringList({"Z"}));
}

TEST(Loading, ColumnsMatchByNameInAnyCaseAndOrder)
{
    TClientDataSet ds;
    declareServices(ds);
    ds.AddField({.Name = "QUANDO", .DataType = TFieldType::DateTime});
    ds.AddField({.Name = "N", .DataType = TFieldType::Integer});
    // Columns reversed, in lower case, an extra column, integers for a float field.
    ds.SetData(
        packet({{"n", TFieldType::Integer, 0},
                {"quando", TFieldType::DateTime, 0},
                {"EXTRA", TFieldType::String, 3},
                {"nr", TFieldType::Integer, 0},
                {"qtd", TFieldType::Float, 0},
                {"descr", TFieldType::String, 5},
                {"codigo", TFieldType::String, 10}},
               {{qint64{7}, wire::makeDateTime(2024, 3, 1, 10, 30), T("ign"), qint64{1234}, 2.5, T("dd"), T("K1")}}));
    EXPECT_EQ(ds.FieldByName("CODIGO").AsString(), "K1");
    EXPECT_EQ(ds.FieldByName("NR").Value(), wire::Value(1234.0));  // stored as a float
    EXPECT_EQ(ds.FieldByName("NR").AsString(), "1234");
    EXPECT_EQ(ds.FieldByName("N").AsInteger(), 7);
    EXPECT_EQ(ds.FieldByName("QUANDO").AsDateTime(), wire::makeDateTime(2024, 3, 1, 10, 30));

    const wire::DataPacket out = ds.Data();
    ASSERT_EQ(out.fields.size(), 6u);
    EXPECT_EQ(out.fields[0], (wire::FieldDef{"CODIGO", TFieldType::String, 10}));
    EXPECT_EQ(out.fields[3], (wire::FieldDef{"NR", TFieldType::Float, 0}));
    ASSERT_EQ(out.rows.size(), 1u);
    EXPECT_EQ(out.rows[0][0], T("K1"));
    EXPECT_EQ(out.rows[0][3], wire::Value(1234.0));

    // A float column never feeds an integer field.
    EXPECT_THROW(ds.SetData(packet({{"CODIGO", TFieldType::String, 10},
                                    {"DESCR", TFieldType::String, 5},
                                    {"QTD", TFieldType::Float, 0},
                                    {"NR", TFieldType::Float, 0},
                                    {"QUANDO", TFieldType::DateTime, 0},
                                    {"N", TFieldType::Float, 0}},
                                   {})),
                 EDatabaseError);
}

TEST(Loading, DatasetWithoutPersistentFieldsTakesThemFromEachPacket)
{
    TClientDataSet erro;
    EXPECT_FALSE(erro.HasPersistentFields());
    erro.SetData(packet({{"CDERRO", TFieldType::String, 20}, {"CDOBJETO", TFieldType::String, 200}},
                        {{T("ERRO_ATU"), T("Falhou")}}));
    ASSERT_EQ(erro.FieldCount(), 2);
    TField& first = erro.FieldByName("cderro");
    EXPECT_EQ(first.AsString(), "ERRO_ATU");

    // The same layout keeps the same field objects.
    erro.SetData(packet({{"CDERRO", TFieldType::String, 20}, {"CDOBJETO", TFieldType::String, 200}},
                        {{T("Erro_Mens"), T("x")}}));
    EXPECT_EQ(&erro.FieldByName("CDERRO"), &first);
    EXPECT_EQ(first.AsString(), "Erro_Mens");

    // Another layout brings other fields; the old object stays readable as null.
    erro.SetData(packet({{"OUTRO", TFieldType::Float, 0}}, {{3.0}}));
    EXPECT_EQ(erro.FieldCount(), 1);
    EXPECT_EQ(erro.FindField(u"CDERRO"), nullptr);
    EXPECT_TRUE(first.IsNull());
    EXPECT_EQ(erro.FieldByName("OUTRO").AsFloat(), 3.0);
    EXPECT_THROW(erro.FieldByName("CDERRO"), EDatabaseError);

    erro.EmptyDataSet();
    EXPECT_TRUE(erro.IsEmpty());
    EXPECT_TRUE(erro.FieldByName("OUTRO").IsNull());
}

// Data-aware edit, label and navigator over a real client dataset.

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/tdbedit.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tdbtext.h"
#include "framework/ui/tedit.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct Bound {
    QWidget window;
    TClientDataSet data;
    TDataSource source;
    TDBEdit* name;
    TDBEdit* price;
    TDBText* label;
    TDBNavigator* navigator;
    TEdit* other;

    Bound()
    {
        data.AddField({QStringLiteral("CODIGO"), TFieldType::String, 4});
        data.AddField({QStringLiteral("NOME"), TFieldType::String, 10});
        TFieldDef priceDef{QStringLiteral("PRECO"), TFieldType::Float, 0};
        priceDef.DisplayFormat = QStringLiteral("#,##0.00");
        data.AddField(priceDef);
        source.SetDataSet(&data);

        auto* layout = new QVBoxLayout(&window);
        name = new TDBEdit(&window);
        price = new TDBEdit(&window);
        label = new TDBText(&window);
        navigator = new TDBNavigator(&window);
        other = new TEdit(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{name, price, label, navigator, other}) layout->addWidget(w);
        for (TDBEdit* edit : {name, price}) edit->SetDataSource(&source);
        name->SetDataField(QStringLiteral("NOME"));
        price->SetDataField(QStringLiteral("PRECO"));
        label->SetDataSource(&source);
        label->SetDataField(QStringLiteral("NOME"));
        navigator->SetDataSource(&source);
    }

    void Load()
    {
        wire::DataPacket packet;
        packet.fields = {{QStringLiteral("CODIGO"), wire::FieldType::String, 4},
                         {QStringLiteral("NOME"), wire::FieldType::String, 10},
                         {QStringLiteral("PRECO"), wire::FieldType::Float, 0}};
        packet.rows = {
            {wire::Value(QStringLiteral("A")), wire::Value(QStringLiteral("Arroz")), wire::Value(1234.5)},
            {wire::Value(QStringLiteral("B")), wire::Value(QStringLiteral("Batata")), wire::Value(2.0)},
            {wire::Value(QStringLiteral("C")), wire::Value(QStringLiteral("Cenoura")), wire::Value(nullptr)}};
        data.SetData(std::move(packet));
    }

    QString Name() const { return data.FieldByName(QStringLiteral("NOME")).AsString(); }

    bool Enabled(TNavigateBtn b) const { return navigator->Button(b).isEnabled(); }
};

TEST(DBEdit, ShowsTheDisplayTextAtRestAndTheEditTextWhileFocused)
{
    Bound b;
    EXPECT_TRUE(b.price->text().isEmpty()) << "closed dataset";
    EXPECT_TRUE(b.price->isReadOnly());
    b.Load();
    ASSERT_TRUE(WidgetDriver::ShowActive(b.window));
    EXPECT_EQ(b.price->text(), QStringLiteral("1,234.50"));
    EXPECT_EQ(b.label->text(), QStringLiteral("Arroz"));
    WidgetDriver::Focus(*b.price);
    EXPECT_EQ(b.price->text(), QStringLiteral("1234.5"));
    WidgetDriver::Focus(*b.other);
    EXPECT_EQ(b.price->text(), QStringLiteral("1,234.50"));

    // It follows the cursor and changes made by code.
    b.data.Next();
    EXPECT_EQ(b.name->text(), QStringLiteral("Batata"));
    EXPECT_EQ(b.label->text(), QStringLiteral("Batata"));
    b.data.Edit();
    b.data.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("Beterraba"));
    EXPECT_EQ(b.name->text(), QStringLiteral("Beterraba"));
    EXPECT_EQ(b.label->text(), QStringLiteral("Beterraba"));
    b.data.Cancel();
    EXPECT_EQ(b.name->text(), QStringLiteral("Batata"));
    b.data.Next();
    EXPECT_TRUE(b.price->text().isEmpty()) << "null shows nothing";
    b.data.Close();
    EXPECT_TRUE(b.name->text().isEmpty());
    EXPECT_TRUE(b.label->text().isEmpty());
}

TEST(DBEdit, TypingStartsAnEditAndLeavingWritesTheField)
{
    Bound b;
    b.Load();
    ASSERT_TRUE(WidgetDriver::ShowActive(b.window));
    WidgetDriver::Focus(*b.name);
    b.name->end(false);
    QTest::keyClicks(b.name, QStringLiteral(" doce"));
    EXPECT_EQ(b.data.State(), TDataSetState::Edit);
    EXPECT_EQ(b.Name(), QStringLiteral("Arroz")) << "written on exit, not per key";
    WidgetDriver::Focus(*b.other);
    EXPECT_EQ(b.Name(), QStringLiteral("Arroz doce"));
    EXPECT_EQ(b.name->maxLength(), 10) << "a text field's size limits the typing";

    // A post writes what is still being typed.
    WidgetDriver::Focus(*b.price);
    b.price->selectAll();
    QTest::keyClicks(b.price, QStringLiteral("7.25"));
    b.data.Post();
    EXPECT_DOUBLE_EQ(b.data.FieldByName(QStringLiteral("PRECO")).AsFloat(), 7.25);
    EXPECT_EQ(b.data.State(), TDataSetState::Browse);
}

TEST(DBEdit, EscGivesBackTheValueAndARefusedTextKeepsTheFocus)
{
    ScopedDialogs dialogs;
    Bound b;
    b.Load();
    ASSERT_TRUE(WidgetDriver::ShowActive(b.window));
    WidgetDriver::Focus(*b.name);
    b.name->selectAll();
    QTest::keyClicks(b.name, QStringLiteral("Outro"));
    QTest::keyClick(b.name, Qt::Key_Escape);
    EXPECT_EQ(b.name->text(), QStringLiteral("Arroz"));
    EXPECT_FALSE(b.name->Modified());

    WidgetDriver::Focus(*b.price);
    b.price->selectAll();
    QTest::keyClicks(b.price, QStringLiteral("abc"));
    WidgetDriver::Focus(*b.other);
    EXPECT_EQ(QApplication::focusWidget(), b.price) << "the field refused the text";
    ASSERT_EQ(dialogs->Errors().size(), 1);
    EXPECT_DOUBLE_EQ(b.data.FieldByName(QStringLiteral("PRECO")).AsFloat(), 1234.5);
    EXPECT_THROW(b.data.Post(), Exception) << "and so does the post";
    EXPECT_EQ(b.data.State(), TDataSetState::Edit);
}

TEST(DBEdit, NothingIsTypedWhenTheDataSetOrTheFieldRefuses)
{
    ScopedDialogs dialogs;
    Bound b;
    b.Load();
    ASSERT_TRUE(WidgetDriver::ShowActive(b.window));
    b.data.BeforeEdit = [](TClientDataSet&) { Abort(); };
    WidgetDriver::Focus(*b.name);
    QTest::keyClicks(b.name, QStringLiteral("x"));
    EXPECT_EQ(b.name->text(), QStringLiteral("Arroz"));
    EXPECT_EQ(b.data.State(), TDataSetState::Browse);
    EXPECT_TRUE(dialogs->Errors().isEmpty()) << "a silent refusal stays silent";

    b.data.BeforeEdit = nullptr;
    b.data.FieldByName(QStringLiteral("NOME")).SetReadOnly(true);
    WidgetDriver::Focus(*b.other);
    WidgetDriver::Focus(*b.name);
    QTest::keyClicks(b.name, QStringLiteral("y"));
    EXPECT_EQ(b.name->text(), QStringLiteral("Arroz")) << "a read-only field takes no typing";
    EXPECT_EQ(b.data.State(), TDataSetState::Browse);
    EXPECT_TRUE(b.name->isReadOnly());
    b.name->SetReadOnly(false);
    EXPECT_TRUE(b.name->isReadOnly()) << "the field's flag wins";

    b.data.FieldByName(QStringLiteral("NOME")).SetReadOnly(false);
    b.name->SetReadOnly(true);
    QTest::keyClicks(b.name, QStringLiteral("z"));
    EXPECT_EQ(b.name->text(), QStringLiteral("Arroz")) << "nor does a read-only control";
    b.name->SetReadOnly(false);
    QTest::keyClicks(b.name, QStringLiteral("z"));
    EXPECT_EQ(b.data.State(), TDataSetState::Edit);
}

TEST(DBEdit, TakesTheFieldsEditMask)
{
    Bound b;
    b.Load();
    b.data.FieldByName(QStringLiteral("CODIGO")).SetEditMask(QStringLiteral(">aaaa;0; "));
    auto* code = new TDBEdit(&b.window);
    code->SetDataSource(&b.source);
    code->SetDataField(QStringLiteral("CODIGO"));
    EXPECT_EQ(code->EditMask(), QStringLiteral(">aaaa;0; "));
    EXPECT_EQ(code->Text(), QStringLiteral("A"));
    ASSERT_TRUE(WidgetDriver::ShowActive(b.window));
    WidgetDriver::Focus(*code);
    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("xy"));
    WidgetDriver::Focus(*b.other);
    EXPECT_EQ(b.data.FieldByName(QStringLiteral("CODIGO")).AsString(), QStringLiteral("XY"));
}

TEST(DBNavigator, ButtonsFollowTheEndsAndMoveTheDataSet)
{
    ScopedDialogs dialogs;
    Bound b;
    EXPECT_FALSE(b.Enabled(TNavigateBtn::nbFirst) || b.Enabled(TNavigateBtn::nbNext)) << "closed";
    b.Load();
    EXPECT_FALSE(b.Enabled(TNavigateBtn::nbFirst));
    EXPECT_FALSE(b.Enabled(TNavigateBtn::nbPrior));
    EXPECT_TRUE(b.Enabled(TNavigateBtn::nbNext));
    EXPECT_TRUE(b.Enabled(TNavigateBtn::nbLast));

    b.navigator->Button(TNavigateBtn::nbNext).click();
    EXPECT_EQ(b.data.RecNo(), 2);
    EXPECT_TRUE(b.Enabled(TNavigateBtn::nbPrior));
    b.navigator->Button(TNavigateBtn::nbLast).click();
    EXPECT_EQ(b.data.RecNo(), 3);
    EXPECT_FALSE(b.Enabled(TNavigateBtn::nbNext));
    EXPECT_FALSE(b.Enabled(TNavigateBtn::nbLast));
    b.data.Prior();  // moves made elsewhere count too
    EXPECT_TRUE(b.Enabled(TNavigateBtn::nbLast));
    b.navigator->Button(TNavigateBtn::nbFirst).click();
    EXPECT_EQ(b.data.RecNo(), 1);

    // A pending edit is posted on the way; a refused post keeps the row and is shown.
    b.data.Edit();
    b.data.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("Alho"));
    b.navigator->Button(TNavigateBtn::nbNext).click();
    EXPECT_EQ(b.data.RecNo(), 2);
    b.data.First();
    EXPECT_EQ(b.Name(), QStringLiteral("Alho"));
    b.data.BeforePost = [](TClientDataSet&) { throw EDatabaseError(QStringLiteral("Nome inválido.")); };
    b.data.Edit();
    b.data.FieldByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("X"));
    b.navigator->Button(TNavigateBtn::nbNext).click();
    EXPECT_EQ(b.data.RecNo(), 1);
    EXPECT_EQ(b.data.State(), TDataSetState::Edit);
    EXPECT_EQ(dialogs->Errors(), QStringList{"Nome inválido."});
}

}  // namespace

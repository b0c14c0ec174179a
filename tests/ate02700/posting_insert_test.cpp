// New service rows posted as the operator adds them: the code typed and looked up, the
// quantity typed, the row checked, priced once and saved; and each coded pricing failure of
// the demo reached by adding its service, shown with its argument in place.

#include "tests/ate02700/posting_env.h"

#include "framework/data/field.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"
#include "framework/units/showavi.h"

#include <QApplication>

namespace ate02700test {
namespace {

template <class T> class PostingInsert : public T {
protected:
    // Insert on the first row, the code typed and its column left (the lookup fills the row),
    // then the service quantity typed.
    void AddService(TfrmManuDelValor& form, const QString& digits, const QString& quantity)
    {
        QString first;
        form.cdsServicoDel->ReadRow(0, [&] { first = form.fldServicoDel.CDARVSERV->AsString(); });
        this->ClickCell(form, first, "CDARVSERV");
        this->Key(Qt::Key_Insert);
        ASSERT_EQ(form.cdsServicoDel->State(), TDataSetState::Insert)
            << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
        this->Type(digits);
        this->Key(Qt::Key_Tab);
        ASSERT_TRUE(this->dialogs_->Errors().isEmpty())
            << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
        this->ClickCell(form, form.fldServicoDel.CDARVSERV->AsString(), "QTATUAPRODSP");
        this->Type(quantity);
        this->Key(Qt::Key_Tab);
    }
};
using Engines = ::testing::Types<OnSQLite, OnPostgreSQL>;
TYPED_TEST_SUITE(PostingInsert, Engines);

TYPED_TEST(PostingInsert, ANewServiceIsPricedOnceSavedAndCountedInTheDelivery)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 delivery = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 14), QDate(2026, 11, 14),
                                               QStringLiteral("1010"), QDate(2026, 11, 14));
    ASSERT_FALSE(this->Stored(delivery, QStringLiteral("SV10"), "QTSERFATSP").isValid()) << "not in the delivery yet";
    const int lines = this->LineCount(delivery);
    const int pricing = this->Calls("CalculaPreco");
    const int saves = this->Calls("SetServicoDel");

    this->AddService(form, QStringLiteral("01010003"), QStringLiteral("4"));  // vegetarian meal
    this->Click(*form.sbtGravar);
    EXPECT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(this->Calls("CalculaPreco"), pricing + 1);
    EXPECT_EQ(this->Calls("SetServicoDel"), saves + 1);
    EXPECT_EQ(this->LineCount(delivery), lines + 1);
    const QString sv = QStringLiteral("SV10");
    EXPECT_DOUBLE_EQ(this->Stored(delivery, sv, "QTSERFATSP").toDouble(), 4.0);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, sv, "QTSESBYPRSP").toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, sv, "QTSERVFIXSP").toDouble(), 4.0);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, sv, "QTSESOLICSP").toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(this->Stored(delivery, sv, "QTREALPROD").toDouble(), 4.0);
    EXPECT_EQ(this->Stored(delivery, sv, "IDTIPSCBOSP").toString(), QStringLiteral("5"));
    EXPECT_EQ(this->Stored(delivery, sv, "CDUSRRESPSP").toString(), QStringLiteral("OPER01"));
    EXPECT_GT(this->Stored(delivery, sv, "VRTOTSERVR").toDouble(), 0.0);
    EXPECT_NEAR(this->StoredDelivery(delivery, "VRBACATX").toDouble(), this->SumOfLines(delivery), 0.001);
    // Back on the delivery and on the new service, as the server stored it.
    EXPECT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), delivery);
    EXPECT_EQ(form.fldServicoDel.CDARVSERV->AsString(), QStringLiteral("01.01.0003"));
    EXPECT_EQ(form.cdsServicoDel->RecordCount(), lines + 1);
    EXPECT_EQ(form.cdsServicoDel->ChangeCount(), 0);
    EXPECT_NEAR(form.fldDelivery.VRTOTDELIV->AsFloat(), this->StoredDelivery(delivery, "VRTOTDELIV").toDouble(), 0.001);
    EXPECT_FALSE(Showavi::IsShowing());
}

TYPED_TEST(PostingInsert, EachCodedPricingFailureOfTheDemoShowsItsMessageWithItsArgument)
{
    struct Case {
        const char* airline;
        int day;
        const char* numero;
        const char* digits;
        const char* key;
        const char* argument;
    };
    const Case cases[] = {
        {"TRAPA", 12, "009004/2026", "05010001", "Evoo_Inter", "TRAPA"},
        {"CAB", 16, "009005/2026", "01010002", "Eser_Preco", "01.01.0002"},
        {"CAB", 18, "009006/2026", "05010001", "Eser_Prepr", "05.01.0001"},
        {"CAB", 15, "009007/2026", "01040001", "Eser_PreDa", "01.04.0001"},
        {"CAB", 21, "009008/2026", "02030001", "Eser_IndFi", "02.03.0001"},
        {"LAA", 21, "009009/2026", "13010001", "Eser_CAdRe", "13.01.0001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        TfrmManuDelValor& form = this->OpenScreen();
        const QDate day(2026, 11, c.day);
        const qint64 delivery = this->OpenDelivery(form, QString::fromLatin1(c.airline), day, day, QString(), day,
                                                   QString::fromLatin1(c.numero));
        const int lines = this->LineCount(delivery);
        const int saves = this->Calls("SetServicoDel");
        this->dialogs_->ClearShown();

        this->AddService(form, QString::fromLatin1(c.digits), QStringLiteral("3"));
        this->Click(*form.sbtGravar);
        const QString expected = form.msgPadrao->Msg(QString::fromLatin1(c.key))
                                     .replace(QStringLiteral("%s"), QString::fromLatin1(c.argument));
        EXPECT_EQ(this->dialogs_->Errors(), QStringList{expected});
        EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Insert);
        EXPECT_FALSE(Showavi::IsShowing());
        EXPECT_EQ(this->Calls("SetServicoDel"), saves);
        EXPECT_EQ(this->LineCount(delivery), lines);

        // The operator gives up the new row: nothing stays behind.
        this->dialogs_->AnswerMessage(TModalResult::Yes);
        this->Click(*form.sbtCancelar);
        EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
        EXPECT_EQ(form.cdsServicoDel->RecordCount(), lines);
        Application().DestroyForms();
        FlushDeletes();
    }
}

}  // namespace
}  // namespace ate02700test

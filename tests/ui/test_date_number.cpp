// The date edit (typing, validation on exit, colour, calendar) and the number edit.

#include "framework/core/exceptions.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tnumberedit.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct DateForm {
    QWidget window;
    TDateEditPlus* date = nullptr;
    TDateEditPlus* other = nullptr;

    DateForm()
    {
        auto* layout = new QVBoxLayout(&window);
        date = new TDateEditPlus(&window);
        other = new TDateEditPlus(&window);
        layout->addWidget(date);
        layout->addWidget(other);
        for (TDateEditPlus* d : {date, other}) {
            d->SetValidDateColor(Qt::blue);
            d->SetSaveTime(false);
            d->OnExit = [d](QObject&) { d->CheckValidDate(); };
        }
    }
};

TEST(DateEditPlus, ImpossibleDateIsRefusedOnExitAndTheFocusStays)
{
    ScopedDialogs dialogs;
    DateForm f;
    ASSERT_TRUE(WidgetDriver::ShowActive(f.window));
    f.date->SetFocus();
    f.date->setCursorPosition(0);
    QTest::keyClicks(f.date, QStringLiteral("31022026"));
    EXPECT_EQ(f.date->EditText(), QStringLiteral("31/02/2026"));
    EXPECT_FALSE(f.date->GetDate().isValid());

    QTest::keyClick(f.date, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.date);
    EXPECT_EQ(dialogs->Errors(), QStringList{"\"31/02/2026\" não é uma data válida."});

    // Corrected, the operator moves on.
    f.date->SetText(QStringLiteral("28/02/2026"));
    QTest::keyClick(f.date, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.other);
    EXPECT_EQ(dialogs->Errors().size(), 1);
}

TEST(DateEditPlus, EmptyEditPassesAndAPartialOneDoesNot)
{
    ScopedDialogs dialogs;
    DateForm f;
    EXPECT_EQ(f.date->Text(), QStringLiteral("  /  /    "));
    EXPECT_TRUE(f.date->IsEmpty());
    EXPECT_FALSE(f.date->GetDate().isValid());
    EXPECT_NO_THROW(f.date->CheckValidDate());

    f.date->SetText(QStringLiteral("01/05/26"));  // a two-digit year is no date
    EXPECT_THROW(f.date->CheckValidDate(), EAbort);
    EXPECT_EQ(dialogs->Errors().size(), 1);
}

TEST(DateEditPlus, DateRoundTripAndColourOfValidDates)
{
    DateForm f;
    const QColor normal = f.date->FontColor();
    int changes = 0;
    f.date->OnChange = [&](QObject&) { ++changes; };

    f.date->SetDate(QDate(2026, 3, 9));
    EXPECT_EQ(f.date->Text(), QStringLiteral("09/03/2026"));
    EXPECT_EQ(f.date->GetDate(), QDate(2026, 3, 9));
    EXPECT_EQ(f.date->FontColor(), QColor(Qt::blue));
    EXPECT_EQ(changes, 1);

    f.date->SetText(QStringLiteral("30/02/2026"));
    EXPECT_EQ(f.date->FontColor(), normal);

    f.date->SetDate(QDate());
    EXPECT_TRUE(f.date->IsEmpty());
    EXPECT_EQ(f.date->FontColor(), normal);

    // Blanks around day and month are fine; the date has no time unless asked to keep it.
    f.date->SetText(QStringLiteral(" 1/ 2/2026"));
    EXPECT_EQ(f.date->GetDate(), QDate(2026, 2, 1));
    f.date->SetDateTime(QDateTime(QDate(2026, 2, 1), QTime(14, 30)));
    EXPECT_EQ(f.date->GetDateTime().time(), QTime(0, 0));
    f.date->SetSaveTime(true);
    f.date->SetDateTime(QDateTime(QDate(2026, 2, 1), QTime(14, 30)));
    EXPECT_EQ(f.date->GetDateTime().time(), QTime(14, 30));
}

TEST(DateEditPlus, CalendarShowsTheGivenWeekDayNamesAndPicksADay)
{
    DateForm f;
    const QStringList names{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};
    f.date->SetWeekDayNames(names);
    f.date->SetDate(QDate(2026, 7, 15));
    ASSERT_TRUE(WidgetDriver::ShowActive(f.window));
    f.date->SetFocus();
    QTest::keyClick(f.date, Qt::Key_F4);

    auto* popup = f.date->findChild<QWidget*>(QStringLiteral("calendarPopup"));
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    QStringList shown;
    for (int i = 0; i < 7; ++i) shown << popup->findChild<QLabel*>(QStringLiteral("weekDay%1").arg(i))->text();
    EXPECT_EQ(shown, names);
    auto* calendar = popup->findChild<QCalendarWidget*>();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 7, 15));
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);

    calendar->setSelectedDate(QDate(2026, 7, 20));
    auto* days = calendar->findChild<QTableView*>();
    ASSERT_NE(days, nullptr);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(f.date->GetDate(), QDate(2026, 7, 20));
    EXPECT_FALSE(popup->isVisible());
}

TEST(NumberEdit, FormatsWithAndWithoutThousandsSeparator)
{
    TNumberEdit edit;
    edit.SetDecimals(2);
    edit.SetNumber(1234567.891);
    EXPECT_EQ(edit.Text(), QStringLiteral("1,234,567.89"));
    edit.SetThousandSeparator(false);
    EXPECT_EQ(edit.Text(), QStringLiteral("1234567.89"));
    EXPECT_DOUBLE_EQ(edit.Number(), 1234567.891) << "the number keeps what was set";
    edit.SetNumber(-0.5);
    EXPECT_EQ(edit.Text(), QStringLiteral("-0.50"));
    edit.SetDecimals(0);
    edit.SetNumber(7.5);
    EXPECT_EQ(edit.Text(), QStringLiteral("8"));
    edit.SetCurrency(true);
    EXPECT_EQ(edit.Text(), QLocale().currencySymbol() + QStringLiteral(" 8"));
}

TEST(NumberEdit, OperatorEditsThePlainNumberAndChangesFireOnlyForNewNumbers)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new TNumberEdit(&window);
    auto* other = new TNumberEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->SetNumber(1500);
    int changes = 0;
    edit->OnChange = [&](QObject&) { ++changes; };
    ASSERT_TRUE(WidgetDriver::ShowActive(window));

    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->Text(), QStringLiteral("1500.00")) << "no separators while editing";
    EXPECT_EQ(changes, 0) << "showing the same number differently is no change";
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("2x5.755"));
    EXPECT_EQ(edit->Text(), QStringLiteral("25.75")) << "letters and a third decimal are refused";
    EXPECT_DOUBLE_EQ(edit->Number(), 25.75);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), other);
    EXPECT_EQ(edit->Text(), QStringLiteral("25.75"));
    edit->SetNumber(3000);
    EXPECT_EQ(edit->Text(), QStringLiteral("3,000.00"));
    EXPECT_GT(changes, 0);
}

}  // namespace

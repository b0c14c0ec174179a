// Masked and plain edits driven with real key presses.

#include "framework/core/exceptions.h"
#include "framework/ui/tmaskedit.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A masked edit and a second edit to move to, in an active window.
struct EditForm {
    QWidget window;
    TMaskEdit* edit = nullptr;
    TMaskEdit* next = nullptr;

    explicit EditForm(const QString& mask)
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new TMaskEdit(&window);
        edit->SetEditMask(mask);
        next = new TMaskEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(next);
    }

    bool Start()
    {
        if (!WidgetDriver::ShowActive(window)) return false;
        edit->SetFocus();
        edit->setCursorPosition(0);
        return QApplication::focusWidget() == edit;
    }
};

TEST(MaskEdit, BranchMaskTakesFourLettersOrDigitsInUpperCase)
{
    EditForm f(QStringLiteral(">aaaa;0; "));
    ASSERT_TRUE(f.Start());
    QStringList changes;
    f.edit->OnChange = [&](QObject&) { changes << f.edit->Text(); };

    QTest::keyClicks(f.edit, QStringLiteral("s-p1xz"));
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("SP1X"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("SP1X"));
    EXPECT_EQ(changes, (QStringList{"S", "SP", "SP1", "SP1X"})) << "one change per accepted key";

    f.edit->Clear();
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("    "));
    EXPECT_EQ(f.edit->Text(), QString());
    EXPECT_TRUE(f.edit->IsEmpty());

    f.edit->SetText(QStringLiteral("ab"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("AB"));
    EXPECT_EQ(changes.last(), QStringLiteral("AB")) << "text set by code fires OnChange too";
}

TEST(MaskEdit, DigitMaskRefusesLetters)
{
    EditForm f(QStringLiteral("9999;0; "));
    ASSERT_TRUE(f.Start());
    QTest::keyClicks(f.edit, QStringLiteral("1a2b34"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("1234"));
    f.edit->SetText(QStringLiteral("7"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("7"));
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("7   "));
}

TEST(MaskEdit, TextSetByCodeKeepsEveryCharacterInItsPlace)
{
    // QLineEdit alone would slide "3" into the first blank position.
    EditForm f(QStringLiteral("00-00;1;_"));
    f.edit->SetText(QStringLiteral("1_-_3"));
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("1_-_3"));
    f.edit->SetText(QStringLiteral("12-34"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("12-34"));
}

TEST(MaskEdit, LeavingWithARequiredPositionBlankIsRefusedAndEscGivesTheOldTextBack)
{
    ScopedDialogs dialogs;
    EditForm f(QStringLiteral("LL-000;0;_"));
    f.edit->SetText(QStringLiteral("AB123"));
    ASSERT_TRUE(f.Start());

    f.edit->selectAll();
    QTest::keyClicks(f.edit, QStringLiteral("CD1"));
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("CD-1__"));
    QTest::keyClick(f.edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.edit);
    EXPECT_EQ(dialogs->Errors(), QStringList{"Valor inválido. Use a tecla Esc para abandonar as alterações."});
    EXPECT_EQ(f.edit->cursorPosition(), 4) << "the cursor waits at the first missing digit";

    QTest::keyClick(f.edit, Qt::Key_Escape);
    EXPECT_EQ(f.edit->Text(), QStringLiteral("AB123"));
    QTest::keyClick(f.edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.next);
    EXPECT_EQ(dialogs->Errors().size(), 1);
}

TEST(MaskEdit, AnEmptiedEditMayBeLeftAndAnUntouchedOneIsNotChecked)
{
    ScopedDialogs dialogs;
    EditForm f(QStringLiteral("LL-000;0;_"));
    f.edit->SetText(QStringLiteral("A"));  // incomplete, but set by code
    ASSERT_TRUE(f.Start());
    QTest::keyClick(f.edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.next);

    f.edit->SetFocus();
    f.edit->selectAll();
    QTest::keyClick(f.edit, Qt::Key_Delete);
    EXPECT_TRUE(f.edit->IsEmpty());
    QTest::keyClick(f.edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), f.next);
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST(MaskEdit, WithoutAMaskItIsAPlainEditWithCaseAndLength)
{
    EditForm f{QString()};
    f.edit->SetCharCase(TEditCharCase::UpperCase);
    f.edit->SetMaxLength(3);
    ASSERT_TRUE(f.Start());
    QStringList changes;
    f.edit->OnChange = [&](QObject&) { changes << f.edit->Text(); };
    QTest::keyClicks(f.edit, QStringLiteral("tamx"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("TAM"));
    EXPECT_EQ(changes, (QStringList{"T", "TA", "TAM"})) << "no lower-case text is ever seen";
    f.edit->SetText(QStringLiteral("gol"));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("GOL"));
}

TEST(MaskEdit, ChangingTheMaskKeepsTheText)
{
    TMaskEdit edit;
    edit.SetText(QStringLiteral("ab12"));
    int changes = 0;
    edit.OnChange = [&](QObject&) { ++changes; };
    edit.SetEditMask(QStringLiteral(">aaaa;0; "));
    EXPECT_EQ(edit.Text(), QStringLiteral("AB12"));
    EXPECT_EQ(changes, 1);
    edit.SetEditMask(QString());
    EXPECT_EQ(edit.Text(), QStringLiteral("AB12"));
    EXPECT_EQ(changes, 1);
}

}  // namespace

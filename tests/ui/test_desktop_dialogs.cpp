// The desktop message boxes, answered with keys and clicks inside their modal
// loops.

#include "framework/ui/dialogs.h"
#include "tests/support/gui/scripted_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

void WhenModal(std::function<void(QWidget&)> drive)
{
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no dialog came up";
            return;
        }
        drive(*modal);
    });
}

QStringList ButtonTexts(const QMessageBox& box)
{
    QStringList texts;
    for (QAbstractButton* b : box.buttons()) texts << b->text();
    texts.sort();
    return texts;
}

TEST(DesktopDialogs, ConfirmationOffersSimAndNaoAndEscAnswersNo)
{
    ScopedDesktopDialogs desktop;
    QStringList buttons;
    QString text;
    WhenModal([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        buttons = ButtonTexts(*box);
        text = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(Dialogs().MessageDlg(QStringLiteral("Cancelar operação?"), TMsgDlgType::Confirmation, mbYes | mbNo, 0),
              TModalResult::No);
    EXPECT_EQ(buttons, (QStringList{"&Não", "&Sim"}));
    EXPECT_EQ(text, QStringLiteral("Cancelar operação?"));

    WhenModal([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, Qt::Key_Return);  // the first button is the default
    });
    EXPECT_EQ(Dialogs().MessageDlg(QStringLiteral("Confirma?"), TMsgDlgType::Confirmation, mbYes | mbNo, 0),
              TModalResult::Yes);
}

TEST(DesktopDialogs, ErrorAndInformationShowTheTextPlainWithItsLineBreaks)
{
    ScopedDesktopDialogs desktop;
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    WhenModal([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        format = box->textFormat();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    Dialogs().ShowError(QStringLiteral("Data <inicial>\r\ninválida.\r\n"));
    EXPECT_EQ(shown, QStringLiteral("Data <inicial>\ninválida.\n"));
    EXPECT_EQ(format, Qt::PlainText) << "a \"<\" in a message is text, not markup";

    WhenModal([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ButtonTexts(*box), QStringList{"OK"});
        box->buttons().first()->click();
    });
    EXPECT_EQ(Dialogs().MessageDlg(QStringLiteral("Feito."), TMsgDlgType::Information, mbOK, 0), TModalResult::OK);
}

}  // namespace

// What a move of the delivery on the services tab, and the edit and save of a row, change on
// the screen around the lists: the filter panel's controls change their state only when the
// edit state changes, the delivery caption is shown whole, and nothing around it is laid out
// again for a caption of another length.

#include "tests/ate02700/posting_env.h"

#include "framework/data/field.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMdiSubWindow>
#include <QTest>

#include <map>

namespace ate02700test {
namespace {

template <class T> class ServicesRedraw : public T {};
using Engines = ::testing::Types<OnSQLite, OnPostgreSQL>;
TYPED_TEST_SUITE(ServicesRedraw, Engines);

// Counts events of one kind received by each watched object.
class EventCounter : public QObject {
public:
    explicit EventCounter(QEvent::Type type) : type_(type) {}
    void Watch(QObject& object) { object.installEventFilter(this); }
    int Of(const QObject& object) const
    {
        const auto it = counts_.find(&object);
        return it == counts_.end() ? 0 : it->second;
    }
    int Total() const
    {
        int total = 0;
        for (const auto& [object, count] : counts_) total += count;
        return total;
    }
    void Clear() { counts_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == type_) ++counts_[watched];
        return false;
    }

private:
    QEvent::Type type_;
    std::map<const QObject*, int> counts_;
};

void NextDelivery(TfrmManuDelValor& form)
{
    QTest::mouseClick(&form.dbnPadrao->Button(TNavigateBtn::nbNext), Qt::LeftButton);
    QApplication::processEvents();
}

TYPED_TEST(ServicesRedraw, TheFilterPanelChangesOnlyWithTheEditStateAndItsNamesNever)
{
    TfrmManuDelValor& form = this->OpenScreen();
    const qint64 first = this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 17), QDate(2026, 11, 18),
                                            QStringLiteral("1010"), QDate(2026, 11, 17));
    EventCounter changes(QEvent::EnabledChange);
    const auto controls = form.panFiltro->findChildren<QWidget*>();
    ASSERT_FALSE(controls.isEmpty());
    for (QWidget* control : controls) changes.Watch(*control);

    // Moves: no control changes its state.
    NextDelivery(form);
    NextDelivery(form);
    ASSERT_NE(form.fldDelivery.NRDELIVERY->AsInteger(), first);
    EXPECT_EQ(changes.Total(), 0);
    EXPECT_FALSE(form.edtNmFilial->isEnabled());
    EXPECT_FALSE(form.edtNmCia->isEnabled());
    EXPECT_TRUE(form.medCdFilial->isEnabled());
    EXPECT_TRUE(form.medCompanhia->isEnabled());

    // Editing a row shuts the panel; the save opens it again. The names stay shut throughout.
    QTest::mouseClick(&form.dbnPadrao->Button(TNavigateBtn::nbFirst), Qt::LeftButton);
    ASSERT_EQ(form.fldDelivery.NRDELIVERY->AsInteger(), first);
    ASSERT_TRUE(form.fldDelivery.NRDELIVERYFA->IsNull());
    EXPECT_EQ(changes.Total(), 0);
    QString code;
    form.cdsServicoDel->ReadRow(0, [&] { code = form.fldServicoDel.CDARVSERV->AsString(); });
    this->ClickCell(form, code, "QTSESBYUTSP");
    this->Type(QStringLiteral("1"));
    ASSERT_EQ(form.cdsServicoDel->State(), TDataSetState::Edit);
    for (const QWidget* control : controls) EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(changes.Of(*form.medCompanhia), 1);
    this->Click(*form.sbtGravar);
    ASSERT_TRUE(this->dialogs_->Errors().isEmpty()) << this->dialogs_->Errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(form.cdsServicoDel->State(), TDataSetState::Browse);
    EXPECT_TRUE(form.medCompanhia->isEnabled());
    EXPECT_TRUE(form.medCdFilial->isEnabled());
    EXPECT_EQ(changes.Of(*form.medCompanhia), 2);
    EXPECT_EQ(changes.Of(*form.edtNmFilial), 0);
    EXPECT_EQ(changes.Of(*form.edtNmCia), 0);
    EXPECT_FALSE(form.edtNmFilial->isEnabled());
    EXPECT_FALSE(form.edtNmCia->isEnabled());
}

TYPED_TEST(ServicesRedraw, TheDeliveryCaptionShowsWholeAndLaysOutNothingAroundIt)
{
    TfrmManuDelValor& form = this->OpenScreen();
    this->OpenDelivery(form, QStringLiteral("CAB"), QDate(2026, 11, 1), QDate(2026, 11, 6), QStringLiteral("1010"),
                       QDate(2026, 11, 1));
    EventCounter layouts(QEvent::LayoutRequest);
    for (QObject* around : {static_cast<QObject*>(form.panNavigator), static_cast<QObject*>(&form),
                            static_cast<QObject*>(form.MdiWindow())})
        layouts.Watch(*around);

    // Captions of other lengths: the delivery numbers and the airline names differ.
    QStringList captions;
    for (int move = 0; move < 6; ++move) {
        NextDelivery(form);
        const QString caption = form.lblNmCia->Caption();
        captions << caption;
        EXPECT_EQ(caption,
                  form.fldDelivery.NRDELIVERY->AsString() + QStringLiteral(" - ") + form.fldDelivery.NMCIA->AsString());
        // Whole, and inside the panel beside the navigator.
        const QFontMetrics metrics(form.lblNmCia->font());
        EXPECT_GE(form.lblNmCia->width(), metrics.horizontalAdvance(caption)) << caption.toStdString();
        EXPECT_TRUE(form.panNavigator->rect().contains(form.lblNmCia->geometry()));
        EXPECT_GT(form.lblNmCia->x(), form.dbnPadrao->geometry().right());
        EXPECT_TRUE(form.lblNmCia->isVisible());
    }
    captions.removeDuplicates();
    EXPECT_GT(captions.size(), 1);
    EXPECT_EQ(layouts.Total(), 0);

    // The label follows the panel when the window is resized.
    const int width = form.lblNmCia->width();
    form.MdiWindow()->resize(form.MdiWindow()->width() + 120, form.MdiWindow()->height());
    QApplication::processEvents();
    EXPECT_NEAR(form.lblNmCia->width(), width + 120, 1);
}

}  // namespace
}  // namespace ate02700test

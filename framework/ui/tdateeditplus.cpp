#include "framework/ui/tdateeditplus.h"

#include "framework/core/exceptions.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/guard.h"

#include <QAction>
#include <QCalendarWidget>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr auto kMask = "99/99/9999;1; ";

// A small calendar drawn for the drop-down button.
QIcon CalendarIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(180, 40, 40));
    p.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 2) {
        for (int x = 3; x <= 12; x += 3) p.drawPoint(x, y);
    }
    return QIcon(pixmap);
}

// dd/mm/yyyy with blanks allowed around the day and the month; the year has four digits.
QDate ParseDate(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3) return {};
    bool okDay = false;
    bool okMonth = false;
    bool okYear = false;
    const QString dayText = parts[0].trimmed();
    const QString monthText = parts[1].trimmed();
    const QString yearText = parts[2].trimmed();
    if (dayText.isEmpty() || monthText.isEmpty() || yearText.size() != 4) return {};
    const int day = dayText.toInt(&okDay);
    const int month = monthText.toInt(&okMonth);
    const int year = yearText.toInt(&okYear);
    if (!okDay || !okMonth || !okYear) return {};
    return QDate(year, month, day);  // invalid for an impossible day
}

// The drop-down: the week day names of the edit over a month grid.
class CalendarPopup : public QFrame {
public:
    CalendarPopup(TDateEditPlus& edit, const QStringList& names) : QFrame(&edit, Qt::Popup), edit_(edit)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setObjectName(QStringLiteral("calendarPopup"));
        calendar_ = new QCalendarWidget(this);
        calendar_->setObjectName(QStringLiteral("calendar"));
        calendar_->setFirstDayOfWeek(Qt::Sunday);
        calendar_->setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
        calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar_->setGridVisible(true);
        const QDate shown = edit.GetDate();
        calendar_->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());

        auto* header = new QGridLayout;
        header->setSpacing(0);
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        for (int i = 0; i < 7; ++i) {
            auto* label = new QLabel(names.value(i), this);
            label->setAlignment(Qt::AlignCenter);
            label->setFont(small);
            label->setObjectName(QStringLiteral("weekDay%1").arg(i));
            header->addWidget(label, 0, i);
        }
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(2, 2, 2, 2);
        layout->setSpacing(2);
        layout->addLayout(header);
        layout->addWidget(calendar_);
        setMinimumWidth(7 * (fontMetrics().horizontalAdvance(QStringLiteral("Segunda")) + 6));

        connect(calendar_, &QCalendarWidget::activated, this, &CalendarPopup::Pick);
        connect(calendar_, &QCalendarWidget::clicked, this, &CalendarPopup::Pick);
    }

    QCalendarWidget* Calendar() const { return calendar_; }

private:
    void Pick(const QDate& date)
    {
        close();
        Guard::Run([&] { edit_.SetDate(date); });
        edit_.setFocus(Qt::PopupFocusReason);
    }

    TDateEditPlus& edit_;
    QCalendarWidget* calendar_ = nullptr;
};

}  // namespace

TDateEditPlus::TDateEditPlus(QWidget* parent) : TMaskEdit(parent)
{
    SetEditMask(QString::fromLatin1(kMask));
    fontColor_ = palette().color(QPalette::Active, QPalette::Text);
    const QLocale locale;
    for (int day : {7, 1, 2, 3, 4, 5, 6}) weekDayNames_ << locale.dayName(day, QLocale::ShortFormat);
    QAction* drop = addAction(CalendarIcon(), QLineEdit::TrailingPosition);
    drop->setToolTip(QStringLiteral("Calendário"));
    connect(drop, &QAction::triggered, this, &TDateEditPlus::ShowCalendar);
}

QDate TDateEditPlus::GetDate() const
{
    if (IsEmpty()) return {};
    return ParseDate(EditText());
}

void TDateEditPlus::SetDate(const QDate& date)
{
    SetText(date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString());
}

QDateTime TDateEditPlus::GetDateTime() const
{
    const QDate date = GetDate();
    if (!date.isValid()) return {};
    return QDateTime(date, saveTime_ && time_.isValid() ? time_ : QTime(0, 0));
}

void TDateEditPlus::SetDateTime(const QDateTime& dateTime)
{
    time_ = dateTime.isValid() ? dateTime.time() : QTime();
    SetDate(dateTime.isValid() ? dateTime.date() : QDate());
}

void TDateEditPlus::SetValidDateColor(const QColor& color)
{
    validDateColor_ = color;
    PaintTextColour();
}

void TDateEditPlus::SetFontColor(const QColor& color)
{
    fontColor_ = color;
    PaintTextColour();
}

void TDateEditPlus::SetWeekDayNames(const QStringList& names) { weekDayNames_ = names; }

void TDateEditPlus::CheckValidDate()
{
    if (IsEmpty() || GetDate().isValid()) return;
    setFocus(Qt::OtherFocusReason);
    Dialogs().ShowError(QStringLiteral("\"%1\" não é uma data válida.").arg(EditText()));
    Abort();
}

void TDateEditPlus::ShowCalendar()
{
    if (isReadOnly() || !isEnabled()) return;
    auto* popup = new CalendarPopup(*this, weekDayNames_);  // deletes itself on close
    popup->adjustSize();
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    popup->Calendar()->setFocus(Qt::PopupFocusReason);
}

void TDateEditPlus::Change()
{
    PaintTextColour();
    TMaskEdit::Change();
}

void TDateEditPlus::keyPressEvent(QKeyEvent* event)
{
    const bool drop =
        event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier));
    if (drop) {
        ShowCalendar();
        event->accept();
        return;
    }
    TMaskEdit::keyPressEvent(event);
}

void TDateEditPlus::PaintTextColour()
{
    const bool valid = validDateColor_.isValid() && GetDate().isValid();
    TEdit::SetFontColor(valid ? validDateColor_ : fontColor_);
}

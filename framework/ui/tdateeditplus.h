#pragma once
// TDateEditPlus: a date edit typed as dd/mm/yyyy through the mask "99/99/9999;1; ", with a
// calendar that drops down from its button (or Alt+Down, F4). An empty edit shows the
// mask's blank form "  /  /    " and has no date. A valid date is drawn in ValidDateColor.
// The edit accepts any text while typing; the form decides when to check it, normally in
// OnExit with CheckValidDate.

#include "framework/ui/tmaskedit.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QStringList>

class TDateEditPlus : public TMaskEdit {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget* parent = nullptr);

    // The date shown; null when the edit is empty or holds no valid date.
    QDate GetDate() const;
    // Shows the date; a null date empties the edit. Fires OnChange when the text changes.
    void SetDate(const QDate& date);
    // The date with the time given to SetDateTime when SaveTime is on, midnight otherwise;
    // invalid when there is no date.
    QDateTime GetDateTime() const;
    void SetDateTime(const QDateTime& dateTime);
    bool SaveTime() const { return saveTime_; }
    void SetSaveTime(bool saveTime) { saveTime_ = saveTime; }

    QColor ValidDateColor() const { return validDateColor_; }
    void SetValidDateColor(const QColor& color);
    // Sets the colour of text that is not a valid date (and the base text colour).
    void SetFontColor(const QColor& color);

    // Week day names of the calendar, Sunday first (seven names).
    QStringList WeekDayNames() const { return weekDayNames_; }
    void SetWeekDayNames(const QStringList& names);

    // Refuses a text that is not a valid date: the message goes through the dialogs
    // service, the focus goes back to this edit and the silent abort is raised. An empty
    // edit passes.
    void CheckValidDate();

    // Drops the calendar down (the operator picks a day with a click or Enter).
    void ShowCalendar();

protected:
    void Change() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PaintTextColour();

    bool saveTime_ = false;
    QTime time_;
    QColor validDateColor_;
    QColor fontColor_;
    QStringList weekDayNames_;
};

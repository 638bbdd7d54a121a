// The date selector: a month calendar with year and month steps, Today, and
// a panel above it naming the chosen day in full.
#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace px {

class TDateSelector : public QDialog {
    Q_OBJECT

public:
    TDateSelector(const QString& caption, const QDate& start, QWidget* parent = nullptr);

    QDate selectedDate() const;
    void setSelectedDate(const QDate& date);
    QCalendarWidget* calendar() const { return calendar_; }
    QString panelText() const;

    // The panel's text for a day: "Tuesday, December 8, 2026".
    static QString longDayText(const QDate& date);

    void YearBackClick();
    void MonthBackClick();
    void TodayClick();
    void MonthForwardClick();
    void YearForwardClick();

private:
    void showDay();

    QLabel* panel_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
};

}  // namespace px

#include "app/cleanup/date_selector.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

TDateSelector::TDateSelector(const QString& caption, const QDate& start, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setObjectName("DateSelector");

    panel_ = new QLabel(this);
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Sunken);
    panel_->setAlignment(Qt::AlignCenter);
    panel_->setAccessibleName("Chosen day");
    QFont bold = panel_->font();
    bold.setBold(true);
    panel_->setFont(bold);

    calendar_ = new QCalendarWidget(this);
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setNavigationBarVisible(false);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setGridVisible(true);
    calendar_->setAccessibleName("Calendar");
    if (auto* days = calendar_->findChild<QAbstractItemView*>()) {
        days->setAccessibleName("Days of the month");
    }

    auto* steps = new QHBoxLayout;
    const struct {
        const char* text;
        void (TDateSelector::*click)();
    } kSteps[] = {{"Year-", &TDateSelector::YearBackClick},
                  {"Month-", &TDateSelector::MonthBackClick},
                  {"Today", &TDateSelector::TodayClick},
                  {"Month +", &TDateSelector::MonthForwardClick},
                  {"Year+", &TDateSelector::YearForwardClick}};
    for (const auto& step : kSteps) {
        auto* button = new QPushButton(step.text, this);
        button->setAutoDefault(false);
        button->setAccessibleName(step.text);
        connect(button, &QPushButton::clicked, this, step.click);
        steps->addWidget(button);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Ok");
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("Ok");
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel_);
    layout->addWidget(calendar_);
    layout->addLayout(steps);
    layout->addWidget(buttons);

    setSelectedDate(start.isValid() ? start : QDate::currentDate());
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TDateSelector::showDay);
    // A double click (or Enter) on a day chooses it.
    connect(calendar_, &QCalendarWidget::activated, this, &QDialog::accept);
}

QString TDateSelector::longDayText(const QDate& date) {
    return QLocale::system().toString(date, "dddd, MMMM d, yyyy");
}

QDate TDateSelector::selectedDate() const {
    return calendar_->selectedDate();
}

void TDateSelector::setSelectedDate(const QDate& date) {
    calendar_->setSelectedDate(date);
    calendar_->setCurrentPage(date.year(), date.month());
    showDay();
}

QString TDateSelector::panelText() const {
    return panel_->text();
}

void TDateSelector::showDay() {
    panel_->setText(longDayText(selectedDate()));
}

void TDateSelector::YearBackClick() {
    setSelectedDate(selectedDate().addYears(-1));
}

void TDateSelector::MonthBackClick() {
    setSelectedDate(selectedDate().addMonths(-1));
}

void TDateSelector::TodayClick() {
    setSelectedDate(QDate::currentDate());
}

void TDateSelector::MonthForwardClick() {
    setSelectedDate(selectedDate().addMonths(1));
}

void TDateSelector::YearForwardClick() {
    setSelectedDate(selectedDate().addYears(1));
}

}  // namespace px

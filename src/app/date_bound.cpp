#include "app/date_bound.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QToolButton>

namespace frostel::app {

namespace {

// A date box at "any" opens its calendar at the month given, not at its lowest date: the
// popup selects the box's date first, then shows.
class CalendarOpening final : public QObject {
  public:
    CalendarOpening(QDateEdit* box, std::function<QDate()> month)
        : QObject(box), box_(box), month_(std::move(month)) {
        box->calendarWidget()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && box_->date() == box_->minimumDate()) {
            if (const QDate month = month_(); month.isValid()) {
                box_->calendarWidget()->setCurrentPage(month.year(), month.month());
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QDateEdit* box_;
    std::function<QDate()> month_;
};

}  // namespace

QDateEdit* date_bound(const QString& name, QWidget* parent, std::function<QDate()> opening_month) {
    auto* box = new QDateEdit(parent);
    box->setObjectName(name);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    box->setCalendarPopup(true);
    box->setMinimumDate(QDate(1999, 12, 31));
    box->setSpecialValueText(QObject::tr("any"));
    box->setDate(box->minimumDate());
    new CalendarOpening(box, std::move(opening_month));
    return box;
}

QDate bound_of(const QDateEdit& box) {
    return box.date() == box.minimumDate() ? QDate() : box.date();
}

QToolButton* any_date_button(QDateEdit& box) {
    auto* button = new QToolButton(box.parentWidget());
    button->setObjectName(box.objectName() + QStringLiteral("_any"));
    button->setText(QObject::tr("Any"));
    button->setToolTip(QObject::tr("Back to any date"));
    const auto follow = [button, &box] { button->setEnabled(bound_of(box).isValid()); };
    follow();
    QObject::connect(&box, &QDateEdit::dateChanged, button, follow);
    QObject::connect(button, &QToolButton::clicked, &box,
                     [&box] { box.setDate(box.minimumDate()); });
    return button;
}

}  // namespace frostel::app

#pragma once

#include <QDate>
#include <QString>
#include <functional>

class QDateEdit;
class QToolButton;
class QWidget;

namespace frostel::app {

// A date box whose lowest date reads "any": no bound on that side. At "any" its calendar
// opens at `opening_month`.
[[nodiscard]] QDateEdit* date_bound(const QString& name, QWidget* parent,
                                    std::function<QDate()> opening_month);
// The box's date, or none while it reads "any".
[[nodiscard]] QDate bound_of(const QDateEdit& box);
// A button beside `box` that sets it back to "any" at one click, usable while it has a date;
// its object name is the box's with "_any" added.
[[nodiscard]] QToolButton* any_date_button(QDateEdit& box);

}  // namespace frostel::app

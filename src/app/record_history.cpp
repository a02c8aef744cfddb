#include "app/record_history.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/trail_text.h"

namespace frostel::app {

RecordHistory::RecordHistory(QWidget* parent)
    : QWidget(parent, Qt::Window), table_(new QTableWidget(this)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("record_history"));
    table_->setObjectName(QStringLiteral("history_list"));
    table_->setColumnCount(8);
    table_->setHorizontalHeaderLabels({tr("Time"), tr("User"), tr("Name"), tr("Workstation"),
                                       tr("Action"), tr("Old"), tr("New"), tr("Reason")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    status_->setObjectName(QStringLiteral("history_status"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    resize(900, 320);
}

void RecordHistory::show_events(std::int64_t id, const std::vector<archive::ShownEvent>& events,
                                const QString& problem) {
    setWindowTitle(tr("History of record %1").arg(id));
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(events.size()));
    int row = 0;
    for (auto entry = events.rbegin(); entry != events.rend(); ++entry, ++row) {
        const archive::AuditRow& event = entry->chained.row;
        int column = 0;
        for (const std::string* field :
             {&entry->local_time, &event.user_id, &entry->full_name, &event.workstation,
              &event.action, &event.old_value, &event.new_value, &event.reason}) {
            const QString text = trail_text(*field);
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(literal_tooltip(text));
            table_->setItem(row, column++, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();
    fit_to_columns();
    status_->setText(problem.isEmpty() ? tr("%n event(s)", nullptr, row) : problem);
}

// Wide enough for every column as it fits its contents, where the screen allows; room is
// kept for a scroll bar that a longer history brings.
void RecordHistory::fit_to_columns() {
    const int needed = table_->horizontalHeader()->length() + width() -
                       table_->viewport()->width() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (needed > width()) {
        resize(std::min(needed, screen()->availableGeometry().width()), height());
    }
}

}  // namespace frostel::app

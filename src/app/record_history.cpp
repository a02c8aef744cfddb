#include "app/record_history.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

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
        for (const std::string* text :
             {&entry->local_time, &event.user_id, &entry->full_name, &event.workstation,
              &event.action, &event.old_value, &event.new_value, &event.reason}) {
            table_->setItem(row, column++, new QTableWidgetItem(QString::fromStdString(*text)));
        }
    }
    table_->resizeColumnsToContents();
    status_->setText(problem.isEmpty() ? tr("%n event(s)", nullptr, row) : problem);
}

}  // namespace frostel::app

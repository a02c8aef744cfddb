#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "archive/audit_trail.h"

class QLabel;
class QTableWidget;

namespace frostel::app {

// "History": the audit trail's events about one archived record, newest first.
class RecordHistory final : public QWidget {
    Q_OBJECT

  public:
    explicit RecordHistory(QWidget* parent = nullptr);

    // `events` oldest first, as the trail keeps them; `problem` said instead when not empty.
    void show_events(std::int64_t id, const std::vector<archive::ShownEvent>& events,
                     const QString& problem);

    [[nodiscard]] QTableWidget& table() const { return *table_; }

  private:
    void fit_to_columns();

    QTableWidget* table_;
    QLabel* status_;
};

}  // namespace frostel::app

#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "archive/mission_archive.h"

namespace frostel::app {

// The archive's missions, newest first, for a table view: rows are fetched a batch at a
// time as the view scrolls, so a list of ten thousand shows at once.
class ArchiveListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        kLogger,
        kStart,
        kSamples,
        kInterval,
        kMinimum,
        kMaximum,
        kVerdict,
        kDownloaded,
        kText,  // last: the one column of free length
        kColumnCount
    };
    static constexpr int kBatch = 200;

    explicit ArchiveListModel(QObject* parent = nullptr);

    // Lists the missions of `archive` (none without one) that pass `filter`.
    void show(archive::MissionArchive* archive, const archive::MissionFilter& filter);
    [[nodiscard]] const archive::MissionRecord& record(int row) const {
        return rows_[static_cast<std::size_t>(row)];
    }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    archive::MissionArchive* archive_ = nullptr;
    archive::MissionFilter filter_;
    std::vector<archive::MissionRecord> rows_;
    bool complete_ = true;
};

// "10 s", "15 min": an interval as the programming window sets it.
[[nodiscard]] QString interval_text(int seconds);

}  // namespace frostel::app

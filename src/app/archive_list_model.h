#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <vector>

#include "archive/mission_archive.h"
#include "report/result_palette.h"

namespace frostel::app {

// The archive's missions, newest first, for a table view: rows are fetched a batch at a
// time as the view scrolls, so a list of ten thousand shows at once. A row is verified, and
// judged by the limits in force, when first shown; an altered one reads "ALTERED" in red in
// place of its verdict. The verdict and a change of limits after signing have the colours
// the summary gives them. The rows shown together are read on one connection.
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
        kSigned,  // what the signatures come to (archive::SigningState)
        kText,    // last: the one column of free length
        kColumnCount
    };
    static constexpr int kBatch = 200;
    // About a screenful: the rows first shown together are verified on one connection.
    static constexpr int kLearnedTogether = 32;

    // `archive` gives the archive of the current data folder, which may be replaced at any
    // time: the model keeps no pointer to it.
    explicit ArchiveListModel(std::function<archive::MissionArchive&()> archive,
                              QObject* parent = nullptr);

    // Lists the missions of the current archive (none when it is not open) that pass
    // `filter`.
    void show(const archive::MissionFilter& filter);
    [[nodiscard]] const archive::ArchiveEntry& record(int row) const {
        return rows_[static_cast<std::size_t>(row)];
    }
    // Whether the row's record fails verification, checked the first time it is asked (the
    // rows shown, not every row fetched).
    [[nodiscard]] bool altered(int row) const;
    // Every row's verdict and "Signed" text read again when next shown: their limits or
    // signatures may have changed since.
    void forget_standings();
    // The archive file the rows come from; its ids mean nothing in another.
    [[nodiscard]] const QString& listed_path() const { return path_; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    // The row's verdict under the limits in force and what its signatures come to; empty
    // when they cannot be read.
    [[nodiscard]] archive::RecordStanding standing(int row) const;
    // The result whose colours on screen the cell has (the verdict, a change of limits after
    // signing); nothing for any other cell.
    [[nodiscard]] std::optional<report::ResultKind> result_of(const QModelIndex& index) const;
    // The cell's colour for `role` (Qt::ForegroundRole or Qt::BackgroundRole).
    [[nodiscard]] QVariant colour(const QModelIndex& index, int role) const;
    // The verdicts and standings not yet known of `row` and the rows after it shown with it,
    // on one connection to the archive.
    void learn(int row) const;

    std::function<archive::MissionArchive&()> archive_;
    QString path_;
    archive::MissionFilter filter_;
    std::vector<archive::ArchiveEntry> rows_;
    mutable std::vector<std::optional<bool>> altered_;
    mutable std::vector<std::optional<archive::RecordStanding>> standings_;
    bool complete_ = true;
};

}  // namespace frostel::app

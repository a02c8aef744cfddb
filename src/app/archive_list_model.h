#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <vector>

#include "archive/mission_archive.h"

namespace frostel::app {

// The archive's missions, newest first, for a table view: rows are fetched a batch at a
// time as the view scrolls, so a list of ten thousand shows at once. A row is verified when
// first shown, with the rows shown together on one connection to the archive; an altered one
// reads "ALTERED" in red in place of its verdict.
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
        kSigned,  // the highest meaning among the signatures that hold
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
    // The row's "Signed" text read again when next shown.
    void forget_signatures(int row);
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
    [[nodiscard]] QString signed_text(int row) const;
    // The verdicts and signatures not yet known of `row` and the rows after it shown with it.
    void learn(int row) const;

    std::function<archive::MissionArchive&()> archive_;
    QString path_;
    archive::MissionFilter filter_;
    std::vector<archive::ArchiveEntry> rows_;
    mutable std::vector<std::optional<bool>> altered_;
    mutable std::vector<std::optional<QString>> signed_;
    bool complete_ = true;
};

}  // namespace frostel::app

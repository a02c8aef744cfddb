#include "app/archive_list_model.h"

#include <QColor>
#include <algorithm>
#include <memory>

#include "insight/excursions.h"

namespace frostel::app {

namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant temperature(const std::optional<double>& value) {
    return value ? QVariant(QString::number(*value, 'f', 2)) : QVariant();
}

}  // namespace

ArchiveListModel::ArchiveListModel(std::function<archive::MissionArchive&()> archive,
                                   QObject* parent)
    : QAbstractTableModel(parent), archive_(std::move(archive)) {}

void ArchiveListModel::show(const archive::MissionFilter& filter) {
    archive::MissionArchive& archive = archive_();
    beginResetModel();
    path_ = archive.is_open() ? archive.path() : QString();
    filter_ = filter;
    rows_.clear();
    altered_.clear();
    standings_.clear();
    complete_ = path_.isEmpty();
    endResetModel();
    fetchMore({});
}

bool ArchiveListModel::altered(int row) const {
    const std::optional<bool>& known = altered_[static_cast<std::size_t>(row)];
    if (!known) {
        learn(row);
    }
    return known.value_or(false);
}

archive::RecordStanding ArchiveListModel::standing(int row) const {
    const std::optional<archive::RecordStanding>& known = standings_[static_cast<std::size_t>(row)];
    if (!known) {
        learn(row);
    }
    return known.value_or(archive::RecordStanding{});
}

void ArchiveListModel::learn(int row) const {
    archive::MissionArchive& archive = archive_();
    if (!archive.is_open() || archive.path() != path_) {
        return;  // the rows are of another archive, which cannot be asked now
    }
    const std::unique_ptr<archive::StoreHold> held = archive.hold();
    for (int r = row; r < std::min(rowCount(), row + kLearnedTogether); ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (!altered_[i]) {
            const auto verdict = archive.verify(record(r).id);
            altered_[i] = !verdict || !archive::verifies(*verdict);
        }
        if (!standings_[i]) {
            standings_[i] = archive.standing(record(r)).value_or(archive::RecordStanding{});
        }
    }
}

void ArchiveListModel::forget_standings() {
    std::fill(standings_.begin(), standings_.end(), std::nullopt);
    if (!rows_.empty()) {
        emit dataChanged(index(0, kVerdict), index(rowCount() - 1, kSigned));
    }
}

std::optional<report::ResultKind> ArchiveListModel::result_of(const QModelIndex& index) const {
    switch (index.column()) {
        case kVerdict:
            return altered(index.row()) ? report::ResultKind::kFail
                                        : report::result_kind(insight::verdict_kind_of(
                                              standing(index.row()).verdict));
        case kSigned:
            if (standing(index.row()).signing.changed_after_signing) {
                return report::ResultKind::kFail;
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

QVariant ArchiveListModel::colour(const QModelIndex& index, int role) const {
    if (const std::optional<report::ResultKind> kind = result_of(index)) {
        const report::ScreenColours colours = report::screen_colours(*kind);
        if (role == Qt::ForegroundRole) {
            return colours.text;
        }
        return colours.background ? QVariant(*colours.background) : QVariant();
    }
    // The rest of an altered record's row is red too.
    return role == Qt::ForegroundRole && altered(index.row())
               ? QVariant(report::result_colour(report::ResultKind::kFail))
               : QVariant();
}

int ArchiveListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ArchiveListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ArchiveListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const archive::ArchiveEntry& r = record(index.row());
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole) {
        return colour(index, role);
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number =
            index.column() == kSamples || index.column() == kMinimum || index.column() == kMaximum;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case kLogger:
            return latin1(r.logger_id);
        case kStart:
            return latin1(r.start_time);
        case kSamples:
            return r.sample_count;
        case kInterval:
            return QString::fromStdString(insight::interval_text(r.interval_seconds));
        case kMinimum:
            return temperature(r.minimum);
        case kMaximum:
            return temperature(r.maximum);
        case kVerdict:
            return altered(index.row()) ? QStringLiteral("ALTERED")
                                        : latin1(standing(index.row()).verdict);
        case kText:
            return latin1(r.first_line);
        case kDownloaded:
            return latin1(r.downloaded_at);
        case kSigned:
            return QString::fromStdString(standing(index.row()).signing.text());
        default:
            return {};
    }
}

QVariant ArchiveListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QStringList kTitles{
        tr("Logger ID"),   tr("Start"),   tr("Samples"),    tr("Interval"), tr("Min \u00b0C"),
        tr("Max \u00b0C"), tr("Verdict"), tr("Downloaded"), tr("Signed"),   tr("Mission text")};
    return kTitles.value(section);
}

bool ArchiveListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !complete_;
}

void ArchiveListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    archive::MissionArchive& archive = archive_();
    if (!archive.is_open() || archive.path() != path_) {
        complete_ = true;  // the data folder changed: these rows are of another archive
        return;
    }
    archive::MissionFilter batch = filter_;
    batch.offset = static_cast<int>(rows_.size());
    batch.limit = kBatch;
    std::vector<archive::ArchiveEntry> more =
        archive.find(batch).value_or(std::vector<archive::ArchiveEntry>{});
    complete_ = more.size() < static_cast<std::size_t>(kBatch);
    if (more.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
    altered_.resize(rows_.size());
    standings_.resize(rows_.size());
    endInsertRows();
}

}  // namespace frostel::app

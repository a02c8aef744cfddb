#include "app/archive_list_model.h"

#include <QColor>
#include <algorithm>
#include <memory>

#include "archive/signature_book.h"
#include "dossier/archived_record.h"
#include "insight/excursions.h"
#include "report/result_palette.h"

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
    signed_.clear();
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

QString ArchiveListModel::signed_text(int row) const {
    const std::optional<QString>& known = signed_[static_cast<std::size_t>(row)];
    if (!known) {
        learn(row);
    }
    return known.value_or(QString());
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
        if (!signed_[i]) {
            const std::optional<archive::RecordSignatures> signatures =
                archive::SignatureBook(archive).of_record(record(r).id);
            const std::optional<archive::Meaning> meaning =
                signatures ? dossier::highest_meaning(*signatures) : std::nullopt;
            signed_[i] = meaning
                             ? QString::fromStdString(std::string(archive::meaning_name(*meaning)))
                             : QString();
        }
    }
}

void ArchiveListModel::forget_signatures(int row) {
    signed_[static_cast<std::size_t>(row)].reset();
    emit dataChanged(index(row, kSigned), index(row, kSigned), {Qt::DisplayRole});
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
    const bool altered_row = altered(index.row());
    const archive::ArchiveEntry& r = record(index.row());
    // An altered record is red throughout; otherwise only the verdict has a colour.
    if (role == Qt::ForegroundRole) {
        const report::ResultKind kind =
            altered_row ? report::ResultKind::kFail
                        : report::result_kind(insight::verdict_kind_of(r.verdict));
        return altered_row || index.column() == kVerdict ? QVariant(report::result_colour(kind))
                                                         : QVariant();
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
            return altered_row ? QStringLiteral("ALTERED") : latin1(r.verdict);
        case kText:
            return latin1(r.first_line);
        case kDownloaded:
            return latin1(r.downloaded_at);
        case kSigned:
            return signed_text(index.row());
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
    signed_.resize(rows_.size());
    endInsertRows();
}

}  // namespace frostel::app

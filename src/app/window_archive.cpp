#include "app/window_archive.h"

#include <QFile>
#include <QObject>

#include "archive/archive_files.h"
#include "archive/outbox.h"
#include "archive/pg_address.h"
#include "platform/archive_setting.h"

namespace frostel::app {

namespace {

// A shared archive that could not be reached is tried again this long after at the earliest,
// so that a window's steps do not each wait out the connect limit.
constexpr std::chrono::seconds kRetryAfter{10};

bool is_shared(const QString& location) {
    return archive::looks_like_pg_uri(location.toStdString());
}

}  // namespace

QString archive_location(const QString& program_folder, const QString& data_folder) {
    const QString set = platform::read_archive_setting(program_folder);
    return set.isEmpty() ? archive::archive_path(data_folder) : set;
}

QString archive_refusal(const QString& location) {
    if (is_shared(location) || archive::accounts_left_behind(location).isEmpty()) {
        return {};
    }
    const archive::MissionArchive archive(location, archive::MissionArchive::Access::kReadOnly);
    return archive.is_open()
               ? QString()
               : QObject::tr("%1 cannot be used: %2").arg(archive.path(), archive.error());
}

WindowArchive::WindowArchive(QString program_folder, const link::Clock& clock)
    : program_folder_(std::move(program_folder)), clock_(clock) {}

QString WindowArchive::location(const QString& data_folder) const {
    return archive_location(program_folder_, data_folder);
}

bool WindowArchive::shared() const {
    return archive_ && is_shared(location_);
}

bool WindowArchive::should_open(const QString& location) const {
    if (!archive_ || location_ != location) {
        return true;
    }
    return !archive_->is_open() &&
           (!failed_at_ || clock_.now() - *failed_at_ >= kRetryAfter || !is_shared(location));
}

archive::MissionArchive& WindowArchive::open(const QString& data_folder,
                                             const archive::Actor& actor) {
    const QString location = this->location(data_folder);
    if (!should_open(location)) {
        archive_->act_as(actor);
        return *archive_;
    }
    location_ = location;
    archive_ = std::make_unique<archive::MissionArchive>(
        location, archive::MissionArchive::Access::kReadWrite, actor);
    failed_at_.reset();
    if (!archive_->is_open()) {
        failed_at_ = clock_.now();
    }
    if (!archive_->notice().isEmpty()) {
        news_.notice = archive_->notice();
    }
    if (archive_->is_open() && shared()) {
        upload_pending(data_folder);
    }
    return *archive_;
}

archive::MissionArchive& WindowArchive::open_live(const QString& data_folder,
                                                  const archive::Actor& actor) {
    archive::MissionArchive& archive = open(data_folder, actor);
    if (!archive.connect_again_if_dropped()) {
        return archive;
    }
    if (!archive.is_open()) {
        failed_at_ = clock_.now();
    } else if (shared()) {
        upload_pending(data_folder);
    }
    return archive;
}

void WindowArchive::upload_pending(const QString& data_folder) {
    const QString outbox = archive::archive_path(data_folder);
    if (!QFile::exists(outbox)) {
        return;
    }
    archive::MissionArchive local(outbox);
    if (archive::pending_count(local).value_or(0) == 0) {
        return;
    }
    const std::optional<archive::SyncCount> count = archive::upload_pending(local, *archive_);
    news_.uploads = count
                        ? QObject::tr(
                              "Uploaded to the shared archive what this PC kept while it could not "
                              "be reached: %1 uploaded, %2 still pending.")
                              .arg(count->uploaded)
                              .arg(count->pending)
                        : QObject::tr(
                              "What this PC kept while the shared archive could not be reached "
                              "is not uploaded yet: %1")
                              .arg(archive_->error());
}

archive::MissionArchive& WindowArchive::current() {
    return *archive_;
}

ArchiveNews WindowArchive::take_news() {
    return std::exchange(news_, ArchiveNews());
}

}  // namespace frostel::app

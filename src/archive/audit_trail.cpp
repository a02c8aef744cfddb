#include "archive/audit_trail.h"

#include <QDateTime>
#include <QTimeZone>
#include <charconv>
#include <cstdlib>

#include "archive/record_digest.h"
#include "platform/os_user.h"

namespace frostel::archive {

std::string record_object(std::int64_t id) {
    return "record:" + std::to_string(id);
}

std::optional<std::int64_t> record_of_object(std::string_view object) {
    constexpr std::string_view kPrefix = "record:";
    std::int64_t id = 0;
    if (!object.starts_with(kPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = object.substr(kPrefix.size());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    return error == std::errc() && end == digits.data() + digits.size() ? std::optional(id)
                                                                        : std::nullopt;
}

namespace {

std::string with_offset(const QDateTime& local) {
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1%2%3:%4")
        .arg(local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")))
        .arg(offset < 0 ? '-' : '+')
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .toStdString();
}

}  // namespace

std::string utc_text(std::int64_t utc_ms) {
    return QDateTime::fromMSecsSinceEpoch(utc_ms, QTimeZone::utc())
               .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
               .toStdString() +
           'Z';
}

int utc_offset_at(std::int64_t utc_ms, const platform::TimeZone& zone) {
    const QTimeZone known(QByteArray::fromStdString(zone.name));
    return known.isValid()
               ? known.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utc_ms, QTimeZone::utc()))
               : zone.utc_offset_s;
}

std::string local_time_text(std::int64_t utc_ms) {
    return with_offset(QDateTime::fromMSecsSinceEpoch(utc_ms));
}

std::string local_time_text(std::int64_t utc_ms, const platform::TimeZone& zone) {
    return with_offset(
        QDateTime::fromMSecsSinceEpoch(utc_ms, QTimeZone(utc_offset_at(utc_ms, zone))));
}

Actor os_actor() {
    const platform::OsUser user = platform::current_os_user();
    return {"os:" + user.login, user.full_name, platform::host_name()};
}

AuditEvent download_archived(std::int64_t id, const std::string& fingerprint,
                             const std::string& record_digest, const std::string& clock,
                             const std::string& device) {
    return {kDownloadArchived,
            record_object(id),
            {},
            record_digest.empty() ? fingerprint : archived_value(fingerprint, record_digest, clock),
            read_through(device)};
}

namespace {
constexpr std::string_view kReadThrough = "read through ";
constexpr std::string_view kAfterOfflineNote = ": read through ";
}  // namespace

std::string read_through(std::string_view device) {
    return device.empty() ? std::string() : std::string(kReadThrough) + std::string(device);
}

std::string device_read_through(std::string_view reason) {
    if (reason.starts_with(kReadThrough)) {
        return std::string(reason.substr(kReadThrough.size()));
    }
    const std::size_t at = reason.find(kAfterOfflineNote);
    return at == std::string_view::npos ? std::string()
                                        : std::string(reason.substr(at + kAfterOfflineNote.size()));
}

AuditEvent download_not_archived(const std::string& reason) {
    return {"download-not-archived", {}, {}, {}, reason};
}

AuditEvent file_written(const std::string& kind, const std::string& path,
                        const std::string& fingerprint) {
    return {"file-written", "file:" + path, {}, kind + '\n' + fingerprint, {}};
}

AuditEvent record_verified(std::int64_t id, const std::string& result) {
    return {std::string(kVerified), record_object(id), {}, result, {}};
}

AuditEvent summaries_derived_again(const std::string& archive_path, int records, int rules) {
    return {"summaries-derived-again",
            "file:" + archive_path,
            {},
            std::to_string(records) + " records by summary rules " + std::to_string(rules),
            "kept by an earlier version"};
}

AuditEvent archive_set_aside(const std::string& kept_as) {
    return {"archive-set-aside", "file:" + kept_as, {}, {}, "damaged"};
}

AuditEvent setting_changed(const std::string& name, const std::string& old_value,
                           const std::string& new_value) {
    return {"setting-changed", "setting:" + name, old_value, new_value, {}};
}

}  // namespace frostel::archive

#include "archive/mission_archive.h"

#include <QDir>
#include <algorithm>
#include <map>
#include <tuple>

#include "archive/fingerprint.h"
#include "archive/pg_address.h"
#include "archive/record_digest.h"
#include "archive/sqlite_store.h"
#include "insight/summary.h"
#include "link/port_device.h"
#include "mission/mission_record.h"
#include "mission/sample_log.h"
#include "platform/local_date_time.h"
#include "platform/program_folder.h"
#include "platform/time_zone.h"

namespace frostel::archive {

namespace {

// The version of the rules deriving a record's minimum, maximum and verdict from its pages,
// raised whenever they change: records derived by older rules are derived anew on opening.
constexpr int kSummaryRules = 2;

// The logger's running clock: page 16, bytes 0 to 5 (0x0200 to 0x0205).
constexpr int kClockPage = 16;
constexpr int kClockBytes = 6;

// Two downloads of one stopped mission differ only in the logger's clock.
std::string content_key(std::vector<mission::RawPage> pages) {
    for (mission::RawPage& page : pages) {
        if (page.number == kClockPage) {
            std::fill_n(page.bytes.begin(), kClockBytes, 0);
        }
    }
    return mission_fingerprint(pages);
}

std::string first_line(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    line.erase(line.find_last_not_of(std::string(" \t\0", 3)) + 1);
    return line;
}

// How long a programming run may take from writing the clock to its record's stamp.
constexpr std::int64_t kRunLengthS = 300;

// What the list shows of a mission's temperatures: its summary in degrees Celsius, against
// the thresholds the logger was programmed with unless the user set `limits`.
insight::Summary list_summary(const mission::DownloadedMission& mission,
                              const mission::TimeZone& zone, const insight::Limits& limits = {}) {
    const std::vector<double> values = mission::shown_values(
        mission.samples, mission::TemperatureUnit::kCelsius, mission.header.calibration_offset);
    insight::SummaryInput input;
    input.readings.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        input.readings.push_back({platform::to_civil_seconds(mission.samples[i].time), values[i]});
    }
    input.record = mission::make_mission_record(mission.header, mission.samples, zone);
    input.user_limits = limits;
    return insight::summarize(input);
}

std::optional<double> value_of(const std::optional<insight::TimedValue>& timed) {
    return timed ? std::optional<double>(timed->value) : std::nullopt;
}

std::int64_t utc_ms(const platform::LocalDateTime& local, int utc_offset_seconds) {
    return (platform::to_civil_seconds(local) - utc_offset_seconds) * 1000;
}

// What programming chose: a download with these the same and more samples is the same
// mission downloaded later.
bool same_settings(const mission::MissionHeader& a, const mission::MissionHeader& b) {
    const auto settings = [](const mission::MissionHeader& h) {
        return std::tie(h.configuration, h.sample_interval, h.sample_format, h.start_delay,
                        h.calibration_offset_tenths, h.mission_control, h.alarm_enable,
                        h.low_threshold, h.high_threshold, h.mission_text);
    };
    return settings(a) == settings(b);
}

std::string sql_time(const platform::LocalDateTime& t) {
    return platform::format_iso(t);
}

// An instant as the civil time of `zone` then, written as a record keeps its download time.
std::string civil_time(std::int64_t utc_ms, const platform::TimeZone& zone) {
    return sql_time(platform::from_civil_seconds(utc_ms / 1000 + utc_offset_at(utc_ms, zone)));
}

// The kept copies of what the pages hold, each as the download decoded it: the record's
// columns must say the same.
bool copies_agree(const KeptRecord& kept, const mission::DownloadedMission& mission) {
    const mission::MissionHeader& h = mission.header;
    const ArchiveEntry& record = kept.record;
    return kept.logger_type == std::string(1, static_cast<char>(h.logger_type)) &&
           kept.configuration == h.configuration &&
           kept.device_sample_count == h.device_sample_count &&
           kept.sixteen_bit == (h.sample_format == mission::SampleFormat::k16Bit) &&
           kept.alarm_status == h.alarm_status &&
           kept.calibration_offset_tenths == h.calibration_offset_tenths &&
           kept.mission_text == h.mission_text && record.start_time == sql_time(h.start_time) &&
           record.mission_sample_count == h.mission_sample_count &&
           record.sample_count == static_cast<int>(mission.samples.size()) &&
           record.interval_seconds == h.sample_interval &&
           record.first_line == first_line(h.mission_text);
}

// What the record digest says of a record whose pages and copies agree.
Verification digest_check(const KeptRecord& kept) {
    if (!kept.record_digest && !kept.downloaded_utc_ms) {
        return Verification::kIntactWithoutDigest;
    }
    const ArchiveEntry& record = kept.record;
    const std::int64_t downloaded_utc_ms = kept.downloaded_utc_ms.value_or(0);
    const std::optional<platform::LocalDateTime> downloaded_at =
        platform::parse_iso(record.downloaded_at);
    const bool intact = downloaded_at &&
                        utc_ms(*downloaded_at, kept.utc_offset_seconds) == downloaded_utc_ms &&
                        kept.record_digest.value_or("") ==
                            record_digest({record.fingerprint, record.logger_id, downloaded_utc_ms,
                                           kept.time_zone, kept.utc_offset_seconds});
    return intact ? Verification::kIntact : Verification::kAltered;
}

// Whether a record without a download-archived event was kept before the trail began: the
// trail enters every record made since, and ids only grow, so none after the first it names.
bool kept_before_trail(const KeptRecord& kept) {
    return !kept.first_record_in_trail || kept.record.id < *kept.first_record_in_trail;
}

// The chain anchors what the download-archived events entered: the record's fingerprint,
// digest and clock, and each download counted on it. A record kept before the trail has been
// downloaded once more than its events say, at least.
bool agrees_with_trail(const KeptRecord& kept) {
    const std::optional<ChainedRow>& entry = kept.archived_entry;
    if (!entry) {
        return kept_before_trail(kept);
    }
    const ArchiveEntry& record = kept.record;
    const std::string& entered = entry->row.new_value;
    return hash_holds(*entry) &&
           agrees_with_entry(entered, record.fingerprint, kept.record_digest.value_or(""),
                             clock_line(kept.clock)) &&
           (made_the_record(entered) ? record.download_count == kept.downloads_entered
                                     : record.download_count > kept.downloads_entered);
}

// A later download names an older record of the same logger and start.
bool names_its_earlier_part(const KeptRecord& kept) {
    const ArchiveEntry& record = kept.record;
    return !record.later_download_of ||
           (*record.later_download_of < record.id &&
            kept.earlier_mission == std::pair(record.logger_id, record.start_time));
}

// A record checked against its pages: `kept` says whether the pages, the digest and the
// columns copied from the pages agree; the summary is what today's rules derive.
struct Checked {
    Verification kept = Verification::kAltered;
    RecordSummary summary;
    bool summary_agrees = false;  // the kept minimum, maximum and verdict say the same
};

Checked check_kept_record(const KeptRecord& kept) {
    const ArchiveEntry& record = kept.record;
    const std::optional<std::vector<mission::RawPage>> pages = pages_from_record(kept.pages);
    Checked checked;
    if (!pages || record_fingerprint(kept.pages) != record.fingerprint ||
        content_key(*pages) != kept.content_key) {
        return checked;
    }
    const mission::TimeZone zone{kept.time_zone, kept.utc_offset_seconds};
    const std::optional<mission::DownloadedMission> shown = mission::decode_recorded_mission(
        record.logger_id, *pages, zone, std::nullopt, mission::TemperatureUnit::kCelsius);
    if (!shown || !copies_agree(kept, *shown)) {
        return checked;
    }
    const insight::Summary summary = list_summary(*shown, zone);
    checked.summary = {value_of(summary.statistics.minimum), value_of(summary.statistics.maximum),
                       summary.verdict};
    checked.summary_agrees = record.minimum == checked.summary.minimum &&
                             record.maximum == checked.summary.maximum &&
                             record.verdict == checked.summary.verdict;
    checked.kept = agrees_with_trail(kept) && names_its_earlier_part(kept) ? digest_check(kept)
                                                                           : Verification::kAltered;
    return checked;
}

// What the archive derives from a download before the store keeps it.
DownloadFacts download_facts(const mission::DownloadedMission& mission, const Stamp& stamp) {
    DownloadFacts facts;
    facts.stamp = stamp;
    facts.pages = page_record(mission.pages);
    facts.fingerprint = record_fingerprint(facts.pages);
    facts.content_key = content_key(mission.pages);
    facts.first_line = first_line(mission.header.mission_text);
    facts.downloaded_utc_ms = utc_ms(stamp.local_time, stamp.utc_offset_seconds);
    facts.record_digest =
        record_digest({facts.fingerprint, mission.header.logger_id, facts.downloaded_utc_ms,
                       stamp.time_zone, stamp.utc_offset_seconds});
    facts.clock_line = clock_line(mission.record.clock);
    facts.reader_device = link::printable_line(mission.reader_device, link::kDeviceTextLongest);
    const insight::Summary summary =
        list_summary(mission, {stamp.time_zone, stamp.utc_offset_seconds});
    facts.summary = {value_of(summary.statistics.minimum), value_of(summary.statistics.maximum),
                     summary.verdict};
    facts.summary_rules = kSummaryRules;
    return facts;
}

}  // namespace

QString archive_path(const QString& data_folder) {
    QString folder = data_folder;
    if (folder.isEmpty()) {
        // The folder the program's save dialog opens in, so frostel-cli finds the same file.
        folder = platform::default_data_folder();
        QDir().mkpath(folder);
    }
    return QDir(folder).filePath(kArchiveFileName);
}

Stamp stamp_now(const link::Clock& clock) {
    const platform::LocalDateTime local = clock.local_now();
    // Both readings come from one clock, so the offset is the one the stamp's time is in;
    // no zone in use has seconds, so a second ticking between them is rounded away.
    const std::int64_t ahead = platform::to_civil_seconds(local) - clock.utc_now();
    const auto offset = static_cast<int>((ahead + (ahead < 0 ? -30 : 30)) / 60 * 60);
    return {local, platform::pc_time_zone().name, offset, FROSTEL_VERSION};
}

MissionArchive::MissionArchive(QString location, Access access, Actor actor)
    : location_(std::move(location)) {
    open(access, std::move(actor));
}

MissionArchive::~MissionArchive() = default;

void MissionArchive::open(Access access, Actor actor) {
    store_ = open_store(location_, access, std::move(actor));
    verdicts_.clear();
    missing_records_.reset();
    change_count_.reset();
    // Until its records follow today's summary rules, Verify would call them altered.
    if (store_->is_open() && store_->derives_summaries() && !derive_anew()) {
        store_->close();
    }
}

bool MissionArchive::connect_again_if_dropped() {
    // A file has no connection to lose, and an archive never opened none to drop.
    if (!looks_like_pg_uri(location_.toStdString()) || !is_open() || store_->change_count()) {
        return false;
    }
    Actor actor = store_->actor();
    open(read_only() ? Access::kReadOnly : Access::kReadWrite, std::move(actor));
    return true;
}

bool MissionArchive::derive_anew() {
    const std::optional<int> derived =
        store_->derive_summaries_again(kSummaryRules, [](const KeptRecord& kept) {
            const Checked checked = check_kept_record(kept);
            return verifies(checked.kept) ? std::optional(checked.summary) : std::nullopt;
        });
    verdicts_.clear();
    return derived.has_value();
}

bool MissionArchive::set_offline(bool offline) {
    SqliteStore* outbox = outbox_of(*store_);
    if (outbox != nullptr) {
        outbox->set_offline(offline);
    }
    return outbox != nullptr;
}

std::optional<std::pair<Archived, std::int64_t>> MissionArchive::archive(
    const mission::DownloadedMission& mission, const Stamp& stamp) {
    const link::LoggerId& logger_id = mission.header.logger_id;
    const std::string key = content_key(mission.pages);
    DownloadMatch match;
    match.verdict = [this](std::int64_t id) { return verify(id); };
    match.same_pages = [&](const std::vector<mission::RawPage>& kept) {
        return content_key(kept) == key;
    };
    match.earlier_part = [&](const std::vector<mission::RawPage>& kept) {
        const auto kept_header = mission::decode_recorded_header(logger_id, kept);
        return kept_header && same_settings(*kept_header, mission.header);
    };
    auto kept = store_->archive_download(mission, download_facts(mission, stamp), match);
    verdicts_.clear();
    return kept;
}

std::optional<std::vector<ArchiveEntry>> MissionArchive::find(const MissionFilter& filter) {
    return store_->find(filter);
}

std::optional<StoredMission> MissionArchive::load(std::int64_t id) {
    std::optional<StoredMission> stored = store_->load(id);
    if (!stored || !last_download(*stored)) {
        return std::nullopt;
    }
    return stored;
}

bool MissionArchive::last_download(StoredMission& stored) {
    AuditFilter about;
    about.object = record_object(stored.record.id);
    bool entered = false;
    std::optional<std::int64_t> noted_again;
    const bool read = store_->for_each_event(about, [&](const AuditEntry& entry) {
        const AuditRow& row = entry.chained.row;
        if (row.action == kDownloadArchived && hash_holds(entry.chained)) {
            entered = true;
            if (!made_the_record(row.new_value)) {
                noted_again = row.utc_ms;
            } else if (stored.reader_device.empty()) {
                stored.reader_device = device_read_through(row.reason);
            }
        }
    });
    if (noted_again) {
        stored.last_downloaded_at = civil_time(*noted_again, stored.zone());
    } else if (entered) {
        stored.last_downloaded_at = stored.record.downloaded_at;
    }
    return read;
}

std::optional<Verification> MissionArchive::check(std::int64_t id) {
    const std::optional<KeptRecord> kept = store_->kept_record(id);
    if (!kept) {
        return std::nullopt;
    }
    const Checked checked = check_kept_record(*kept);
    // An archive this program may not derive again keeps what older rules derived: its pages
    // and digest still say whether it was changed.
    const bool derived_by_older_rules =
        !store_->derives_summaries() && kept->summary_rules < kSummaryRules;
    return checked.summary_agrees || derived_by_older_rules ? checked.kept : Verification::kAltered;
}

std::optional<Verification> MissionArchive::verify(std::int64_t id) {
    forget_verdicts_if_written();
    if (const auto known = verdicts_.find(id); known != verdicts_.end()) {
        return known->second;
    }
    const std::optional<Verification> verdict = check(id);
    if (verdict) {
        verdicts_[id] = *verdict;
    }
    return verdict;
}

std::optional<std::vector<std::int64_t>> MissionArchive::missing_records() {
    forget_verdicts_if_written();
    if (missing_records_) {
        return missing_records_;
    }
    // A record removed behind the program's back leaves the events that kept it.
    missing_records_ = store_->missing_records();
    return missing_records_;
}

std::optional<RecordStanding> MissionArchive::standing(const ArchiveEntry& record) {
    const std::optional<RecordSignatures> signatures = store_->record_signatures(record.id);
    if (!signatures) {
        return std::nullopt;
    }
    const insight::Limits& limits = signatures->limits.limits;
    // Without limits of the user's the kept verdict judges, and Verify holds it to the pages.
    std::optional<std::string> verdict =
        limits.any() ? verdict_under(record, limits) : std::optional(record.verdict);
    if (!verdict) {
        return std::nullopt;
    }
    return RecordStanding{std::move(*verdict), signatures->state()};
}

std::optional<std::string> MissionArchive::verdict_under(const ArchiveEntry& record,
                                                         const insight::Limits& limits) {
    forget_verdicts_if_written();
    if (const auto known = judged_.find(record.id);
        known != judged_.end() && known->second.first == limits) {
        return known->second.second;
    }
    const std::optional<StoredMission> stored = store_->load(record.id);
    const std::optional<mission::DownloadedMission> shown =
        stored ? mission::decode_recorded_mission(record.logger_id, stored->pages, stored->zone(),
                                                  std::nullopt, mission::TemperatureUnit::kCelsius)
               : std::nullopt;
    if (!shown) {
        if (stored) {
            store_->fail(QStringLiteral("record %1 cannot be decoded").arg(record.id));
        }
        return std::nullopt;
    }
    std::string verdict = list_summary(*shown, stored->zone(), limits).verdict;
    judged_[record.id] = {limits, verdict};
    return verdict;
}

void MissionArchive::forget_verdicts_if_written() {
    const std::optional<std::int64_t> count = store_->change_count();
    if (count != change_count_ || !count) {
        verdicts_.clear();
        judged_.clear();
        missing_records_.reset();
        change_count_ = count;
    }
}

bool MissionArchive::record_programming(const ProgrammingRecord& run) {
    return store_->record_programming(run);
}

std::optional<bool> MissionArchive::holds(const link::LoggerId& logger_id,
                                          const std::string& start_time, int mission_sample_count) {
    const std::unique_ptr<StoreHold> held = store_->hold();
    const std::optional<std::vector<std::int64_t>> records =
        store_->records_of_mission(logger_id, start_time, mission_sample_count);
    if (!records) {
        return std::nullopt;
    }
    for (const std::int64_t id : *records) {
        const std::optional<Verification> verdict = verify(id);
        if (!verdict) {
            return std::nullopt;
        }
        if (verifies(*verdict)) {
            return true;
        }
    }
    return false;
}

std::optional<mission::ClockSetting> MissionArchive::clock_setting(
    const link::LoggerId& logger_id, const platform::LocalDateTime& start) {
    // The run is stamped when it ends, a little after it set the clock; an immediate
    // mission may start within that.
    return store_->last_clock_setting(logger_id, platform::add_seconds(start, kRunLengthS));
}

std::vector<ProgrammingRecord> MissionArchive::programming_runs(const link::LoggerId& logger_id) {
    return store_->programming_runs(logger_id);
}

bool MissionArchive::record_event(const AuditEvent& event) {
    return store_->append_event(event);
}

bool MissionArchive::for_each_event(const AuditFilter& filter,
                                    const std::function<void(const AuditEntry&)>& each) {
    return store_->for_each_event(filter, each);
}

bool MissionArchive::for_newest_events(const AuditFilter& filter, int offset, int limit,
                                       const std::function<void(const AuditEntry&)>& each) {
    return store_->for_newest_events(filter, offset, limit, each);
}

std::optional<TrailCheck> MissionArchive::check_audit_trail(const std::vector<Anchor>& anchors) {
    ChainCheck chain;
    chain.hold(anchors);
    // Read first, in a snapshot that says where the trail ended then.
    const std::optional<AccountsAsKept> rows = store_->accounts_as_kept();
    AccountCheck accounts(rows.value_or(AccountsAsKept{}));
    const std::optional<std::int64_t> issued =
        store_->for_each_chained_row([&](const ChainedRow& row) {
            chain.add(row);
            accounts.add(row.row);
        });
    if (!issued) {
        return std::nullopt;
    }
    TrailCheck check;
    check.broken = chain.finish(*issued);
    check.events = chain.intact_rows();
    check.head = chain.head();
    check.not_held = chain.not_held();
    if (rows) {
        check.accounts = accounts.finish();
    }
    return check;
}

std::optional<std::vector<ShownEvent>> MissionArchive::record_history(std::int64_t id) {
    const std::optional<StoredMission> stored = store_->load(id);
    if (!stored) {
        return std::nullopt;
    }
    AuditFilter about;
    about.object = record_object(id);
    std::vector<ShownEvent> events;
    if (!store_->for_each_event(about, [&](const AuditEntry& entry) {
            const std::int64_t utc_ms = entry.chained.row.utc_ms;
            events.push_back({entry.chained, local_time_text(utc_ms, stored->zone()), {}});
        })) {
        return std::nullopt;
    }
    std::map<std::string, std::string> names;
    for (ShownEvent& event : events) {
        const std::string& user_id = event.chained.row.user_id;
        auto known = names.find(user_id);
        if (known == names.end()) {
            const std::optional<std::string> name = full_name_of(user_id);
            if (!name) {
                return std::nullopt;
            }
            known = names.emplace(user_id, *name).first;
        }
        event.full_name = known->second;
    }
    return events;
}

std::optional<std::string> MissionArchive::full_name_of(const std::string& user_id) {
    AuditFilter about;
    about.object = "user:" + user_id;
    std::optional<ChainedRow> created;
    const bool read = store_->for_each_event(about, [&](const AuditEntry& entry) {
        if (!created && entry.chained.row.action == kAccountCreated) {
            created = entry.chained;
        }
    });
    if (!read) {
        return std::nullopt;
    }
    const std::optional<std::string> name =
        created && hash_holds(*created) ? created_full_name(created->row.new_value) : std::nullopt;
    return name.value_or(std::string());
}

std::optional<Anchor> MissionArchive::audit_head() {
    return store_->chain_head();
}

std::string MissionArchive::audit_head_text() {
    const std::optional<Anchor> head = audit_head();
    return head ? anchor_text(*head) : std::string();
}

std::optional<RecordLimits> MissionArchive::record_limits(std::int64_t id) {
    return store_->record_limits(id);
}

MissionArchive::LimitsChange MissionArchive::set_limits(std::int64_t id, const RecordLimits& limits,
                                                        const std::string& reason,
                                                        bool reason_required) {
    if (!reason_suffices(reason, reason_required)) {
        store_->fail(QStringLiteral("a reason is required"));
        return LimitsChange::kReasonMissing;
    }
    return store_->set_limits(id, limits, reason) ? LimitsChange::kSet : LimitsChange::kFailed;
}

}  // namespace frostel::archive

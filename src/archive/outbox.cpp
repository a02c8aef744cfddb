#include "archive/outbox.h"

#include "archive/audit_chain.h"
#include "archive/pg_store.h"
#include "archive/sqlite_store.h"
#include "platform/local_date_time.h"

namespace frostel::archive {

namespace {

// Notes on `shared` why the upload stopped; false.
bool stop(MissionArchive& shared, const QString& why) {
    return shared.store().fail(why);
}

// The download kept offline in a local record, made again as it was: its pages decoded as
// then, with its time, zone and program, and the device its event says it was read through.
bool upload_download(MissionArchive& local, MissionArchive& shared, const PendingItem& item) {
    const std::int64_t id = *item.record;
    const std::optional<Verification> verdict = local.verify(id);
    if (verdict && !verifies(*verdict)) {
        return stop(shared, QStringLiteral("record %1 of this PC's archive was altered; it is not"
                                           " uploaded")
                                .arg(id));
    }
    const std::optional<StoredMission> stored = verdict ? local.load(id) : std::nullopt;
    const std::optional<platform::LocalDateTime> time = platform::parse_iso(item.downloaded_at);
    std::optional<mission::DownloadedMission> mission =
        stored && time ? mission::decode_recorded_mission(stored->record.logger_id, stored->pages,
                                                          stored->zone(), stored->clock,
                                                          mission::TemperatureUnit::kCelsius)
                       : std::nullopt;
    if (!mission) {
        return stop(shared, QStringLiteral("record %1 of this PC's archive cannot be read: %2")
                                .arg(id)
                                .arg(local.error()));
    }
    mission->reader_device = device_read_through(item.event.chained.row.reason);
    const Stamp stamp{*time, stored->time_zone, stored->utc_offset_seconds,
                      stored->program_version};
    return shared.archive(*mission, stamp).has_value();
}

bool upload_item(MissionArchive& local, SqliteStore& outbox, MissionArchive& shared,
                 PgStore& server, const PendingItem& item) {
    if (item.record) {
        return upload_download(local, shared, item);
    }
    if (item.run) {
        const std::optional<ProgrammingRecord> run = outbox.kept_run(*item.run);
        return run ? shared.record_programming(*run)
                   : stop(shared, QStringLiteral("this PC's archive: %1").arg(local.error()));
    }
    const AuditRow& row = item.event.chained.row;
    return server.upload_event({row.action, row.object, row.old_value, row.new_value, row.reason});
}

// The download kept in this PC's archive at `outbox` as `offline`'s, pending for the shared
// archive that could not be reached (`unreachable` says why).
KeptDownload keep_on_this_pc(const QString& outbox, const Actor& offline,
                             const mission::DownloadedMission& mission, const Stamp& stamp,
                             const QString& unreachable) {
    MissionArchive local(outbox, MissionArchive::Access::kReadWrite, offline);
    KeptDownload kept{KeptDownload::Where::kThisPc, std::nullopt, unreachable, {}};
    if (local.set_offline(true)) {
        kept.archived = local.archive(mission, stamp);
    }
    if (!kept.archived) {
        kept.where = KeptDownload::Where::kNowhere;
        kept.why = local.is_open()
                       ? local.error()
                       : QStringLiteral("%1 cannot be used: %2").arg(local.path(), local.error());
    }
    return kept;
}

// This PC's trail, oldest first, when it chains without a break: the server takes an item
// only with the rows that lead to it.
std::optional<std::vector<ChainedRow>> intact_trail(ArchiveStore& local, MissionArchive& shared) {
    std::vector<ChainedRow> rows;
    ChainCheck chain;
    const std::optional<std::int64_t> issued =
        local.for_each_chained_row([&](const ChainedRow& row) {
            chain.add(row);
            rows.push_back(row);
        });
    if (!issued) {
        stop(shared, QStringLiteral("this PC's archive: %1").arg(local.error()));
        return std::nullopt;
    }
    if (const std::optional<BrokenAt> broken = chain.finish(*issued)) {
        stop(shared, QStringLiteral("this PC's audit trail is broken at event %1 (%2): nothing"
                                    " is uploaded")
                         .arg(broken->sequence)
                         .arg(QString::fromUtf8(break_text(broken->why))));
        return std::nullopt;
    }
    return rows;
}

}  // namespace

Actor not_signed_in() {
    Actor actor = os_actor();
    actor.full_name = kNotSignedIn;
    return actor;
}

KeptDownload keep_download(MissionArchive& archive, const QString& outbox, const Actor& offline,
                           const mission::DownloadedMission& mission, const Stamp& stamp) {
    archive.connect_again_if_dropped();
    if (archive.is_open()) {
        if (auto archived = archive.archive(mission, stamp)) {
            return {KeptDownload::Where::kArchive, std::move(archived), {}, {}};
        }
        // The server may have gone while the download was being written.
        const QString why = archive.error();
        if (!archive.connect_again_if_dropped() || archive.is_open() || !archive.out_of_reach()) {
            return {KeptDownload::Where::kNowhere, std::nullopt, {}, why};
        }
    } else if (!archive.out_of_reach()) {
        return {KeptDownload::Where::kNowhere, std::nullopt, {}, archive.error()};
    }
    return keep_on_this_pc(outbox, offline, mission, stamp, archive.error());
}

std::optional<SyncCount> upload_pending(MissionArchive& local, MissionArchive& shared) {
    SqliteStore* outbox = outbox_of(local.store());
    auto* server = dynamic_cast<PgStore*>(&shared.store());
    if (outbox == nullptr || server == nullptr) {
        stop(shared, QStringLiteral("uploads go from this PC's archive to a shared archive on a"
                                    " server"));
        return std::nullopt;
    }
    // Its error says why it could not be reached.
    if (!shared.is_open()) {
        return std::nullopt;
    }
    const std::unique_ptr<StoreHold> held = local.hold();
    const std::optional<std::vector<PendingItem>> items = outbox->pending_items();
    if (!items) {
        stop(shared, QStringLiteral("this PC's archive: %1").arg(local.error()));
        return std::nullopt;
    }
    const std::optional<std::vector<ChainedRow>> trail =
        items->empty() ? std::vector<ChainedRow>() : intact_trail(*outbox, shared);
    if (!trail) {
        return std::nullopt;
    }
    SyncCount count;
    for (const PendingItem& item : *items) {
        const std::int64_t sequence = item.event.chained.row.sequence;
        const std::optional<bool> taken_now = server->take_upload(
            item, *trail, [&] { return upload_item(local, *outbox, shared, *server, item); });
        if (!taken_now) {
            return std::nullopt;
        }
        if (!outbox->mark_uploaded(sequence)) {
            stop(shared, QStringLiteral("this PC's archive: %1").arg(local.error()));
            return std::nullopt;
        }
        count.uploaded += *taken_now ? 1 : 0;
    }
    const std::optional<int> left = outbox->pending_count();
    if (!left) {
        stop(shared, QStringLiteral("this PC's archive: %1").arg(local.error()));
        return std::nullopt;
    }
    count.pending = *left;
    return count;
}

std::optional<int> pending_count(MissionArchive& local) {
    SqliteStore* outbox = outbox_of(local.store());
    return outbox != nullptr ? outbox->pending_count() : std::nullopt;
}

}  // namespace frostel::archive

#pragma once

#include <ostream>
#include <vector>

#include "archive/mission_archive.h"
#include "archive/outbox.h"
#include "cli/cli_options.h"
#include "link/clock.h"
#include "programming/programming_run.h"
#include "report/report_model.h"

namespace frostel::cli {

struct ArchiveContext {
    archive::MissionArchive& archive;
    link::Clock& clock;
    std::ostream& out;
    std::ostream& err;
    // A person changing a record must say why (with accounts on).
    bool reasons_required = false;
};

// Says on `err` why the archive cannot be used, when it cannot.
[[nodiscard]] bool archive_is_open(const ArchiveContext& context);

// "archive list|show|export|verify", each on an archive opened read-only, and "archive
// limits"; exit 1 on any record altered or that cannot be read, each said on `err`, as are
// the archive's notices.
[[nodiscard]] int run_archive(const ArchiveContext& context, const ArchiveRequest& request);

// "archive sync": the work this PC kept in its archive at `local_path` while the shared
// archive was out of reach, uploaded to `shared`; "UPLOADED N, PENDING M" on `out`, or exit 1
// with the reason on `err` when the server cannot be reached or refuses.
[[nodiscard]] int run_sync(archive::MissionArchive& shared, const QString& local_path,
                           std::ostream& out, std::ostream& err);

// A kept record as its report shows it, judged by the limits and dH in force for it; nothing,
// said on `err`, when it cannot be decoded or its limits cannot be read.
[[nodiscard]] std::optional<report::ReportInput> report_input(const ArchiveContext& context,
                                                              const archive::StoredMission& stored);

// Keeps a finished download (see archive::keep_download: in this PC's archive at `outbox`,
// as `offline`'s, while the shared archive cannot be reached) and says where on `err`; one
// kept nowhere is said and entered in the audit trail.
[[nodiscard]] archive::KeptDownload::Where keep_download(const ArchiveContext& context,
                                                         const QString& outbox,
                                                         const archive::Actor& offline,
                                                         const mission::DownloadedMission& mission);

// The archive's notices (a damaged file set aside) on `err`.
void say_notice(const ArchiveContext& context);

// Enters `event` in the archive's audit trail; one that cannot be is reported on `err`.
void note_event(const ArchiveContext& context, const archive::AuditEvent& event);
void note_events(const ArchiveContext& context, const std::vector<archive::AuditEvent>& events);

// The programming run's question about a mission the logger still holds: overwritten
// when kept in the archive or when `force` is given; otherwise the sentence on `err`, and
// the run ends.
[[nodiscard]] programming::HeldMissionChoice held_mission_choice(
    const ArchiveContext& context, const mission::HeldMission& mission, bool force);

// Records a programming run that reached the logger in the logger's history, one ended at
// the question about a mission never downloaded too.
void record_run(const ArchiveContext& context, const programming::ProgrammingSettings& settings,
                const programming::RunResult& result);

}  // namespace frostel::cli

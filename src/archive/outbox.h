#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

#include "archive/mission_archive.h"

namespace frostel::archive {

// What the window and frostel-cli say of a download the shared archive could not take.
inline constexpr const char* kKeptOffline = "kept on this PC, not yet in the shared archive";

// Who the work kept on this PC is while a shared archive that has, or may have, accounts
// cannot be reached: nobody can sign in, so it is the operating-system user's, named so.
inline constexpr const char* kNotSignedIn = "not signed in: server out of reach";
[[nodiscard]] Actor not_signed_in();

// Where keep_download kept a finished download.
struct KeptDownload {
    enum class Where { kArchive, kThisPc, kNowhere };
    Where where = Where::kNowhere;
    // What the archive that took it (this PC's, for kThisPc) made of it.
    std::optional<std::pair<Archived, std::int64_t>> archived;
    // Why the shared archive could not be reached, when it could not.
    QString unreachable;
    // kNowhere: why not.
    QString why;
};

// Keeps a finished download in `archive`, connected anew when the server dropped its
// connection. While it is a shared archive whose server cannot be reached now, the download
// is kept in this PC's archive file at `outbox` instead, pending for it, as `offline`'s: the
// operating-system user (not_signed_in() where accounts may be on).
[[nodiscard]] KeptDownload keep_download(MissionArchive& archive, const QString& outbox,
                                         const Actor& offline,
                                         const mission::DownloadedMission& mission,
                                         const Stamp& stamp);

struct SyncCount {
    int uploaded = 0;  // taken by the shared archive in this run
    int pending = 0;   // still waiting on this PC after it
};

// The PC's local archive as the shared archive's outbox. What is entered in `local` while it
// is offline (MissionArchive::set_offline) is pending: each download with its
// download-archived event, each programming run, and the events the shared archive keeps.
// An event about a record this PC kept before going offline stays on this PC.

// Uploads `local`'s pending work to `shared`, oldest first, each item once: the shared archive
// keeps the key of every item it took (this archive's identity and the item's place in its
// trail), so a run killed between the server's commit and the local mark, and run again,
// takes nothing twice. A download joins the shared archive as any download does (a new
// record, a later download, or noted on the record of the same pages); every event keeps its
// time on this PC and is marked as kept offline. Nothing, with shared.error() saying why, when
// either archive cannot be read or the shared one cannot be reached or refuses an item; the
// items taken before that stay taken.
[[nodiscard]] std::optional<SyncCount> upload_pending(MissionArchive& local,
                                                      MissionArchive& shared);

// How many items wait in `local`; nothing, with local.error() saying why, when it cannot
// tell.
[[nodiscard]] std::optional<int> pending_count(MissionArchive& local);

}  // namespace frostel::archive

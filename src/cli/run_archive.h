#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <utility>

#include "archive/mission_archive.h"

namespace frostel::cli {

// The one archive a run of frostel-cli works on, opened when first needed: the person signs
// in on it, and it enters their work in their session. A shared archive, or a file with
// accounts on, is opened to be written; a file without accounts only for a command that
// writes, so that reading never makes or touches a file.
class RunArchive {
  public:
    RunArchive(QString location, bool writes) : location_(std::move(location)), writes_(writes) {}

    // Whether it is a shared archive on a server.
    [[nodiscard]] bool shared() const;
    // Whether accounts are on; a file that cannot be read counts as on. Nothing when a shared
    // archive cannot be opened (archive() says why).
    [[nodiscard]] std::optional<bool> accounts_on();
    [[nodiscard]] archive::MissionArchive& archive();
    // Who the run's work kept on this PC for the shared archive is: the operating-system
    // user, and not signed in unless the shared archive was seen without accounts in this
    // run (one that was never reached may have them).
    [[nodiscard]] archive::Actor offline_actor() const;
    // From now on the run works on this PC's archive at `local` as offline_actor(), its work
    // pending for the shared archive that cannot be reached; false when that is no outbox.
    [[nodiscard]] bool work_offline(QString local);

  private:
    QString location_;
    bool writes_;
    // Whether the shared archive had accounts on, once it said.
    std::optional<bool> shared_accounts_;
    std::optional<archive::MissionArchive> archive_;
    // A run is one command: it keeps its connection to the archive to the end.
    std::unique_ptr<archive::StoreHold> held_;
};

}  // namespace frostel::cli

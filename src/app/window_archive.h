#pragma once

#include <QString>
#include <chrono>
#include <memory>
#include <optional>

#include "archive/mission_archive.h"
#include "link/clock.h"

namespace frostel::app {

// Where the program's archive is: the shared archive the site set for the program folder,
// else the data folder's own file.
[[nodiscard]] QString archive_location(const QString& program_folder, const QString& data_folder);

// Why the program may not work on the archive at `location` at all: a file without accounts
// in place of one set aside as damaged that had them (see archive::accounts_left_behind);
// empty when it may.
[[nodiscard]] QString archive_refusal(const QString& location);

// What openings had for the user, once: the store's notice, and what was uploaded.
struct ArchiveNews {
    QString notice;
    QString uploads;
};

// The one archive the sign-in, the main window and its controllers work on for the whole
// run: opened by whoever needs it first, opened again when its location changed or the last
// opening failed, and acting as whoever works at the window. While a shared archive cannot
// be reached, the data folder's own archive keeps downloads for it, and each opening that
// reaches it uploads them.
class WindowArchive {
  public:
    WindowArchive(QString program_folder, const link::Clock& clock);

    // Where the archive for `data_folder` is (see archive_location).
    [[nodiscard]] QString location(const QString& data_folder) const;
    // The archive for `data_folder`, acting as `actor`.
    [[nodiscard]] archive::MissionArchive& open(const QString& data_folder,
                                                const archive::Actor& actor);
    // The same, connected anew when a shared archive's connection no longer answers (its
    // server dropped it), uploading what waits once it is reached again: for a download,
    // which goes to this PC's archive only when the server cannot be reached now.
    [[nodiscard]] archive::MissionArchive& open_live(const QString& data_folder,
                                                     const archive::Actor& actor);
    // The archive opened last: open() ran before.
    [[nodiscard]] archive::MissionArchive& current();
    // Whether the archive is a site's shared one.
    [[nodiscard]] bool shared() const;
    [[nodiscard]] ArchiveNews take_news();

  private:
    [[nodiscard]] bool should_open(const QString& location) const;
    void upload_pending(const QString& data_folder);

    QString program_folder_;
    const link::Clock& clock_;
    // As the setting or the data folder gave it: a store shows a server's address its own way.
    QString location_;
    std::unique_ptr<archive::MissionArchive> archive_;
    std::optional<std::chrono::steady_clock::time_point> failed_at_;
    ArchiveNews news_;
};

}  // namespace frostel::app

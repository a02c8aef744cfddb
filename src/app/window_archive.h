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

// Why `location` cannot become the program's archive: an address that carries a password, a
// server not reached within 2 s or on another schema, a file that is no archive; empty when it
// can. Empty `location` is the data folder's own archive, always fine.
[[nodiscard]] QString archive_location_problem(const QString& location);

// The one archive the sign-in, the main window and its controllers work on for the whole
// run: opened by whoever needs it first, opened again when its location changed or the last
// opening failed, and acting as whoever works at the window.
class WindowArchive {
  public:
    WindowArchive(QString program_folder, const link::Clock& clock);

    // Where the archive for `data_folder` is (see archive_location).
    [[nodiscard]] QString location(const QString& data_folder) const;
    // The archive for `data_folder`, acting as `actor`.
    [[nodiscard]] archive::MissionArchive& open(const QString& data_folder,
                                                const archive::Actor& actor);
    // The archive opened last: open() ran before.
    [[nodiscard]] archive::MissionArchive& current();
    // Whether the archive is a site's shared one.
    [[nodiscard]] bool shared() const;
    // What the last openings had for the user (a notice of the store's, uploads made), once.
    [[nodiscard]] QString take_news();

  private:
    [[nodiscard]] bool should_open(const QString& location) const;

    QString program_folder_;
    const link::Clock& clock_;
    // As the setting or the data folder gave it: a store shows a server's address its own way.
    QString location_;
    std::unique_ptr<archive::MissionArchive> archive_;
    std::optional<std::chrono::steady_clock::time_point> failed_at_;
    QString news_;
};

}  // namespace frostel::app

#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/controller_ties.h"
#include "app/window_archive.h"
#include "archive/mission_archive.h"
#include "mission/download.h"
#include "programming/programming_run.h"

class QPushButton;

namespace frostel::app {

class ArchiveWindow;

// The window's archive (a site's shared archive, else the data folder's own) and its window:
// downloads and programming runs kept, files written and settings changed entered in the
// audit trail. Opening or saving a record from the window is the mission controller's, handed
// in as `open` and `save_as`.
class ArchiveActions final : public QObject {
    Q_OBJECT

  public:
    ArchiveActions(const ControllerTies& ties, WindowArchive& archive, QPushButton& archive_button,
                   std::function<void(std::int64_t id)> open,
                   std::function<void(std::int64_t id)> save_as);

    // Opened again when its location changed or the last opening failed; acting as the
    // person at the window.
    [[nodiscard]] archive::MissionArchive& mission_archive();
    // The "Archive" window, made on first use.
    [[nodiscard]] ArchiveWindow& archive_window();
    // An open Archive window shows again what the data folder's archive holds and what the
    // person at the window may do: either changed.
    void refresh_window();

    // How a download was kept: in the archive as record `id`; on this PC alone while the
    // shared archive cannot be reached (no id yet); or not at all.
    struct KeptDownload {
        bool kept = false;
        std::optional<std::int64_t> id;
    };
    // Kept for good; an archive that cannot take it says so, and the download stays shown.
    // That warning is closed before this returns: the user reads it before any save dialog
    // opens over it.
    KeptDownload keep_download(const mission::DownloadedMission& mission,
                               const archive::Stamp& stamp);
    void keep_programming_run(const programming::ProgrammingSettings& settings,
                              const programming::RunResult& result);
    // Makes `location` the program's archive (empty: the data folder's own), for those who
    // may change the data folder, and enters the change; why it could not, or empty.
    [[nodiscard]] QString share(const QString& location);
    // An event that cannot be entered in the audit trail is said.
    void note_event(const archive::AuditEvent& event);
    // A file written from the mission with `fingerprint`, named by its absolute path.
    void note_file_written(const std::string& kind, const QString& path,
                           const std::string& fingerprint);
    void warn(const QString& text);
    // Where a file went, said in the status line and in the open Archive window: a file
    // saved from there is said where the user looks.
    void say_written(const QString& outcome);
    // Whether the person at the window may do `what` ("export CSV"), which needs `right`;
    // a refusal is entered in the audit trail, about `object` when it names one, and said.
    [[nodiscard]] bool allows(archive::Right right, const std::string& what,
                              const std::string& object = {});
    // Whether work that only a person signed in on the archive may do (`what`: "Programming
    // a logger") may go on: with accounts on, not while the shared archive cannot be
    // reached, which is said.
    [[nodiscard]] bool server_answers(const QString& what);

  private:
    // A warning read before anything else goes on.
    void warn_and_wait(const QString& text);
    // What opening `archive` had for the user, said; `archive`.
    archive::MissionArchive& news_said(archive::MissionArchive& archive);

    ControllerTies ties_;
    std::function<void(std::int64_t)> open_;
    std::function<void(std::int64_t)> save_as_;
    WindowArchive& archive_;
    QPointer<ArchiveWindow> archive_window_;
};

}  // namespace frostel::app

#include "app/archive_actions.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/archive_window.h"
#include "app/busy_state.h"
#include "app/file_name_dialogs.h"
#include "app/topmost.h"
#include "archive/account_book.h"
#include "archive/archive_location.h"
#include "archive/logger_history.h"
#include "archive/outbox.h"
#include "platform/archive_setting.h"

namespace frostel::app {

ArchiveActions::ArchiveActions(const ControllerTies& ties, WindowArchive& archive,
                               QPushButton& archive_button, std::function<void(std::int64_t)> open,
                               std::function<void(std::int64_t)> save_as)
    : QObject(&ties.window),
      ties_(ties),
      open_(std::move(open)),
      save_as_(std::move(save_as)),
      archive_(archive) {
    connect(&archive_button, &QPushButton::clicked, this,
            [this] { show_in_role(&archive_window(), WindowRole::kOrdinary); });
}

archive::MissionArchive& ArchiveActions::mission_archive() {
    return news_said(archive_.open(ties_.settings.data_folder, ties_.actor()));
}

archive::MissionArchive& ArchiveActions::news_said(archive::MissionArchive& archive) {
    const ArchiveNews news = archive_.take_news();
    if (!news.notice.isEmpty()) {
        warn(news.notice);
    }
    if (!news.uploads.isEmpty()) {
        show_note(&ties_.window, "uploaded", tr("Archive"), news.uploads);
    }
    return archive;
}

ArchiveWindow& ArchiveActions::archive_window() {
    if (archive_window_.isNull()) {
        archive_window_ = new ArchiveWindow(
            {[this]() -> archive::MissionArchive& { return mission_archive(); }, open_, save_as_,
             [this](const archive::AuditEvent& event) { note_event(event); }, ties_.person,
             [this](QWidget* parent) {
                 return allows(archive::Right::kExport, "bundle a record")
                            ? ties_.file_dialogs.folder_name(parent, ties_.settings.data_folder)
                            : QString();
             },
             [this] { return platform::read_archive_setting(ties_.program_folder); },
             [this](const QString& location) { return share(location); }},
            &ties_.window);
        ties_.busy.guard(&archive_window_->open_button());
        for (QPushButton* writer :
             {&archive_window_->save_button(), &archive_window_->bundle_button()}) {
            ties_.busy.guard(
                writer, ties_.permission(archive::Right::kExport, writer->text().remove("...")));
        }
    }
    return *archive_window_;
}

QString ArchiveActions::share(const QString& location) {
    if (!ties_.may(archive::Right::kChangeAccounts)) {
        return tr("Only an administrator may change the shared archive.");
    }
    archive::ArchiveChange change = archive::set_archive_location(ties_.program_folder, location);
    // Entered in the archive now in use, as a change of data folder is.
    if (change.event) {
        note_event(*change.event);
    }
    return change.problem;
}

void ArchiveActions::refresh_window() {
    if (!archive_window_.isNull() && archive_window_->isVisible()) {
        archive_window_->refresh();
    }
}

ArchiveActions::KeptDownload ArchiveActions::keep_download(
    const mission::DownloadedMission& mission, const archive::Stamp& stamp) {
    archive::MissionArchive& store =
        news_said(archive_.open_live(ties_.settings.data_folder, ties_.actor()));
    // The person at the window signed in on the server, never on this PC's archive: with
    // accounts on, what it keeps in its place is nobody's signed in.
    const archive::Actor offline =
        ties_.signed_in() ? archive::not_signed_in() : archive::os_actor();
    const archive::KeptDownload kept = archive::keep_download(
        store, archive::archive_path(ties_.settings.data_folder), offline, mission, stamp);
    using Where = archive::KeptDownload::Where;
    if (kept.where == Where::kThisPc) {
        show_note(&ties_.window, "kept_offline", tr("Archive"), QString(archive::kKeptOffline),
                  tr("The shared archive cannot be reached: %1").arg(kept.unreachable));
        return {true, std::nullopt};
    }
    if (kept.where == Where::kNowhere && !kept.unreachable.isEmpty()) {
        warn_and_wait(
            tr("This download was not archived: the shared archive cannot be reached (%1), and "
               "this PC's archive could not keep it: %2\nIt stays on screen; save it to keep it.")
                .arg(kept.unreachable, kept.why));
        return {};
    }
    if (kept.where == Where::kNowhere) {
        const QString why =
            store.is_open() ? kept.why : tr("%1 cannot be used: %2").arg(store.path(), kept.why);
        (void)store.record_event(archive::download_not_archived(why.toStdString()));
        warn_and_wait(
            tr("This download was not archived: %1\nIt stays on screen; save it to keep it.")
                .arg(why));
        return {};
    }
    refresh_window();
    return {true, kept.archived->second};
}

void ArchiveActions::keep_programming_run(const programming::ProgrammingSettings& settings,
                                          const programming::RunResult& result) {
    const auto run = archive::programming_record(
        archive::stamp_now(ties_.clock),
        {result.logger_id, result.logger_type, programming::setting_rows(settings),
         result.written_pages, programming::recorded_result(result)});
    if (run && !mission_archive().record_programming(*run)) {
        warn(tr("The programming run was not recorded in the archive: %1")
                 .arg(mission_archive().error()));
    }
}

void ArchiveActions::note_event(const archive::AuditEvent& event) {
    archive::MissionArchive& store = mission_archive();
    if (!store.record_event(event)) {
        warn(tr("The %1 event was not entered in the audit trail: %2")
                 .arg(QString::fromStdString(event.action), store.error()));
    }
}

void ArchiveActions::note_file_written(const std::string& kind, const QString& path,
                                       const std::string& fingerprint) {
    note_event(
        archive::file_written(kind, QFileInfo(path).absoluteFilePath().toStdString(), fingerprint));
}

bool ArchiveActions::allows(archive::Right right, const std::string& what,
                            const std::string& object) {
    const std::optional<archive::Person> person = ties_.signed_in();
    if (holds_right(person, right)) {
        return true;
    }
    archive::AccountBook book(mission_archive());
    const archive::AccountAnswer refusal = book.refuse(*person, what, object);
    QString text = tr("The role %1 may not %2.")
                       .arg(QString::fromStdString(std::string(archive::role_name(person->role))),
                            QString::fromStdString(what));
    if (refusal.kind == archive::AccountAnswer::Kind::kFailed) {
        text += '\n' + tr("The refusal was not entered in the audit trail: %1")
                           .arg(QString::fromStdString(refusal.why));
    }
    warn(text);
    return false;
}

bool ArchiveActions::server_answers(const QString& what) {
    if (!ties_.signed_in()) {
        return true;
    }
    const archive::MissionArchive& store =
        news_said(archive_.open_live(ties_.settings.data_folder, ties_.actor()));
    if (!store.out_of_reach()) {
        return true;
    }
    warn(tr("%1 is refused until the shared archive can be reached: %2").arg(what, store.error()));
    return false;
}

void ArchiveActions::say_written(const QString& outcome) {
    ties_.say(outcome);
    if (!archive_window_.isNull() && archive_window_->isVisible()) {
        archive_window_->status_line().setText(outcome);
    }
}

void ArchiveActions::warn(const QString& text) {
    show_warning(&ties_.window, "archive_warning", tr("Archive"), text);
}

void ArchiveActions::warn_and_wait(const QString& text) {
    show_warning_and_wait(&ties_.window, "archive_warning", tr("Archive"), text);
}

}  // namespace frostel::app

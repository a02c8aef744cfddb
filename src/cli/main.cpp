// frostel-cli: the reader link from a terminal, on the same core as the windows.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "archive/account_book.h"
#include "archive/archive_files.h"
#include "archive/archive_location.h"
#include "archive/mission_archive.h"
#include "archive/outbox.h"
#include "archive/pg_address.h"
#include "cli/cli_archive.h"
#include "cli/cli_audit.h"

#include "cli/cli_commands.h"
#include "cli/cli_download.h"
#include "cli/cli_migrate.h"
#include "cli/cli_options.h"
#include "cli/cli_sign.h"
#include "cli/cli_summary.h"
#include "cli/cli_users.h"
#include "cli/run_archive.h"
#include "datafile/data_file.h"
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "link/reader_link.h"
#include "link/wire_log.h"
#include "platform/archive_setting.h"
#include "platform/program_folder.h"
#include "platform/settings_file.h"
#include "platform/time_zone.h"

namespace {

using namespace frostel;

// The folder given, else the program's own; none, said on stderr, when there is neither.
std::optional<std::filesystem::path> chosen_program_folder(const cli::CliOptions& options) {
    if (options.program_folder) {
        return options.program_folder;
    }
    const platform::ProgramFolder folder = platform::program_folder();
    if (folder.path.isEmpty()) {
        std::cerr << "frostel-cli: " << folder.problem.toStdString() << '\n';
        return std::nullopt;
    }
    return QFile::encodeName(folder.path).toStdString();
}

QString decoded(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

// This PC's own archive: the one in the data folder given, else in the settings' data folder.
QString local_archive(const cli::CliOptions& options, const std::filesystem::path& folder) {
    if (options.data_folder) {
        return archive::archive_path(decoded(*options.data_folder));
    }
    const QString settings = QDir(decoded(folder)).filePath(platform::kSettingsFileName);
    return archive::archive_path(platform::read_settings_file(settings).data_folder);
}

// The archive the run works on: the one given, else the program folder's archive setting
// (unless a data folder is given), else this PC's own.
QString chosen_archive(const cli::CliOptions& options, const std::filesystem::path& folder) {
    if (options.archive_address) {
        return QString::fromStdString(*options.archive_address);
    }
    if (!options.data_folder) {
        if (QString setting = platform::read_archive_setting(decoded(folder)); !setting.isEmpty()) {
            return setting;
        }
    }
    return local_archive(options, folder);
}

// The files the command writes, as named: a pair's two, and a bundle's folder (its files go
// into a new or empty one, so none of them is there yet).
std::vector<QString> written_files(const cli::CliOptions& options) {
    std::vector<QString> files;
    for (const std::optional<std::filesystem::path>& file :
         {options.wire_log, options.csv_file, options.summary.file, options.report.file,
          options.archive.csv_file, options.archive.pdf_file,
          std::optional(options.archive.bundle_folder), std::optional(options.audit.csv_file)}) {
        if (file && !file->empty()) {
            files.push_back(decoded(*file));
        }
    }
    if (options.archive.frd_file) {
        const QString data_file = datafile::data_file_name(decoded(*options.archive.frd_file));
        files.push_back(data_file);
        files.push_back(datafile::chart_document_name(data_file));
    }
    return files;
}

// A file the command would write over one of an archive's: the one it works on, or this PC's
// own, which keeps downloads while a shared archive cannot be reached.
std::optional<QString> written_over_archive(const cli::CliOptions& options,
                                            const std::filesystem::path& folder) {
    const std::vector<QString> files = written_files(options);
    if (files.empty()) {
        return std::nullopt;
    }
    const QString archives[] = {chosen_archive(options, folder), local_archive(options, folder)};
    for (const QString& file : files) {
        for (const QString& archive : archives) {
            if (archive::is_archive_file(file, archive)) {
                return file;
            }
        }
    }
    return std::nullopt;
}

// Whether the command writes the archive; the others' events are written through a
// connection of their own, unless the archive was opened to be written anyway.
bool writes(const cli::CliOptions& options) {
    switch (options.command) {
        case cli::Command::kId:
        case cli::Command::kStatus:
        case cli::Command::kReadPage:
        case cli::Command::kAudit:
        case cli::Command::kBundle:
            return false;
        case cli::Command::kArchive:
            return options.archive.action == cli::ArchiveAction::kLimits;
        case cli::Command::kDownload:
        case cli::Command::kProgram:
        case cli::Command::kSummary:
        case cli::Command::kUsers:
        case cli::Command::kSign:
            break;
    }
    return true;
}

// The commands that need a person signed in on a shared archive whose accounts may be on;
// nullptr for the others.
const char* person_bound(const cli::CliOptions& options) {
    switch (options.command) {
        case cli::Command::kProgram:
            return "program";
        case cli::Command::kSign:
            return "sign";
        case cli::Command::kArchive:
            return options.archive.action == cli::ArchiveAction::kLimits ? "archive limits"
                                                                         : nullptr;
        case cli::Command::kId:
        case cli::Command::kStatus:
        case cli::Command::kReadPage:
        case cli::Command::kDownload:
        case cli::Command::kSummary:
        case cli::Command::kAudit:
        case cli::Command::kUsers:
        case cli::Command::kBundle:
            break;
    }
    return nullptr;
}

// The run's work kept in this PC's archive at `outbox` from now on, for the shared archive
// that cannot be reached; said when nobody is signed in for it.
bool work_offline(cli::RunArchive& chosen, const QString& outbox) {
    const bool offline = chosen.work_offline(outbox);
    if (const archive::Actor& actor = chosen.archive().actor();
        actor.full_name == archive::kNotSignedIn) {
        std::cerr << "frostel-cli: " << archive::kNotSignedIn << "; acting as " << actor.user_id
                  << '\n';
    }
    return offline;
}

int run_archive_command(const cli::CliOptions& options, archive::MissionArchive& store) {
    link::SystemClock clock;
    cli::ArchiveContext context{store, clock, std::cout, std::cerr};
    // With accounts on, whoever changes a record's limits must say why.
    context.reasons_required = options.archive.action == cli::ArchiveAction::kLimits &&
                               archive::AccountBook(store).accounts_on().value_or(true);
    return options.command == cli::Command::kAudit ? cli::run_audit(context, options.audit)
                                                   : cli::run_archive(context, options.archive);
}

// Points the program folder at another archive; the archive in use until now enters it.
int run_archive_use(const cli::CliOptions& options, const std::filesystem::path& folder,
                    archive::MissionArchive& store) {
    const QString location = QString::fromStdString(options.archive.location);
    const archive::ArchiveChange change = archive::set_archive_location(decoded(folder), location);
    if (!change.problem.isEmpty()) {
        std::cerr << "frostel-cli: the archive was not changed: " << change.problem.toStdString()
                  << '\n';
        return cli::kExitFailed;
    }
    if (change.event) {
        link::SystemClock clock;
        cli::note_event({store, clock, std::cout, std::cerr}, *change.event);
    }
    std::cout << "ARCHIVE IN USE: "
              << (location.isEmpty() ? "the data folder's own archive"
                                     : archive::shown_location(location))
              << '\n';
    return cli::kExitOk;
}

// Only a shared archive is migrated, and only when named on the command line.
int run_migrate(const cli::CliOptions& options) {
    if (!options.archive_address || !archive::looks_like_pg_uri(*options.archive_address)) {
        std::cerr << "frostel-cli: archive migrate needs --archive URL of a shared archive\n";
        return cli::kExitUsage;
    }
    return cli::run_migrate(*options.archive_address, std::cout, std::cerr);
}

int run_summary(const cli::CliOptions& options, cli::RunArchive& chosen) {
    // The archive only for the audit trail, and only when a report is written.
    link::SystemClock clock;
    return cli::run_summary(
        options, std::cout, std::cerr,
        [&](const archive::AuditEvent& event) {
            cli::note_event({chosen.archive(), clock, std::cout, std::cerr}, event);
        },
        [&] { return chosen.archive().audit_head_text(); });
}

// The commands that talk to the logger; program and download keep what they did in `chosen`
// (`kept_offline`: this PC's archive, while the shared archive is out of reach).
int run_with_logger(const cli::CliOptions& options, const std::filesystem::path& folder,
                    cli::RunArchive& chosen, bool kept_offline) {
    const int port_number = options.port.value_or(link::kFirstPortNumber);
    const std::string device = options.device.value_or(link::device_for_port(folder, port_number));
    link::QtSerialPort port(link::QtSerialPort::fixed_device(device));
    link::SystemClock clock;
    std::ofstream transcript;
    if (options.wire_log) {
        transcript.open(*options.wire_log);
        if (!transcript) {
            std::cerr << "frostel-cli: cannot write the wire log " << *options.wire_log << '\n';
            return cli::kExitUsage;
        }
    }
    link::WireLog wire(port, clock, options.wire_log ? &transcript : nullptr);
    link::ReaderLink reader(wire, clock);
    link::LoggerCommands commands(reader);
    reader.open_port(port_number);

    const cli::CommandContext context{commands, std::cout, std::cerr};
    const auto kept_in = [&]() -> cli::ArchiveContext {
        return {chosen.archive(), clock, std::cout, std::cerr};
    };
    switch (options.command) {
        case cli::Command::kId:
            return cli::run_id(context);
        case cli::Command::kStatus:
            return cli::run_status(context);
        case cli::Command::kReadPage:
            return cli::run_read_pages(context, options.pages);
        case cli::Command::kProgram: {
            const cli::ArchiveContext kept = kept_in();
            cli::say_notice(kept);
            programming::RunHooks hooks;
            hooks.held_mission = [&](const mission::HeldMission& mission) {
                return cli::held_mission_choice(kept, mission, options.force);
            };
            return cli::run_program(context, clock, port_number, options.program, hooks,
                                    [&](const programming::RunResult& result) {
                                        cli::record_run(kept, options.program, result);
                                    });
        }
        case cli::Command::kDownload: {
            cli::DownloadRequest request{clock,
                                         port_number,
                                         folder,
                                         options.csv_file,
                                         options.unit,
                                         options.summary,
                                         platform::pc_time_zone(),
                                         options.report};
            request.keep = [&](const mission::DownloadedMission& mission) {
                if (!options.keep_in_archive) {
                    // Opening the archive for the event may have set a damaged file aside.
                    cli::say_notice(kept_in());
                    cli::note_event(kept_in(),
                                    archive::download_not_archived("--no-archive was given"));
                    return true;
                }
                using Where = archive::KeptDownload::Where;
                const QString outbox = local_archive(options, folder);
                const Where where =
                    cli::keep_download(kept_in(), outbox, chosen.offline_actor(), mission);
                if (where == Where::kThisPc) {
                    // The server went during the download: the run's events wait there too.
                    kept_offline = work_offline(chosen, outbox);
                }
                if (where != Where::kNowhere && kept_offline) {
                    std::cerr << archive::kKeptOffline << '\n';
                }
                return where != Where::kNowhere;
            };
            request.clock_setting = [&](const mission::MissionHeader& header) {
                return chosen.archive().clock_setting(header.logger_id, header.start_time);
            };
            request.audit = [&](const archive::AuditEvent& event) {
                cli::note_event(kept_in(), event);
            };
            request.audit_head = [&] { return chosen.archive().audit_head_text(); };
            return cli::run_download(context, request);
        }
        case cli::Command::kSummary:
        case cli::Command::kArchive:
        case cli::Command::kAudit:
        case cli::Command::kUsers:
        case cli::Command::kSign:
        case cli::Command::kBundle:
            break;
    }
    return cli::kExitUsage;
}

int run(const cli::CliOptions& options) {
    // A bundle is checked from its files alone, as an inspector without the archive would.
    if (options.command == cli::Command::kBundle) {
        return cli::run_bundle_check(options.bundle, std::cout);
    }
    if (options.command == cli::Command::kArchive &&
        options.archive.action == cli::ArchiveAction::kMigrate) {
        return run_migrate(options);
    }
    const std::optional<std::filesystem::path> chosen_folder = chosen_program_folder(options);
    if (!chosen_folder) {
        return cli::kExitFailed;
    }
    const std::filesystem::path& folder = *chosen_folder;
    if (const std::optional<QString> file = written_over_archive(options, folder)) {
        std::cerr << "frostel-cli: " << file->toStdString()
                  << " is the archive; choose another name\n";
        return cli::kExitUsage;
    }
    cli::RunArchive chosen(chosen_archive(options, folder), writes(options));
    // Nobody signs in on a shared archive that cannot be reached, nor on this PC in its place:
    // a download waits on this PC, the person's own work until the server answers.
    bool kept_offline = false;
    if (chosen.shared() && chosen.archive().out_of_reach()) {
        if (options.command == cli::Command::kDownload) {
            kept_offline = work_offline(chosen, local_archive(options, folder));
        } else if (const char* command = person_bound(options)) {
            std::cerr << "frostel-cli: " << command
                      << " refused until the shared archive can be reached: "
                      << chosen.archive().error().toStdString() << '\n';
            return cli::kExitRefused;
        }
    }
    const bool syncs = options.command == cli::Command::kArchive &&
                       options.archive.action == cli::ArchiveAction::kSync;
    if (syncs && !chosen.shared()) {
        std::cerr << "frostel-cli: archive sync needs a shared archive: --archive URL, or one "
                     "set in the program folder\n";
        return cli::kExitUsage;
    }
    cli::PasswordLines passwords(std::cin, options.password_file);
    if (options.command == cli::Command::kUsers) {
        return cli::run_users(options, chosen, passwords, std::cout, std::cerr);
    }
    if (options.command == cli::Command::kSign) {
        return cli::run_sign(options, chosen, passwords, std::cout, std::cerr);
    }
    if (const std::optional<int> refused =
            kept_offline ? std::nullopt : cli::sign_in_for(options, chosen, passwords, std::cerr)) {
        return *refused;
    }
    if (options.command == cli::Command::kSummary) {
        return run_summary(options, chosen);
    }
    if (syncs) {
        return cli::run_sync(chosen.archive(), local_archive(options, folder), std::cout,
                             std::cerr);
    }
    if (options.command == cli::Command::kArchive &&
        options.archive.action == cli::ArchiveAction::kUse) {
        return run_archive_use(options, folder, chosen.archive());
    }
    if (options.command == cli::Command::kArchive || options.command == cli::Command::kAudit) {
        return run_archive_command(options, chosen.archive());
    }
    return run_with_logger(options, folder, chosen, kept_offline);
}

// A report is painted with fonts, which need a GUI application; the offscreen platform gives
// one without a display, so the program runs headless wherever it is started.
std::unique_ptr<QCoreApplication> application_for(const cli::CliOptions& options, int& argc,
                                                  char** argv) {
    const bool paints = options.report.file || options.archive.pdf_file ||
                        (options.command == cli::Command::kArchive &&
                         options.archive.action == cli::ArchiveAction::kBundle);
    if (!paints) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes on the desktop session (no runtime folder under cron, say) would mix with
    // the program's own lines on stderr; only its errors are worth a user's eye.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::cerr << text.toStdString() << '\n';
        }
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}

int run_program(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = cli::parse_cli_options(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::cerr << "frostel-cli: " << *problem << '\n' << cli::kCliUsage;
        return cli::kExitUsage;
    }
    const auto& options = std::get<cli::CliOptions>(parsed);
    if (options.help) {
        std::cout << cli::kCliUsage;
        return cli::kExitOk;
    }
    if (options.version) {
        std::cout << "frostel-cli " FROSTEL_VERSION "\n";
        return cli::kExitOk;
    }
    const auto application = application_for(options, argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(platform::kApplicationName));
    return run(options);
}

}  // namespace

int main(int argc, char** argv) {
    // Whatever escapes (memory, a file system error) ends the run as a failure with its
    // reason, not as an abort.
    try {
        return run_program(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "frostel-cli: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "frostel-cli: unexpected error\n";
    }
    return cli::kExitFailed;
}

// frostel-cli: the reader link from a terminal, on the same core as the windows.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "archive/account_book.h"
#include "archive/mission_archive.h"
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
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "link/reader_link.h"
#include "link/wire_log.h"
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

// The archive file given, else the one in the data folder given, else in the settings' data
// folder.
QString archive_file(const cli::CliOptions& options, const std::filesystem::path& folder) {
    if (options.archive_address) {
        return QFile::decodeName(options.archive_address->c_str());
    }
    if (options.data_folder) {
        return archive::archive_path(QFile::decodeName(options.data_folder->c_str()));
    }
    const QString settings =
        QDir(QFile::decodeName(folder.c_str())).filePath(platform::kSettingsFileName);
    return archive::archive_path(platform::read_settings_file(settings).data_folder);
}

int run_archive_command(const cli::CliOptions& options, const QString& archive,
                        const archive::Actor& actor) {
    link::SystemClock clock;
    // Only limits change the archive; the others' events are written through a connection
    // of their own.
    const bool writes = options.command == cli::Command::kArchive &&
                        options.archive.action == cli::ArchiveAction::kLimits;
    archive::MissionArchive store(archive,
                                  writes ? archive::MissionArchive::Access::kReadWrite
                                         : archive::MissionArchive::Access::kReadOnly,
                                  actor);
    cli::ArchiveContext context{store, clock, std::cout, std::cerr};
    // With accounts on, whoever changes a record's limits must say why.
    context.reasons_required = writes && archive::AccountBook(store).accounts_on().value_or(true);
    return options.command == cli::Command::kAudit ? cli::run_audit(context, options.audit)
                                                   : cli::run_archive(context, options.archive);
}

// Whether `options` name a shared archive, which only its migration uses so far.
bool shared_archive(const cli::CliOptions& options) {
    return options.archive_address && archive::looks_like_pg_uri(*options.archive_address);
}

int run(const cli::CliOptions& options) {
    const bool migrates = options.command == cli::Command::kArchive &&
                          options.archive.action == cli::ArchiveAction::kMigrate;
    if (migrates || shared_archive(options)) {
        if (migrates && shared_archive(options)) {
            return cli::run_migrate(*options.archive_address, std::cout, std::cerr);
        }
        std::cerr << "frostel-cli: "
                  << (migrates ? "archive migrate needs --archive URL of a shared archive"
                               : "this command cannot use a shared archive yet")
                  << '\n';
        return cli::kExitUsage;
    }
    const int port_number = options.port.value_or(link::kFirstPortNumber);
    const std::optional<std::filesystem::path> chosen = chosen_program_folder(options);
    if (!chosen) {
        return cli::kExitFailed;
    }
    const std::filesystem::path& folder = *chosen;
    const QString archive = archive_file(options, folder);
    cli::PasswordLines passwords(std::cin, options.password_file);
    if (options.command == cli::Command::kUsers) {
        return cli::run_users(options, archive, passwords, std::cout, std::cerr);
    }
    if (options.command == cli::Command::kSign) {
        return cli::run_sign(options, archive, passwords, std::cout, std::cerr);
    }
    const std::variant<archive::Actor, int> signed_in =
        cli::sign_in_for(options, archive, passwords, std::cerr);
    if (const int* refused = std::get_if<int>(&signed_in)) {
        return *refused;
    }
    const auto& actor = std::get<archive::Actor>(signed_in);
    if (options.command == cli::Command::kSummary) {
        // The archive only for the audit trail, and only when a report is written.
        link::SystemClock clock;
        std::optional<archive::MissionArchive> store;
        const auto trail = [&]() -> archive::MissionArchive& {
            return store
                       ? *store
                       : store.emplace(archive, archive::MissionArchive::Access::kReadWrite, actor);
        };
        return cli::run_summary(
            options, std::cout, std::cerr,
            [&](const archive::AuditEvent& event) {
                cli::note_event({trail(), clock, std::cout, std::cerr}, event);
            },
            [&] { return trail().audit_head().value_or(std::string()); });
    }
    if (options.command == cli::Command::kArchive || options.command == cli::Command::kAudit) {
        return run_archive_command(options, archive, actor);
    }
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
    switch (options.command) {
        case cli::Command::kId:
            return cli::run_id(context);
        case cli::Command::kStatus:
            return cli::run_status(context);
        case cli::Command::kReadPage:
            return cli::run_read_pages(context, options.pages);
        case cli::Command::kProgram: {
            archive::MissionArchive store(archive, archive::MissionArchive::Access::kReadWrite,
                                          actor);
            const cli::ArchiveContext kept{store, clock, std::cout, std::cerr};
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
            // Opened even when the download is not kept, for its audit trail.
            archive::MissionArchive store(archive, archive::MissionArchive::Access::kReadWrite,
                                          actor);
            const cli::ArchiveContext kept{store, clock, std::cout, std::cerr};
            request.keep = [&](const mission::DownloadedMission& mission) {
                if (options.keep_in_archive) {
                    return cli::keep_download(kept, mission);
                }
                cli::note_event(kept, archive::download_not_archived("--no-archive was given"));
                return true;
            };
            request.clock_setting = [&](const mission::MissionHeader& header) {
                return store.clock_setting(header.logger_id, header.start_time);
            };
            request.audit = [&](const archive::AuditEvent& event) { cli::note_event(kept, event); };
            request.audit_head = [&] { return store.audit_head().value_or(std::string()); };
            return cli::run_download(context, request);
        }
        case cli::Command::kSummary:
        case cli::Command::kArchive:
        case cli::Command::kAudit:
        case cli::Command::kUsers:
        case cli::Command::kSign:
            break;
    }
    return cli::kExitUsage;
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

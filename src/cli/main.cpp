// frostel-cli: the reader link from a terminal, on the same core as the windows.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "archive/mission_archive.h"
#include "cli_archive.h"

#include "cli_commands.h"
#include "cli_download.h"
#include "cli_options.h"
#include "cli_summary.h"
#include "insight/chart_summary.h"
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "link/reader_link.h"
#include "link/wire_log.h"
#include "platform/program_folder.h"
#include "settings_file.h"

namespace {

using namespace frostel;

std::filesystem::path default_program_folder() {
    return QFile::encodeName(platform::program_folder()).toStdString();
}

// The archive in the data folder given, else in the settings' data folder.
QString archive_file(const cli::CliOptions& options, const std::filesystem::path& folder) {
    if (options.data_folder) {
        return archive::archive_path(QFile::decodeName(options.data_folder->c_str()));
    }
    const QString settings =
        QDir(QFile::decodeName(folder.c_str())).filePath(app::kSettingsFileName);
    return archive::archive_path(app::read_settings_file(settings).data_folder);
}

int run_archive_command(const cli::CliOptions& options, const std::filesystem::path& folder) {
    link::SystemClock clock;
    archive::MissionArchive store(archive_file(options, folder),
                                  archive::MissionArchive::Access::kReadOnly);
    return cli::run_archive({store, clock, std::cout, std::cerr}, options.archive);
}

int run(const cli::CliOptions& options) {
    if (options.command == cli::Command::kSummary) {
        return cli::run_summary(options, std::cout, std::cerr);
    }
    const int port_number = options.port.value_or(link::kFirstPortNumber);
    const std::filesystem::path folder = options.program_folder.value_or(default_program_folder());
    if (options.command == cli::Command::kArchive) {
        return run_archive_command(options, folder);
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
            archive::MissionArchive store(archive_file(options, folder));
            const cli::ArchiveContext kept{store, clock, std::cout, std::cerr};
            cli::say_notice(kept);
            programming::RunHooks hooks;
            hooks.held_mission = [&](const programming::HeldMission& mission) {
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
                                         insight::pc_time_zone(),
                                         options.report};
            std::optional<archive::MissionArchive> store;
            if (options.keep_in_archive) {
                store.emplace(archive_file(options, folder));
                request.keep = [&](const mission::DownloadedMission& mission) {
                    return cli::keep_download({*store, clock, std::cout, std::cerr}, mission);
                };
                request.clock_setting = [&](const mission::MissionHeader& header) {
                    return store->clock_setting(header.logger_id, header.start_time);
                };
            }
            return cli::run_download(context, request);
        }
        case cli::Command::kSummary:
        case cli::Command::kArchive:
            break;
    }
    return cli::kExitUsage;
}

// A report is painted with fonts, which need a GUI application; the offscreen platform gives
// one without a display, so the program runs headless wherever it is started.
std::unique_ptr<QCoreApplication> application_for(const cli::CliOptions& options, int& argc,
                                                  char** argv) {
    if (!options.report.file && !options.archive.pdf_file) {
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

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = cli::parse_cli_options(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::cerr << "frostel-cli: " << *problem << '\n' << cli::kCliUsage;
        return cli::kExitUsage;
    }
    const cli::CliOptions& options = std::get<cli::CliOptions>(parsed);
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

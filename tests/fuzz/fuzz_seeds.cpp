// Writes the fuzzers' seed corpora from what the program itself writes and reads:
// fuzz_seeds DIR makes DIR/<harness>/ for each harness.
#include <QCoreApplication>
#include <filesystem>
#include <fstream>

#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "platform/settings_file.h"
#include "sim/mission/mission_loader.h"
#include "sim/pty/sample_missions.h"
#include "tests/fuzz/link_exchanges.h"
#include "tests/support/sim_rig.h"

namespace {

using namespace frostel;
namespace fs = std::filesystem;

void write_bytes(const fs::path& file, const std::vector<link::Byte>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

QString file_in(const fs::path& folder, const char* name) {
    return QString::fromStdString((folder / name).string());
}

void chart_seeds(const fs::path& folder) {
    datafile::ChartDocument document;
    (void)datafile::write_chart_document(file_in(folder, "empty.tee"), document);
    document.title_lines.append(QStringLiteral("4100000ABCDEF1AA"));
    document.left.title = QStringLiteral("KELVIN");
    for (int i = 0; i < 40; ++i) {
        document.points.push_back(
            {46000.0 + i / 4.0, 276.0 + i * 0.0625,
             QStringLiteral("2026-12-03 %1:00:00").arg(i % 24, 2, 10, QChar('0')).toStdString()});
    }
    (void)datafile::write_chart_document(file_in(folder, "mission.tee"), document);
}

void data_file_seeds(const fs::path& folder) {
    (void)datafile::write_data_file(file_in(folder, "m1.frd"),
                                    QStringLiteral("Cold room 3\r\nsecond line"));
    (void)datafile::write_data_file(file_in(folder, "empty.frd"), QString());
}

// A logger's memory from address 0 through the log, as the decoding harness takes it.
void decoding_seeds(const fs::path& folder, const sim::LoggerModel& logger, const char* name) {
    const auto memory = logger.memory();
    const std::vector<link::Byte> header(memory.begin(), memory.begin() + 19 * 32);
    std::vector<link::Byte> seed = header;
    seed.insert(seed.end(), memory.begin() + 0x1000, memory.begin() + 0x1000 + 2048);
    write_bytes(folder / name, seed);
}

// The reply bytes the link harness's exchanges get from a real reader.
void link_seed(const fs::path& folder, test::SimRig& rig, const char* name) {
    fuzz::exchange_everything(rig.commands, rig.clock);
    std::vector<link::Byte> replies;
    for (const auto& entry : rig.wire.entries()) {
        if (entry.direction == link::WireLog::Direction::kReceived)
            replies.push_back(entry.byte);
    }
    write_bytes(folder / name, replies);
}

void settings_seeds(const fs::path& folder) {
    platform::Settings settings;
    settings.language_name = QStringLiteral("English");
    settings.data_folder = QStringLiteral("/home/k\u00f8l/missions");
    settings.comm_port_number = platform::CommPortNumber::chosen(3);
    (void)platform::write_settings_file(file_in(folder, "SETUP.FRG"), settings);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    const fs::path root = argv[1];
    for (const char* harness : {"chart_document", "data_file", "decoding", "link", "settings"}) {
        fs::create_directories(root / harness);
    }
    chart_seeds(root / "chart_document");
    data_file_seeds(root / "data_file");
    settings_seeds(root / "settings");
    for (const char* name : {"cold-room", "full-log"}) {
        test::SimRig rig;
        sim::load_mission(rig.logger, *sim::sample_mission(name, {2026, 12, 7, 9, 0, 0}));
        decoding_seeds(root / "decoding", rig.logger, name);
        link_seed(root / "link", rig, name);
    }
    return 0;
}

#include "cli_options.h"

#include <gtest/gtest.h>

namespace frostel::cli {
namespace {

std::variant<CliOptions, std::string> parse(std::vector<std::string> args) {
    return parse_cli_options(args);
}

TEST(CliOptions, TakesPortDeviceFolderAndCommand) {
    const auto by_port = parse({"--port", "7", "--program-folder", "/opt/f", "status"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(by_port));
    const auto& port_options = std::get<CliOptions>(by_port);
    EXPECT_EQ(port_options.port, 7);
    EXPECT_EQ(port_options.program_folder, std::filesystem::path("/opt/f"));
    EXPECT_EQ(port_options.command, Command::kStatus);

    const auto by_device = parse({"--device", "/dev/pts/4", "read-page", "16", "128", "383"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(by_device));
    const auto& device_options = std::get<CliOptions>(by_device);
    EXPECT_EQ(device_options.device, "/dev/pts/4");
    EXPECT_FALSE(device_options.port);
    EXPECT_EQ(device_options.pages, (std::vector<int>{16, 128, 383}));
}

TEST(CliOptions, DownloadTakesAFileAndAUnit) {
    const auto plain = parse({"download"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(plain));
    EXPECT_EQ(std::get<CliOptions>(plain).unit, "CELSIUS");
    EXPECT_FALSE(std::get<CliOptions>(plain).csv_file);

    const auto both = parse({"download", "--unit", "REAUMUR", "--csv", "out.csv"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(both));
    EXPECT_EQ(std::get<CliOptions>(both).unit, "REAUMUR");
    EXPECT_EQ(std::get<CliOptions>(both).csv_file, std::filesystem::path("out.csv"));
}

TEST(CliOptions, RefusesWhatCannotBeSent) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--port", "0", "id"},
        {"--port", "31", "id"},
        {"--port", "3x", "id"},
        {"--port"},
        {"--port", "1", "--device", "/dev/null", "id"},
        {"--baud", "9600", "id"},
        {"format"},
        {"id", "extra"},
        {"read-page"},
        {"read-page", "16", "-1"},
        {"read-page", "65536"},
        {"read-page", "sixteen"},
        {"download", "--unit", "kelvin"},
        {"download", "--csv"},
        {"download", "--format", "json"},
        {"program", "--calibration", "128"},
        {"program", "--rollover"},
    };
    for (const auto& args : bad) {
        EXPECT_TRUE(std::holds_alternative<std::string>(parse(args)))
            << "accepted: " << ::testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace frostel::cli

#include "sim/pty/sim_options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace frostel::sim {
namespace {

TEST(SimOptions, ReadsEveryOption) {
    const std::vector<std::string> args{
        "--program-folder", "/tmp/f",         "--port",   "12",         "--log",          "-",
        "--serial",         "abcdef123456",   "--memory", "m.bin",      "--status-stuck", "0x02",
        "--fault",          "B:130:cut:20:3", "--fault",  "A:*:silence"};
    const auto parsed = parse_sim_options(args);
    ASSERT_TRUE(std::holds_alternative<SimOptions>(parsed)) << std::get<std::string>(parsed);
    const SimOptions& options = std::get<SimOptions>(parsed);
    EXPECT_EQ(options.port, 12);
    EXPECT_EQ(options.serial, 0xABCDEF123456ULL);
    EXPECT_EQ(options.stuck_status_bits, 0x02);
    ASSERT_EQ(options.faults.size(), 2u);
    EXPECT_EQ(options.faults[0].page, 130);
    EXPECT_EQ(options.faults[0].kind, ReplyFault::Kind::kCut);
    EXPECT_EQ(options.faults[0].byte_index, 20);
    EXPECT_EQ(options.faults[0].times, 3);
    EXPECT_EQ(options.faults[1].letter, 'A');
    EXPECT_EQ(options.faults[1].page, -1);
    EXPECT_EQ(options.faults[1].times, -1);
    const std::vector<std::string> id{"--serial", "4100000ABCDEF1AA"};
    EXPECT_EQ(std::get<SimOptions>(parse_sim_options(id)).serial, 0xABCDEF1ULL);
    const std::vector<std::string> clock{"--clock", "2026-03-09 12:00:00"};
    EXPECT_EQ(std::get<SimOptions>(parse_sim_options(clock)).clock,
              (platform::LocalDateTime{2026, 3, 9, 12, 0, 0}));
}

TEST(SimOptions, HelpAnywhereAsksForTheUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--port", "3", "--help"}}) {
        const auto parsed = parse_sim_options(args);
        ASSERT_TRUE(std::holds_alternative<SimOptions>(parsed)) << args.front();
        EXPECT_TRUE(std::get<SimOptions>(parsed).help) << args.front();
    }
    EXPECT_FALSE(std::get<SimOptions>(parse_sim_options({})).help);
    // As the value of an option it is only that value.
    const std::vector<std::string> as_value{"--log", "--help"};
    EXPECT_FALSE(std::get<SimOptions>(parse_sim_options(as_value)).help);
    EXPECT_NE(std::string(kSimUsage).find("--help"), std::string::npos);
}

TEST(SimOptions, RefusesNonsense) {
    // One command line a string, split at the spaces.
    for (const char* line : {"--port 31", "--serial 1000000000000", "--serial 4100000ABCDEF1AB",
                             "--serial 2200000ABCDEF1AA", "--status-stuck 256", "--fault Z:1:cut",
                             "--fault B:x:cut", "--fault B:1:melt", "--fault B:1:cut:2:0", "--log",
                             "--colour red", "--clock 2027-02-30"}) {
        std::istringstream words(line);
        const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        EXPECT_TRUE(std::holds_alternative<std::string>(parse_sim_options(args))) << line;
    }
}

}  // namespace
}  // namespace frostel::sim

// Decodes a full log as a download does, page by page into the table, then orders and
// times the samples and converts them for display, and prints what one log costs.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "mission/register_map.h"
#include "mission/sample_log.h"

namespace {

using namespace frostel;
using mission::SampleFormat;

constexpr int kRuns = 200;

std::vector<std::array<link::Byte, link::kPageSize>> log_pages() {
    std::vector<std::array<link::Byte, link::kPageSize>> pages(mission::kLogPageCount);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < link::kPageSize; ++i) {
            pages[p][i] = static_cast<link::Byte>(p * 7 + i * 13);
        }
    }
    return pages;
}

mission::MissionHeader full_log_header(SampleFormat format) {
    mission::MissionHeader header;
    header.logger_type = mission::LoggerType::kT;
    header.sample_format = format;
    header.mission_sample_count = format == SampleFormat::k8Bit ? 8192 : 4096;
    header.sample_interval = 600;
    header.start_time = {2026, 1, 15, 10, 30, 0};
    header.calibration_offset = 0.5;
    header.sensor_calibration = {{52, 0}, {52, 128}, {122, 0}, {121, 192}};
    return header;
}

// Microseconds for one whole log, the median of the runs.
double median_microseconds(SampleFormat format) {
    const auto pages = log_pages();
    const mission::MissionHeader header = full_log_header(format);
    std::vector<double> runs;
    double checksum = 0.0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        mission::SampleDecoder decoder(header);
        for (int page = decoder.walk().first_page; page <= decoder.walk().last_page; ++page) {
            decoder.add_page(page, pages[static_cast<std::size_t>(page - mission::kLogFirstPage)]);
        }
        const std::vector<mission::Sample> samples = decoder.samples();
        const std::vector<double> shown = mission::shown_values(
            samples, mission::TemperatureUnit::kFahrenheit, header.calibration_offset);
        const auto end = std::chrono::steady_clock::now();
        checksum += shown.back() + static_cast<double>(samples.back().time_text.size());
        runs.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(runs.begin(), runs.begin() + kRuns / 2, runs.end());
    std::printf("(checksum %.1f) ", checksum);
    return runs[kRuns / 2];
}

}  // namespace

int main() {
    const double eight = median_microseconds(SampleFormat::k8Bit);
    std::printf("8192 8-bit samples, Fahrenheit with offset:  %.1f us per log\n", eight);
    const double sixteen = median_microseconds(SampleFormat::k16Bit);
    std::printf("4096 16-bit samples, calibrated, Fahrenheit: %.1f us per log\n", sixteen);
    std::printf("(target: well under 1000 us)\n");
    return 0;
}

// Register and sample decoding of an arbitrary 18-page image and log pages.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "mission/mission_header.h"
#include "mission/register_map.h"
#include "mission/sample_log.h"

namespace {
using namespace frostel;
constexpr std::size_t kHeaderBytes = (mission::kHeaderLastPage + 1) * link::kPageSize;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    link::MemoryImage image = mission::make_header_image();
    for (std::size_t i = link::kPageSize; i < kHeaderBytes && i < size; ++i)
        image.set(i, data[i]);
    const mission::MissionHeader header = mission::decode_mission_header(image, link::kNoLoggerId);
    if (header.mission_text.size() != mission::kMissionTextLength)
        std::abort();

    mission::SampleDecoder decoder(header);
    const mission::LogWalk& walk = decoder.walk();
    if (walk.first_page != mission::kLogFirstPage || walk.last_page > mission::kLogLastPage) {
        std::abort();
    }
    // The log pages are the bytes after the header, repeated as needed.
    std::array<link::Byte, link::kPageSize> page{};
    std::size_t next = kHeaderBytes;
    for (int p = walk.first_page; p <= walk.last_page; ++p) {
        for (auto& byte : page) {
            byte = size > kHeaderBytes ? data[next] : 0;
            next = next + 1 < size ? next + 1 : kHeaderBytes;
        }
        decoder.add_page(p, page);
    }
    const std::vector<mission::Sample> samples = decoder.samples();
    if (samples.size() > static_cast<std::size_t>(mission::kSampleTableSize))
        std::abort();
    for (const auto unit :
         {mission::TemperatureUnit::kCelsius, mission::TemperatureUnit::kKelvin}) {
        for (const double value : mission::shown_values(samples, unit, header.calibration_offset)) {
            if (!std::isfinite(value))
                std::abort();
        }
    }
    return 0;
}

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/memory_image.h"
#include "mission/calibration.h"
#include "mission/mission_header.h"
#include "mission/temperature_unit.h"

namespace frostel::mission {

// Decoded temperatures by log position, in degrees Celsius.
inline constexpr int kSampleTableSize = 8193;

// Which log pages a mission's download reads, and where its samples sit in them.
struct LogWalk {
    int first_page = 0;
    int last_page = 0;
    // Samples the log can hold: 8192 one-byte or 4096 two-byte ones.
    int capacity = 0;
    // Samples the log still holds, shown in time order.
    int sample_count = 0;
    // The log position of the oldest of them: 0 unless the mission rolled over.
    int oldest_position = 0;
    // The mission's own number of that sample (0 for the first sample of the mission).
    std::int64_t oldest_sample_number = 0;

    [[nodiscard]] int page_count() const { return last_page - first_page + 1; }
};

// The walk for a mission of `mission_sample_count` samples. The pages run from the log's
// first page through the page after the last sample, never beyond the log: a full log is
// read whole and nothing more. A mission with more samples than the log holds (rollover)
// overwrote its oldest ones; the whole log is read and what it holds is the newest
// capacity samples, oldest first from the position the next sample would have taken.
[[nodiscard]] LogWalk plan_log_walk(int mission_sample_count, SampleFormat format);

// Where a reading sits in the sensor's range: at its lowest or highest stored value the true
// temperature may have been beyond what the sensor reads.
enum class SensorRange : std::uint8_t { kWithin, kBelow, kAbove };

struct Sample {
    double celsius = 0.0;
    platform::LocalDateTime time;
    std::string time_text;  // "yyyy-mm-dd hh:mm:ss"
    SensorRange range = SensorRange::kWithin;
};

// Decodes a mission's log page by page as a download reads it.
class SampleDecoder {
  public:
    explicit SampleDecoder(const MissionHeader& header);

    // The pages to read, first_page to last_page in increasing order.
    [[nodiscard]] const LogWalk& walk() const { return walk_; }

    // Decodes the 32 bytes of log page `page` into the table; each page stands alone, so
    // it can be decoded as soon as it arrives. Pages outside the log are ignored.
    void add_page(int page, std::span<const link::Byte, link::kPageSize> bytes);

    // Every table entry, by log position; entries no page reached are 0.
    [[nodiscard]] std::span<const double> table() const { return table_; }

    // The samples the log holds, oldest first, each timed by its number in the mission:
    // start time + number × interval.
    [[nodiscard]] std::vector<Sample> samples() const;

  private:
    [[nodiscard]] double sample_celsius(link::Byte high, link::Byte low) const;
    void put(int position, double celsius, SensorRange range);

    MissionHeader header_;
    TypeScale scale_;
    Calibration calibration_;
    LogWalk walk_;
    std::vector<double> table_;
    std::vector<SensorRange> ranges_;
};

// The values a chart shows for `samples`: each with the calibration offset (degrees
// Celsius) added, then converted from Celsius into `unit`.
[[nodiscard]] std::vector<double> shown_values(std::span<const Sample> samples,
                                               TemperatureUnit unit, double offset_celsius);

}  // namespace frostel::mission

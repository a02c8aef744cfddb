#include "mission/sample_log.h"

#include <algorithm>

#include "mission/register_map.h"
#include "platform/local_date_time.h"

namespace frostel::mission {

namespace {

// The stored values at the ends of the sensor's range; a 16-bit reading keeps 11 bits.
constexpr link::Byte kLowestByte = 0x00;
constexpr link::Byte kHighestByte = 0xFF;
constexpr link::Byte kHighestLowByte = 0xE0;

SensorRange range_of(link::Byte high, link::Byte low, SampleFormat format) {
    const link::Byte highest_low = format == SampleFormat::k16Bit ? kHighestLowByte : 0;
    if (high == kLowestByte && low == 0) {
        return SensorRange::kBelow;
    }
    return high == kHighestByte && low == highest_low ? SensorRange::kAbove : SensorRange::kWithin;
}

int bytes_per_sample(SampleFormat format) {
    return format == SampleFormat::k16Bit ? 2 : 1;
}

void put_digits(char* out, int value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// "yyyy-mm-dd hh:mm:ss" written digit by digit: a full log has 8192 of them, and a
// formatted print of each would cost more than the whole decoding.
std::string iso_text(const platform::LocalDateTime& t) {
    std::string text = "0000-00-00 00:00:00";
    put_digits(&text[0], t.year, 4);
    put_digits(&text[5], t.month, 2);
    put_digits(&text[8], t.day, 2);
    put_digits(&text[11], t.hour, 2);
    put_digits(&text[14], t.minute, 2);
    put_digits(&text[17], t.second, 2);
    return text;
}

}  // namespace

LogWalk plan_log_walk(int mission_sample_count, SampleFormat format) {
    const int size = bytes_per_sample(format);
    const int capacity = kLogBytes / size;
    LogWalk walk;
    walk.first_page = kLogFirstPage;
    walk.capacity = capacity;
    if (mission_sample_count > capacity) {
        walk.last_page = kLogLastPage;
        walk.sample_count = capacity;
        walk.oldest_position = mission_sample_count % capacity;
        walk.oldest_sample_number = mission_sample_count - capacity;
        return walk;
    }
    // Through the page after the last sample's, as the logger's own tools read it, but
    // a full log ends at the last page of the log.
    const int last = kLogFirstPage + 1 + mission_sample_count * size / link::kPageSize;
    walk.last_page = std::min(last, kLogLastPage);
    walk.sample_count = mission_sample_count;
    return walk;
}

SampleDecoder::SampleDecoder(const MissionHeader& header)
    : header_(header),
      scale_(type_scale(header.logger_type)),
      calibration_(calibration_coefficients(header.sensor_calibration, scale_)),
      walk_(plan_log_walk(header.mission_sample_count, header.sample_format)),
      table_(kSampleTableSize, 0.0),
      ranges_(kSampleTableSize, SensorRange::kWithin) {}

double SampleDecoder::sample_celsius(link::Byte high, link::Byte low) const {
    const double t = reading_celsius({high, low}, scale_);
    return scale_.calibrated ? corrected(t, calibration_) : t;
}

void SampleDecoder::add_page(int page, std::span<const link::Byte, link::kPageSize> bytes) {
    if (page < kLogFirstPage || page > kLogLastPage) {
        return;
    }
    const int offset = (page - kLogFirstPage) * link::kPageSize;
    // 16-bit samples are read from their bytes whatever the alarm status byte says; 8-bit
    // samples take no calibration correction.
    if (header_.sample_format == SampleFormat::k16Bit) {
        for (int i = 0; i < link::kPageSize; i += 2) {
            put((offset + i) / 2, sample_celsius(bytes[i], bytes[i + 1]),
                range_of(bytes[i], bytes[i + 1], SampleFormat::k16Bit));
        }
        return;
    }
    for (int i = 0; i < link::kPageSize; ++i) {
        put(offset + i, reading_celsius({bytes[i], 0}, scale_),
            range_of(bytes[i], 0, SampleFormat::k8Bit));
    }
}

void SampleDecoder::put(int position, double celsius, SensorRange range) {
    table_[static_cast<std::size_t>(position)] = celsius;
    ranges_[static_cast<std::size_t>(position)] = range;
}

std::vector<Sample> SampleDecoder::samples() const {
    const std::int64_t start = platform::to_civil_seconds(header_.start_time);
    std::vector<Sample> result(static_cast<std::size_t>(walk_.sample_count));
    for (int j = 0; j < walk_.sample_count; ++j) {
        Sample& sample = result[static_cast<std::size_t>(j)];
        const auto position =
            static_cast<std::size_t>((walk_.oldest_position + j) % walk_.capacity);
        sample.celsius = table_[position];
        sample.range = ranges_[position];
        sample.time = platform::from_civil_seconds(start + (walk_.oldest_sample_number + j) *
                                                               header_.sample_interval);
        sample.time_text = iso_text(sample.time);
    }
    return result;
}

std::vector<double> shown_values(std::span<const Sample> samples, TemperatureUnit unit,
                                 double offset_celsius) {
    std::vector<double> values;
    values.reserve(samples.size());
    for (const Sample& sample : samples) {
        values.push_back(shown_temperature(sample.celsius, unit, offset_celsius));
    }
    return values;
}

}  // namespace frostel::mission

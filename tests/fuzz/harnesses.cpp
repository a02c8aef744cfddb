// The libFuzzer harnesses, one executable each: FROSTEL_HARNESS names the one built. Each
// takes arbitrary bytes, and a finding aborts.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "mission/mission_header.h"
#include "mission/register_map.h"
#include "mission/sample_log.h"
#include "platform/settings_file.h"
#include "tests/fuzz/link_exchanges.h"

namespace frostel::fuzz {

using Input = std::span<const std::uint8_t>;

QByteArray bytes_of(Input data) {
    return {reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())};
}

// The chart document reader never crashes, and whatever it accepts writes back the same.
bool chart_document(Input data) {
    const std::optional<datafile::ChartDocument> document = datafile::from_json(bytes_of(data));
    return !document || datafile::from_json(datafile::to_json(*document)) == document;
}

// The data file reader gives back every byte, each CR LF as one CR and the last line ended.
bool data_file(Input data) {
    const QByteArray bytes = bytes_of(data);
    const qsizetype unended = bytes.isEmpty() || bytes.endsWith("\r\n") ? 0 : 1;
    return datafile::data_file_text(bytes).size() == bytes.size() - bytes.count("\r\n") + unended;
}

// Register and sample decoding of an arbitrary 18-page image, the log pages after it (the
// bytes after the header, repeated as needed): whole text, pages and samples in bounds.
bool decoding(Input data) {
    constexpr std::size_t kHeaderBytes = (mission::kHeaderLastPage + 1) * link::kPageSize;
    link::MemoryImage image = mission::make_header_image();
    for (std::size_t i = link::kPageSize; i < kHeaderBytes && i < data.size(); ++i) {
        image.set(i, data[i]);
    }
    const mission::MissionHeader header = mission::decode_mission_header(image, link::kNoLoggerId);
    mission::SampleDecoder decoder(header);
    const mission::LogWalk& walk = decoder.walk();
    if (header.mission_text.size() != mission::kMissionTextLength ||
        walk.first_page != mission::kLogFirstPage || walk.last_page > mission::kLogLastPage) {
        return false;
    }
    std::array<link::Byte, link::kPageSize> page{};
    std::size_t next = kHeaderBytes;
    for (int p = walk.first_page; p <= walk.last_page; ++p) {
        for (auto& byte : page) {
            byte = data.size() > kHeaderBytes ? data[next] : 0;
            next = next + 1 < data.size() ? next + 1 : kHeaderBytes;
        }
        decoder.add_page(p, page);
    }
    const std::vector<mission::Sample> samples = decoder.samples();
    if (samples.size() > static_cast<std::size_t>(mission::kSampleTableSize)) {
        return false;
    }
    for (const auto unit :
         {mission::TemperatureUnit::kCelsius, mission::TemperatureUnit::kKelvin}) {
        for (const double value : mission::shown_values(samples, unit, header.calibration_offset)) {
            if (!std::isfinite(value)) {
                return false;
            }
        }
    }
    return true;
}

// A reader whose every reply byte comes from the input, on virtual time.
class ScriptedPort final : public link::SerialPort {
  public:
    ScriptedPort(Input replies, link::VirtualClock& clock) : replies_(replies), clock_(clock) {}
    link::PortStatus open(int) override { return link::kPortOk; }
    link::PortStatus close() override { return link::kPortOk; }
    bool is_open() const override { return true; }
    link::PortStatus set_rts(bool) override { return link::kPortOk; }
    link::PortStatus discard_input() override { return link::kPortOk; }
    link::PortStatus write(std::span<const link::Byte>) override { return link::kPortOk; }
    std::size_t bytes_waiting() override { return replies_.size() - next_; }
    link::Byte take_byte() override { return replies_[next_++]; }
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        clock_.advance_to(deadline + std::chrono::milliseconds(1));
    }
    std::string device_name() const override { return "scripted"; }
    std::string device_identity() const override { return "scripted replies"; }

  private:
    Input replies_;
    std::size_t next_ = 0;
    link::VirtualClock& clock_;
};

// The link and a whole download fed replies of any content and length (the sanitizers judge).
bool link(Input data) {
    link::VirtualClock clock;
    ScriptedPort port(data, clock);
    link::ReaderLink reader(port, clock);
    link::LoggerCommands commands(reader);
    exchange_everything(commands, clock);
    return true;
}

// The settings file reader never fails, and what it reads writes back to bytes that read the
// same again.
bool settings(Input data) {
    const platform::Settings read = platform::parse_settings(bytes_of(data));
    return platform::parse_settings(platform::format_settings(read)) == read;
}

}  // namespace frostel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!frostel::fuzz::FROSTEL_HARNESS({data, size})) {
        std::abort();
    }
    return 0;
}

#include "report/csv_export.h"

#include <QLocale>
#include <algorithm>

#include "platform/fixed_text.h"
#include "report/spreadsheet_text.h"

namespace frostel::report {

namespace {

constexpr int kMostDecimals = 6;

std::string_view unit_name(mission::TemperatureUnit unit) {
    switch (unit) {
        case mission::TemperatureUnit::kCelsius:
            return "celsius";
        case mission::TemperatureUnit::kFahrenheit:
            return "fahrenheit";
        case mission::TemperatureUnit::kKelvin:
            return "kelvin";
        case mission::TemperatureUnit::kReaumur:
            return "reaumur";
    }
    return "celsius";
}

// A text field as no spreadsheet runs it, in quotes, its quotes doubled.
std::string quoted_text(std::string_view text) {
    std::string field = "\"";
    for (const char c : spreadsheet_text(text)) {
        field += c;
        if (c == '"') {
            field += '"';
        }
    }
    return field + '"';
}

}  // namespace

std::string csv_number(double value, const std::string& decimal_point) {
    std::string text = platform::fixed_text(value, kMostDecimals);
    if (const auto dot = text.find('.'); dot != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        } else {
            text.replace(dot, 1, decimal_point);
        }
    }
    return text == "-0" ? "0" : text;
}

CsvFormat spreadsheet_format(const QLocale& locale) {
    const std::string decimal_point = locale.decimalPoint().toStdString();
    return {decimal_point == "," ? ';' : ',', decimal_point};
}

std::string csv_text(std::span<const CsvRow> rows, mission::TemperatureUnit unit,
                     const CsvFormat& format) {
    std::string csv = std::string("time") + format.separator + "temperature_" +
                      std::string(unit_name(unit)) + format.separator + "time_utc\n";
    csv.reserve(csv.size() + rows.size() * 56);
    for (const CsvRow& row : rows) {
        csv += quoted_text(row.time);
        csv += format.separator;
        csv += csv_number(row.value, format.decimal_point);
        csv += format.separator;
        // Empty while the clock's offset is unknown.
        csv += row.time_utc.empty() ? std::string() : quoted_text(row.time_utc);
        csv += '\n';
    }
    return csv;
}

namespace {

std::vector<CsvRow> csv_rows(const mission::DownloadedMission& mission) {
    std::vector<CsvRow> rows;
    rows.reserve(mission.samples.size());
    const std::optional<mission::LoggerClock>& clock = mission.record.clock;
    for (std::size_t i = 0; i < mission.samples.size(); ++i) {
        const mission::Sample& sample = mission.samples[i];
        rows.push_back(
            {sample.time_text, mission.values[i],
             clock ? mission::utc_text(mission::utc_instant(sample.time, clock->utc_offset_s))
                   : std::string()});
    }
    return rows;
}

}  // namespace

std::string mission_csv(const mission::DownloadedMission& mission) {
    return csv_text(csv_rows(mission), mission.unit);
}

}  // namespace frostel::report

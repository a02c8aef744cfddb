#pragma once

#include <span>
#include <string>

#include "mission/download.h"
#include "mission/temperature_unit.h"

class QLocale;

namespace frostel::report {

// One line of a sample export: the sample's time text and its value as shown.
struct CsvRow {
    std::string time;
    double value = 0.0;
    std::string time_utc = {};  // "2026-03-29T01:00:00Z"; empty while the clock's offset is unknown
};

// How the lines are written: the plain form separates with "," and writes "." decimals;
// a spreadsheet in a decimal-comma locale needs ";" and ",".
struct CsvFormat {
    char separator = ',';
    std::string decimal_point = ".";
};

// The form a spreadsheet in `locale` reads: the locale's decimal separator in the values,
// and ";" between the fields only where that separator is ",".
[[nodiscard]] CsvFormat spreadsheet_format(const QLocale& locale);

// `value` with at most six decimals, trailing zeros dropped (no floating noise such as
// 0.30000000000000004), with `decimal_point`.
[[nodiscard]] std::string csv_number(double value, const std::string& decimal_point = ".");

// "time,temperature_<unit>,time_utc" and one line per row: the times as quoted texts that no
// spreadsheet takes for a formula (the UTC one empty while unknown), the value as
// `csv_number` writes it. The window's export
// and frostel-cli write through this one function.
[[nodiscard]] std::string csv_text(std::span<const CsvRow> rows, mission::TemperatureUnit unit,
                                   const CsvFormat& format = {});

// "time,temperature_<unit>,time_utc" and one line per sample: values in the mission's unit
// with the calibration offset.
[[nodiscard]] std::string mission_csv(const mission::DownloadedMission& mission);

}  // namespace frostel::report

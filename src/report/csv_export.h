#pragma once

#include <span>
#include <string>

class QLocale;

namespace frostel::report {

// One line of a sample export: the sample's time text and its value as shown.
struct CsvRow {
    std::string time;
    double value = 0.0;
    std::string time_utc;  // "2026-03-29T01:00:00Z"; empty while the clock's offset is unknown
};

// How the lines are written: the plain form separates with "," and writes "." decimals;
// a spreadsheet in a decimal-comma locale needs ";" and ",".
struct CsvFormat {
    char separator = ',';
    std::string decimal_point = ".";
};

// The form a spreadsheet in `locale` reads: ";" between the fields, the locale's decimal
// separator in the values.
[[nodiscard]] CsvFormat spreadsheet_format(const QLocale& locale);

// `value` in its shortest form that reads back as the same double, with `decimal_point`.
[[nodiscard]] std::string shortest_number(double value, const std::string& decimal_point = ".");

// "time,temperature,time_utc" and one line per row, each value in its shortest form. The window's
// export and frostel-cli write through this one function.
[[nodiscard]] std::string csv_text(std::span<const CsvRow> rows, const CsvFormat& format = {});

}  // namespace frostel::report

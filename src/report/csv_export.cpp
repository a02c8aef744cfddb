#include "csv_export.h"

#include <QLocale>
#include <charconv>

namespace frostel::report {

std::string shortest_number(double value, const std::string& decimal_point) {
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    std::string text(digits, result.ptr);
    if (const auto dot = text.find('.'); dot != std::string::npos) {
        text.replace(dot, 1, decimal_point);
    }
    return text;
}

CsvFormat spreadsheet_format(const QLocale& locale) {
    return {';', locale.decimalPoint().toStdString()};
}

std::string csv_text(std::span<const CsvRow> rows, const CsvFormat& format) {
    std::string csv =
        std::string("time") + format.separator + "temperature" + format.separator + "time_utc\n";
    csv.reserve(csv.size() + rows.size() * 50);
    for (const CsvRow& row : rows) {
        csv += row.time;
        csv += format.separator;
        csv += shortest_number(row.value, format.decimal_point);
        csv += format.separator;
        csv += row.time_utc;
        csv += '\n';
    }
    return csv;
}

}  // namespace frostel::report

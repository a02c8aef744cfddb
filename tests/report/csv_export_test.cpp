#include "report/csv_export.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <charconv>
#include <sstream>

namespace frostel::report {
namespace {

// Reads an export back as a spreadsheet would: fields split at the separator, the
// locale's decimal separator taken as the point.
std::vector<CsvRow> read_back(const std::string& csv, const CsvFormat& format) {
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, std::string("time") + format.separator + "temperature" + format.separator +
                        "time_utc");
    std::vector<CsvRow> rows;
    while (std::getline(lines, line)) {
        const auto split = line.find(format.separator);
        const auto last = line.find(format.separator, split + 1);
        EXPECT_EQ(line.find(format.separator, last + 1), std::string::npos) << line;
        std::string number = line.substr(split + 1, last - split - 1);
        if (const auto mark = number.find(format.decimal_point); mark != std::string::npos) {
            number.replace(mark, format.decimal_point.size(), ".");
        }
        CsvRow row{line.substr(0, split), 0.0, line.substr(last + 1)};
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), row.value);
        EXPECT_TRUE(error == std::errc{} && end == number.data() + number.size()) << line;
        rows.push_back(row);
    }
    return rows;
}

TEST(CsvExport, BothFormsReadBackAsTheSameTimesAndValues) {
    const std::vector<CsvRow> rows{{"2026-12-03 04:59:00", 3.7, "2026-12-03T03:59:00Z"},
                                   {"2026-12-03 05:09:00", -12.8125, ""},
                                   {"2026-12-03 05:19:00", 0.1 + 0.2, ""},
                                   {"2026-12-03 05:29:00", 1234567.5, ""},
                                   {"2026-12-03 05:39:00", 277.15 * 1.8 + 32, ""},
                                   {"2026-12-03 05:49:00", 1e-7, ""}};
    const CsvFormat german = spreadsheet_format(QLocale(QLocale::German, QLocale::Germany));
    const CsvFormat english = spreadsheet_format(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(german.separator, ';');
    EXPECT_EQ(german.decimal_point, ",");
    EXPECT_EQ(english.decimal_point, ".");
    for (const CsvFormat& format : {CsvFormat{}, german, english}) {
        const std::vector<CsvRow> back = read_back(csv_text(rows, format), format);
        ASSERT_EQ(back.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(back[i].time, rows[i].time);
            EXPECT_EQ(back[i].time_utc, rows[i].time_utc);
            EXPECT_EQ(back[i].value, rows[i].value) << format.separator << i;
        }
    }
    EXPECT_EQ(csv_text(std::vector<CsvRow>(rows.begin(), rows.begin() + 2)),
              "time,temperature,time_utc\n2026-12-03 04:59:00,3.7,2026-12-03T03:59:00Z\n"
              "2026-12-03 05:09:00,-12.8125,\n");
}

}  // namespace
}  // namespace frostel::report

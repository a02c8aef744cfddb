#include "report/csv_export.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "report/spreadsheet_text.h"

namespace frostel::report {
namespace {

using mission::TemperatureUnit;

TEST(CsvExport, TheUnitInTheHeaderValuesWithoutNoiseAndTimesThatStayText) {
    const std::vector<CsvRow> rows{{"2026-12-03 04:59:00", 0.1 + 0.2, "2026-12-03T03:59:00Z"},
                                   {"2026-12-03 05:09:00", -12.8125},
                                   {"2026-12-03 05:19:00", 277.15 * 1.8 + 32},
                                   {"2026-12-03 05:29:00", -1e-9},
                                   {"2026-12-03 05:39:00", 1234567.5}};
    EXPECT_EQ(csv_text(rows, TemperatureUnit::kCelsius),
              "time,temperature_celsius,time_utc\n"
              "\"2026-12-03 04:59:00\",0.3,\"2026-12-03T03:59:00Z\"\n"
              "\"2026-12-03 05:09:00\",-12.8125,\n"
              "\"2026-12-03 05:19:00\",530.87,\n"
              "\"2026-12-03 05:29:00\",0,\n"
              "\"2026-12-03 05:39:00\",1234567.5,\n");
    for (const auto& [unit, header] :
         {std::pair{TemperatureUnit::kFahrenheit, "time,temperature_fahrenheit,time_utc\n"},
          {TemperatureUnit::kKelvin, "time,temperature_kelvin,time_utc\n"},
          {TemperatureUnit::kReaumur, "time,temperature_reaumur,time_utc\n"}}) {
        EXPECT_EQ(csv_text({}, unit), header);
    }
    // A time text from a hostile file never reaches a spreadsheet as a formula, in either
    // time column; the value beside it, a negative number, stays a number.
    EXPECT_EQ(
        csv_text(std::vector<CsvRow>{{"=cmd|' /C calc'!A0", -3.5, "@SUM(A1)"}, {"say \"hi\"", 2}},
                 TemperatureUnit::kCelsius),
        "time,temperature_celsius,time_utc\n\"'=cmd|' /C calc'!A0\",-3.5,\"'@SUM(A1)\"\n"
        "\"say \"\"hi\"\"\",2,\n");
    for (const char* formula : {"+1", "-1", "@SUM(A1)", "\tx", "'x"}) {
        EXPECT_EQ(csv_text(std::vector<CsvRow>{{formula, 0}}, TemperatureUnit::kKelvin),
                  "time,temperature_kelvin,time_utc\n\"'" + std::string(formula) + "\",0,\n")
            << formula;
    }
}

// Every CSV the program writes puts its text fields through one rule: a field a spreadsheet
// would read as a formula gets one apostrophe before it, and so does one that begins with an
// apostrophe, so that removing one leading apostrophe always gives the text back.
TEST(CsvExport, ATextFieldNeverRunsInASpreadsheetAndComesBackWhole) {
    const struct {
        const char* name;
        std::string text;
        std::string written;
    } cases[] = {
        {"equals", "=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
        {"plus", "+1", "'+1"},
        {"minus", "-3.5", "'-3.5"},
        {"at", "@SUM(A1)", "'@SUM(A1)"},
        {"tab", "\t=1", "'\t=1"},
        {"carriage return", "\r=1", "'\r=1"},
        {"apostrophe", "'quoted", "''quoted"},
        {"apostrophe alone", "'", "''"},
        {"ordinary", "Fridge 2", "Fridge 2"},
        {"formula later on", "a=1+2", "a=1+2"},
        {"line feed first", "\n=1", "\n=1"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        const std::string written = spreadsheet_text(c.text);
        EXPECT_EQ(written, c.written) << c.name;
        const std::string read_back = written.starts_with('\'') ? written.substr(1) : written;
        EXPECT_EQ(read_back, c.text) << c.name;
    }
}

// Where the decimal is a comma the spreadsheet form separates with semicolons: the window's
// export test, in German. Elsewhere it is the plain form.
TEST(CsvExport, TheSpreadsheetFormIsThePlainOneWhereTheDecimalIsAPoint) {
    const std::vector<CsvRow> rows{{"2026-12-03 04:59:00", -3.75}};
    EXPECT_EQ(csv_text(rows, TemperatureUnit::kFahrenheit,
                       spreadsheet_format(QLocale(QLocale::English, QLocale::UnitedStates))),
              csv_text(rows, TemperatureUnit::kFahrenheit));
}

}  // namespace
}  // namespace frostel::report

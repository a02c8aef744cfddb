#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "insight/summary.h"
#include "mission/mission_record.h"

namespace frostel::report {

struct Field {
    QString label;
    QString value;
    bool operator==(const Field&) const = default;
};

// Rows of texts under headings.
struct Table {
    QStringList headings;
    std::vector<QStringList> rows;
};

// The titles the summary's rows stand under, in the window and in the report.
inline constexpr char kSettingsTitle[] = "Mission settings";
inline constexpr char kExcursionsTitle[] = "Excursions";
inline constexpr char kWarningsTitle[] = "Logger flags and warnings";
// What an empty list of excursions or warnings shows.
inline constexpr char kNoneText[] = "None";

// A mission's summary as rows of text, laid out once for the summary window and the report:
// the same labels, temperatures with two decimals after a point, offsets as "UTC+01:00".
struct SummaryRows {
    QString limits;  // "Low 2.00, high 8.00 CELSIUS (the logger's alarm thresholds)"
    std::vector<Field> settings;
    QString statistics_title;       // "Statistics (CELSIUS)"
    std::vector<Field> statistics;  // in the summary's unit, named once in the title
    Table excursions;               // one row for each excursion, in the summary's order
    QStringList warnings;           // the logger's clock and flags; none when all is well
};

// `record` is the logger's record the summary was made with, if any.
[[nodiscard]] SummaryRows summary_rows(const insight::Summary& summary,
                                       const std::optional<mission::MissionRecord>& record);

// The excursions' table, its peak column headed with `unit`'s token.
[[nodiscard]] Table excursion_table(const insight::ExcursionReport& report,
                                    mission::TemperatureUnit unit);

// "2026-12-03 04:59:00" of a logger time.
[[nodiscard]] QString time_text(insight::LoggerTime time);
// "12.50", "-0.06": a temperature in the summary or the report.
[[nodiscard]] QString number_text(double value);

}  // namespace frostel::report

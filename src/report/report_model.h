#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "datafile/chart_document.h"
#include "insight/summary.h"
#include "report/summary_rows.h"

namespace frostel::report {

inline constexpr std::string_view kPagesFingerprintBasis = "SHA-256 of the downloaded memory pages";

// What a report is made from: the summary's input (the chart's readings, the logger's
// record, the user's limits), and what identifies the mission beyond it.
struct ReportInput {
    insight::SummaryInput summary;
    std::string logger_id;     // 16 hexadecimal digits; the chart's title when no record
    std::string mission_text;  // as stored, one byte per character
    std::string fingerprint;   // 64 hexadecimal digits
    // What the fingerprint is taken over: "SHA-256 of the downloaded memory pages", or of a
    // saved pair's two files.
    std::string fingerprint_basis = std::string(kPagesFingerprintBasis);
    // When, by whom and from which pages the mission was downloaded, as far as kept.
    std::optional<datafile::DownloadOrigin> origin;
    // The reader's device the download was read through (empty: not recorded); nothing
    // where the mission did not come from a download (a saved pair, a chart).
    std::optional<std::string> reader_device;
};

// An electronic signature that holds, printed in full.
struct PrintedSignature {
    std::string meaning;  // "reviewed", "approved"
    std::string full_name;
    std::string user_id;
    std::string local_time;  // with its offset from UTC
    std::string utc_time;
    std::string comment;
};

struct ReportOptions {
    QDateTime generated_at = {};  // local time in its zone; tests freeze it
    bool all_samples = false;     // pages with every sample after the first
    // The archive's audit trail head when printing ("HEAD <sequence>:<hash>"), so a printed
    // page anchors the chain outside the database; empty: none printed.
    std::string audit_head = {};
    // The archived record's signatures that hold; none: lines to sign on paper.
    std::vector<PrintedSignature> signatures = {};
    // Its limits changed after it was signed.
    bool changed_after_signing = false;
};

struct Tick {
    double at = 0.0;
    QString text;
};

// The chart as data: times in seconds on the logger's clock, values in the chart's unit.
struct ReportChart {
    QString unit;  // the chart's unit token, its left axis title
    std::vector<double> times;
    std::vector<double> values;
    double first_time = 0.0;
    double last_time = 1.0;
    double bottom = 0.0;
    double top = 1.0;
    std::vector<Tick> time_ticks;
    std::vector<Tick> value_ticks;
    std::optional<double> low_limit;
    std::optional<double> high_limit;
};

// The report's plain texts, tables and chart data; painting only lays them out. The
// summary's rows are those the summary window shows.
struct ReportModel : SummaryRows {
    QString heading;
    QString caption;  // the logger's type caption with its identity, as the window shows it
    QString mission_text;
    QString verdict;
    bool failed = false;        // an excursion: the verdict is shown as a failure
    bool passed = false;        // within the limits; neither: the verdict judges nothing
    std::vector<Field> origin;  // the download and the fingerprints that name it
    ReportChart chart;
    QString generated;       // when, by which program
    QString fingerprint;     // the footer's line: the mission's fingerprint and its basis
    QString audit_head;      // empty without one
    QStringList signatures;  // a line each; none: the blank lines to sign on
    bool changed_after_signing = false;
    Table samples;  // empty unless every sample was asked for
};

// The report of one mission; everything it says comes from `input`, so the same input and
// time give the same report.
// "Reviewed by Rolf Rahm (rolf), 2026-02-01T10:00:00.250+01:00 (2026-02-01T09:00:00.250Z):
// the comment": a signature as the report and the windows show it.
[[nodiscard]] QString signature_line(const PrintedSignature& signature);

[[nodiscard]] ReportModel build_report(const ReportInput& input, const ReportOptions& options);

}  // namespace frostel::report

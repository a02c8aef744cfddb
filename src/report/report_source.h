#pragma once

#include <QString>
#include <optional>
#include <string>

#include "datafile/chart_document.h"
#include "mission/download.h"
#include "report_model.h"

namespace frostel::report {

// A mission as a chart shows it: the document's points, unit, record, limits and download,
// the mission text and the fingerprint of where it came from (over its downloaded pages
// unless `basis` says otherwise). The logger's identity is the record's, or the chart's
// title line for a mission kept without a record.
[[nodiscard]] ReportInput chart_report_input(
    const datafile::ChartDocument& document, std::string mission_text, std::string fingerprint,
    std::string basis = std::string(kPagesFingerprintBasis));

// A download as it came from the logger, fingerprinted over its raw pages, downloaded at
// `downloaded_at` ("yyyy-mm-dd hh:mm:ss") by `downloaded_by` ("user@host", or empty).
[[nodiscard]] ReportInput download_report_input(const mission::DownloadedMission& mission,
                                                const mission::TimeZone& time_zone,
                                                std::string downloaded_at,
                                                std::string downloaded_by = {});

// "SHA-256 of <data file> and <chart document>", by the two files' names.
[[nodiscard]] std::string saved_pair_basis(const QString& data_file);

// A saved pair by its data file's name, fingerprinted over the two files' bytes; nothing
// when either file cannot be read as ours.
[[nodiscard]] std::optional<ReportInput> saved_pair_report_input(const QString& data_file);

// The name a report of `input` is offered under: "<LoggerId>_<yyyymmdd-hhmm>.pdf" of the
// mission's start (the first sample's time without a record), "<LoggerId>.pdf" with neither.
[[nodiscard]] QString report_file_name(const ReportInput& input);

}  // namespace frostel::report

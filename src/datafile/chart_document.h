#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mission/chart_point.h"
#include "mission/mission_record.h"

namespace frostel::datafile {

struct ChartAxis {
    QString title;
    double minimum = 0;
    double maximum = 0;
    bool automatic = false;
    bool operator==(const ChartAxis&) const = default;
};

// Where a shown mission came from, kept with its chart so that a reopened pair names the same
// download as the archive's record of it.
struct DownloadOrigin {
    std::string page_fingerprint;         // SHA-256 of the downloaded pages, 64 hexadecimal digits
    std::string downloaded_at;            // the PC's local time, "yyyy-mm-dd hh:mm:ss"
    std::string downloaded_by;            // "user@host"; empty when not known
    std::optional<bool> mission_running;  // when the download began, where it could tell
    bool operator==(const DownloadOrigin&) const = default;
};

// A colour as 0xRRGGBB, so the document needs no GUI types.
using Rgb = std::uint32_t;

// The whole state of the chart: what the template ".tee" and a saved mission's chart carry.
struct ChartDocument {
    QStringList title_lines{QStringLiteral("Frostel")};
    QString series_title = QStringLiteral("TEMPERATURE");
    Rgb line_colour = 0xFF0000;
    int line_width = 2;
    Rgb background_colour = 0xFFFFFF;
    std::vector<mission::ChartPoint> points;
    ChartAxis left{QStringLiteral("CELSIUS"), 0, 125, false};
    ChartAxis right{QStringLiteral("RELATIVE HUMIDITY"), 0, 100, false};
    ChartAxis bottom{QString(), 0, 1, true};
    // What the mission's summary needs beyond the points: the logger's record (a chart
    // template and a document of the first version have none), the limits the user set, in
    // the left axis's unit, and the user's activation energy for the mean kinetic temperature.
    // Limits with a date ("yyyy-mm-dd") are the ones the user last set for this logger on that
    // day, taken over by the download; without one they were set for this mission.
    std::optional<mission::MissionRecord> mission;
    std::optional<double> low_limit;
    std::optional<double> high_limit;
    QString limits_set_on;
    std::optional<double> delta_h_kj_per_mol;
    // None in a template, or in a document saved before downloads were kept with it.
    std::optional<DownloadOrigin> download;
    bool operator==(const ChartDocument&) const = default;
};

// Limits a document must keep to be read: far above any real mission (8193 samples), low
// enough that a hostile file cannot make the reader allocate without bound.
inline constexpr int kChartDocumentVersion = 2;
inline constexpr qsizetype kMaxChartPoints = 65536;
inline constexpr qint64 kMaxChartDocumentBytes = 16LL * 1024 * 1024;
// Every text (a title line, an axis title, a label), and the number of title lines.
inline constexpr qsizetype kMaxChartTextLength = 1024;
inline constexpr int kMaxLineWidth = 32;

// The title lines cut to what a document may hold, so that a chart always reopens.
[[nodiscard]] QStringList title_lines_within_limits(QStringList lines);

[[nodiscard]] QByteArray to_json(const ChartDocument& document);
// Nothing unless the bytes are a complete document of a version this build knows, with
// every field present, of its kind and within its limits.
[[nodiscard]] std::optional<ChartDocument> from_json(const QByteArray& bytes);

// Written whole or not at all: a failed write leaves any older file as it was.
[[nodiscard]] bool write_chart_document(const QString& path, const ChartDocument& document);
[[nodiscard]] std::optional<ChartDocument> read_chart_document(const QString& path);

}  // namespace frostel::datafile

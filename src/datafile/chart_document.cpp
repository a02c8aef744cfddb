#include "datafile/chart_document.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

#include "platform/qt_whole_file.h"

namespace frostel::datafile {

namespace {

const QString kFormatTag = QStringLiteral("frostel-chart");
constexpr int kLoggerIdLength = 16;
constexpr qint64 kLargestCount = 0xFFFFFF;            // the logger's 24-bit counters
constexpr qint64 kLargestOffset = qint64{24} * 3600;  // seconds from UTC

QString time_text(const platform::LocalDateTime& t) {
    return QString::fromStdString(platform::format_iso(t));
}

QJsonValue optional_number(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject clock_object(const mission::LoggerClock& c) {
    return {{"utc_offset_s", c.utc_offset_s},
            {"source", QString::fromUtf8(mission::source_name(c))},
            {"drift_s", static_cast<qint64>(c.drift_s)},
            {"measured_offset_s", c.measured_offset_s},
            {"zone", QString::fromStdString(c.zone)}};
}

QJsonObject record_object(const mission::MissionRecord& r) {
    QJsonObject o{{"logger_id", QString::fromStdString(r.logger_id)},
                  {"configuration", r.configuration},
                  {"start", time_text(r.start_time)},
                  {"interval_s", r.sample_interval},
                  {"sixteen_bit", r.sample_format == mission::SampleFormat::k16Bit},
                  {"start_delay_min", r.start_delay},
                  {"mission_samples", r.mission_sample_count},
                  {"device_samples", r.device_sample_count},
                  {"calibration_offset_tenths", r.calibration_offset_tenths},
                  {"alarm_status", r.alarm_status},
                  {"general_status", r.general_status},
                  {"mission_control", r.mission_control},
                  {"alarm_enable", r.alarm_enable},
                  {"low_threshold", r.low_threshold},
                  {"high_threshold", r.high_threshold},
                  {"below_range", r.below_range},
                  {"above_range", r.above_range},
                  {"time_zone", QJsonObject{{"name", QString::fromStdString(r.time_zone.name)},
                                            {"utc_offset_s", r.time_zone.utc_offset_s}}}};
    if (r.clock) {
        o.insert("clock", clock_object(*r.clock));
    }
    return o;
}

QJsonObject origin_object(const DownloadOrigin& origin) {
    return {{"pages_sha256", QString::fromStdString(origin.page_fingerprint)},
            {"at", QString::fromStdString(origin.downloaded_at)},
            {"by", QString::fromStdString(origin.downloaded_by)},
            {"mission_running", origin.mission_running ? QJsonValue(*origin.mission_running)
                                                       : QJsonValue(QJsonValue::Null)}};
}

QString colour_text(Rgb rgb) {
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

QJsonObject axis_object(const ChartAxis& axis) {
    return {{"title", axis.title},
            {"minimum", axis.minimum},
            {"maximum", axis.maximum},
            {"automatic", axis.automatic}};
}

QJsonArray points_array(const std::vector<mission::ChartPoint>& points) {
    QJsonArray array;
    for (const mission::ChartPoint& p : points) {
        array.append(QJsonArray{p.x, p.y, QString::fromLatin1(p.label)});
    }
    return array;
}

// Each reader below fills its value only when the JSON value is of the kind and within the
// limits the document allows, and says whether it did.
bool read_text(const QJsonValue& value, QString& text) {
    if (!value.isString() || value.toString().size() > kMaxChartTextLength) {
        return false;
    }
    text = value.toString();
    return true;
}

bool read_number(const QJsonValue& value, double& number) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        return false;
    }
    number = value.toDouble();
    return true;
}

bool read_bool(const QJsonValue& value, bool& flag) {
    if (!value.isBool()) {
        return false;
    }
    flag = value.toBool();
    return true;
}

bool read_colour(const QJsonValue& value, Rgb& rgb) {
    const QString text = value.toString();
    if (!value.isString() || text.size() != 7 || !text.startsWith(QLatin1Char('#'))) {
        return false;
    }
    bool ok = false;
    const uint parsed = text.mid(1).toUInt(&ok, 16);
    if (ok) {
        rgb = parsed;
    }
    return ok;
}

bool read_whole_number(const QJsonValue& value, qint64 low, qint64 high, qint64& number) {
    double d = 0;
    if (!read_number(value, d) || d != std::floor(d) || d < static_cast<double>(low) ||
        d > static_cast<double>(high)) {
        return false;
    }
    number = static_cast<qint64>(d);
    return true;
}

template <typename Int>
bool read_int(const QJsonValue& value, qint64 low, qint64 high, Int& number) {
    qint64 n = 0;
    if (!read_whole_number(value, low, high, n)) {
        return false;
    }
    number = static_cast<Int>(n);
    return true;
}

bool read_optional_number(const QJsonValue& value, std::optional<double>& number) {
    number.reset();
    double d = 0;
    if (value.isNull()) {
        return true;
    }
    if (!read_number(value, d)) {
        return false;
    }
    number = d;
    return true;
}

// The logger's clock has no zone: the text is read as calendar fields, so no local
// daylight-saving gap can refuse a time.
bool read_time(const QJsonValue& value, platform::LocalDateTime& t) {
    const auto parsed =
        value.isString() ? platform::parse_iso(value.toString().toStdString()) : std::nullopt;
    if (parsed) {
        t = *parsed;
    }
    return parsed.has_value();
}

bool read_time_zone(const QJsonValue& value, mission::TimeZone& zone) {
    const QJsonObject o = value.toObject();
    QString name;
    if (!value.isObject() || !read_text(o["name"], name) ||
        !read_int(o["utc_offset_s"], -kLargestOffset, kLargestOffset, zone.utc_offset_s)) {
        return false;
    }
    zone.name = name.toStdString();
    return true;
}

// Documents saved before the clock was read have none: the mission's offset is unknown.
bool read_clock(const QJsonObject& record, std::optional<mission::LoggerClock>& clock) {
    if (!record.contains("clock")) {
        return true;
    }
    const QJsonObject o = record["clock"].toObject();
    // A century either way: any clock a logger could have kept.
    constexpr qint64 kLargestDrift = 100LL * 366 * 86400;
    mission::LoggerClock c;
    QString source;
    QString zone;
    if (!read_int(o["utc_offset_s"], -kLargestOffset, kLargestOffset, c.utc_offset_s) ||
        !read_text(o["source"], source) ||
        !read_int(o["drift_s"], -kLargestDrift, kLargestDrift, c.drift_s) ||
        !read_int(o["measured_offset_s"], -kLargestOffset, kLargestOffset, c.measured_offset_s) ||
        !read_text(o["zone"], zone)) {
        return false;
    }
    const std::optional<mission::ClockSource> known =
        mission::source_from_name(source.toStdString());
    if (!known) {
        return false;
    }
    c.source = *known;
    c.zone = zone.toStdString();
    clock = std::move(c);
    return true;
}

bool read_record(const QJsonValue& value, mission::MissionRecord& r) {
    const QJsonObject o = value.toObject();
    QString id;
    bool sixteen_bit = false;
    constexpr qint64 kByte = 0xFF;
    if (!value.isObject() || !read_text(o["logger_id"], id) || id.size() != kLoggerIdLength ||
        !read_int(o["configuration"], 0, kByte, r.configuration) ||
        !read_time(o["start"], r.start_time) ||
        !read_int(o["interval_s"], 0, kLargestCount * 60, r.sample_interval) ||
        !read_bool(o["sixteen_bit"], sixteen_bit) ||
        !read_int(o["start_delay_min"], 0, kLargestCount, r.start_delay) ||
        !read_int(o["mission_samples"], 0, kLargestCount, r.mission_sample_count) ||
        !read_int(o["device_samples"], 0, kLargestCount, r.device_sample_count) ||
        !read_int(o["calibration_offset_tenths"], -128, 127, r.calibration_offset_tenths) ||
        !read_int(o["alarm_status"], 0, kByte, r.alarm_status) ||
        !read_int(o["general_status"], 0, kByte, r.general_status) ||
        !read_int(o["mission_control"], 0, kByte, r.mission_control) ||
        !read_int(o["alarm_enable"], 0, kByte, r.alarm_enable) ||
        !read_int(o["low_threshold"], 0, kByte, r.low_threshold) ||
        !read_int(o["high_threshold"], 0, kByte, r.high_threshold) ||
        !read_int(o["below_range"], 0, kMaxChartPoints, r.below_range) ||
        !read_int(o["above_range"], 0, kMaxChartPoints, r.above_range) ||
        !read_time_zone(o["time_zone"], r.time_zone) || !read_clock(o, r.clock)) {
        return false;
    }
    r.logger_id = id.toStdString();
    r.sample_format = sixteen_bit ? mission::SampleFormat::k16Bit : mission::SampleFormat::k8Bit;
    return true;
}

bool is_fingerprint(const QString& text) {
    constexpr qsizetype kHexDigits = 64;
    return text.size() == kHexDigits && std::ranges::all_of(text, [](QChar c) {
               return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                      (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
           });
}

bool read_origin(const QJsonValue& value, DownloadOrigin& origin) {
    const QJsonObject o = value.toObject();
    QString fingerprint;
    QString at;
    QString by;
    bool running = false;
    if (!value.isObject() || !read_text(o["pages_sha256"], fingerprint) ||
        !is_fingerprint(fingerprint) || !read_text(o["at"], at) || !read_text(o["by"], by) ||
        (!o["mission_running"].isNull() && !read_bool(o["mission_running"], running))) {
        return false;
    }
    origin = {fingerprint.toStdString(), at.toStdString(), by.toStdString(),
              o["mission_running"].isNull() ? std::nullopt : std::optional<bool>(running)};
    return true;
}

// Documents of the first version carry no summary; in later ones each part is optional.
bool read_summary_parts(const QJsonObject& root, ChartDocument& document) {
    if (root.contains("mission")) {
        mission::MissionRecord record;
        if (!read_record(root["mission"], record)) {
            return false;
        }
        document.mission = std::move(record);
    }
    if (root.contains("download")) {
        DownloadOrigin origin;
        if (!read_origin(root["download"], origin)) {
            return false;
        }
        document.download = std::move(origin);
    }
    if (!root.contains("summary")) {
        return true;
    }
    const QJsonObject summary = root["summary"].toObject();
    return root["summary"].isObject() &&
           read_optional_number(summary["low_limit"], document.low_limit) &&
           read_optional_number(summary["high_limit"], document.high_limit) &&
           read_optional_number(summary["delta_h_kj_per_mol"], document.delta_h_kj_per_mol) &&
           (!summary.contains("limits_set_on") ||
            read_text(summary["limits_set_on"], document.limits_set_on));
}

bool read_axis(const QJsonValue& value, ChartAxis& axis) {
    const QJsonObject o = value.toObject();
    return value.isObject() && read_text(o["title"], axis.title) &&
           read_number(o["minimum"], axis.minimum) && read_number(o["maximum"], axis.maximum) &&
           axis.minimum <= axis.maximum && read_bool(o["automatic"], axis.automatic);
}

bool read_title_lines(const QJsonValue& value, QStringList& lines) {
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() > kMaxChartTextLength) {
        return false;
    }
    lines.clear();
    for (const QJsonValue line : array) {
        QString text;
        if (!read_text(line, text)) {
            return false;
        }
        lines.append(text);
    }
    return true;
}

bool read_point(const QJsonValue& value, mission::ChartPoint& point) {
    const QJsonArray triple = value.toArray();
    QString label;
    if (!value.isArray() || triple.size() != 3 || !read_number(triple[0], point.x) ||
        !read_number(triple[1], point.y) || !read_text(triple[2], label)) {
        return false;
    }
    point.label = label.toLatin1().toStdString();
    return true;
}

// The declared count must match the points present, and X must not fall back: the series
// keeps its time values in ascending order.
bool read_points(const QJsonObject& series, std::vector<mission::ChartPoint>& points) {
    qint64 count = 0;
    const QJsonArray array = series["points"].toArray();
    if (!read_whole_number(series["count"], 0, kMaxChartPoints, count) ||
        !series["points"].isArray() || array.size() != count) {
        return false;
    }
    points.clear();
    points.reserve(static_cast<std::size_t>(count));
    for (const QJsonValue value : array) {
        mission::ChartPoint point;
        if (!read_point(value, point) || (!points.empty() && point.x < points.back().x)) {
            return false;
        }
        points.push_back(std::move(point));
    }
    return true;
}

bool read_series(const QJsonValue& value, ChartDocument& document) {
    const QJsonObject series = value.toObject();
    qint64 width = 0;
    if (!value.isObject() || !read_text(series["title"], document.series_title) ||
        !read_colour(series["colour"], document.line_colour) ||
        !read_whole_number(series["width"], 0, kMaxLineWidth, width)) {
        return false;
    }
    document.line_width = static_cast<int>(width);
    return read_points(series, document.points);
}

bool read_known_version(const QJsonObject& root) {
    qint64 version = 0;
    return root["format"].toString() == kFormatTag &&
           read_whole_number(root["version"], 1, kChartDocumentVersion, version);
}

}  // namespace

QStringList title_lines_within_limits(QStringList lines) {
    if (lines.size() > kMaxChartTextLength) {
        lines.resize(kMaxChartTextLength);
    }
    for (QString& line : lines) {
        if (line.size() > kMaxChartTextLength) {
            line.truncate(kMaxChartTextLength);
            // Never half a character.
            if (line.back().isHighSurrogate()) {
                line.chop(1);
            }
        }
    }
    return lines;
}

QByteArray to_json(const ChartDocument& document) {
    const QJsonObject series{{"title", document.series_title},
                             {"colour", colour_text(document.line_colour)},
                             {"width", document.line_width},
                             {"count", static_cast<qint64>(document.points.size())},
                             {"points", points_array(document.points)}};
    const QJsonObject axes{{"left", axis_object(document.left)},
                           {"right", axis_object(document.right)},
                           {"bottom", axis_object(document.bottom)}};
    QJsonObject root{{"format", kFormatTag},
                     {"version", kChartDocumentVersion},
                     {"title", QJsonArray::fromStringList(document.title_lines)},
                     {"background", colour_text(document.background_colour)},
                     {"series", series},
                     {"axes", axes},
                     {"summary", QJsonObject{{"low_limit", optional_number(document.low_limit)},
                                             {"high_limit", optional_number(document.high_limit)},
                                             {"delta_h_kj_per_mol",
                                              optional_number(document.delta_h_kj_per_mol)}}}};
    if (!document.limits_set_on.isEmpty()) {
        QJsonObject summary = root["summary"].toObject();
        summary["limits_set_on"] = document.limits_set_on;
        root["summary"] = summary;
    }
    if (document.mission) {
        root["mission"] = record_object(*document.mission);
    }
    if (document.download) {
        root["download"] = origin_object(*document.download);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<ChartDocument> from_json(const QByteArray& bytes) {
    if (bytes.size() > kMaxChartDocumentBytes) {
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return std::nullopt;
    }
    const QJsonObject root = json.object();
    const QJsonObject axes = root["axes"].toObject();
    ChartDocument document;
    if (!read_known_version(root) || !read_title_lines(root["title"], document.title_lines) ||
        !read_colour(root["background"], document.background_colour) ||
        !read_series(root["series"], document) || !read_axis(axes["left"], document.left) ||
        !read_axis(axes["right"], document.right) || !read_axis(axes["bottom"], document.bottom) ||
        !read_summary_parts(root, document)) {
        return std::nullopt;
    }
    return document;
}

bool write_chart_document(const QString& path, const ChartDocument& document) {
    return platform::write_whole_file(path, to_json(document));
}

std::optional<ChartDocument> read_chart_document(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxChartDocumentBytes) {
        return std::nullopt;
    }
    return from_json(file.read(kMaxChartDocumentBytes + 1));
}

}  // namespace frostel::datafile

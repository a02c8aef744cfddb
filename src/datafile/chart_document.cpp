#include "chart_document.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "datafile/whole_file.h"

namespace frostel::datafile {

namespace {

const QString kFormatTag = QStringLiteral("frostel-chart");

QString colour_text(Rgb rgb) {
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

QJsonObject axis_object(const ChartAxis& axis) {
    return {{"title", axis.title},
            {"minimum", axis.minimum},
            {"maximum", axis.maximum},
            {"automatic", axis.automatic}};
}

QJsonArray points_array(const std::vector<ChartPoint>& points) {
    QJsonArray array;
    for (const ChartPoint& p : points) {
        array.append(QJsonArray{p.x, p.y, p.label});
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
    for (const QJsonValue& line : array) {
        QString text;
        if (!read_text(line, text)) {
            return false;
        }
        lines.append(text);
    }
    return true;
}

bool read_point(const QJsonValue& value, ChartPoint& point) {
    const QJsonArray triple = value.toArray();
    return value.isArray() && triple.size() == 3 && read_number(triple[0], point.x) &&
           read_number(triple[1], point.y) && read_text(triple[2], point.label);
}

// The declared count must match the points present, and X must not fall back: the series
// keeps its time values in ascending order.
bool read_points(const QJsonObject& series, std::vector<ChartPoint>& points) {
    qint64 count = 0;
    const QJsonArray array = series["points"].toArray();
    if (!read_whole_number(series["count"], 0, kMaxChartPoints, count) ||
        !series["points"].isArray() || array.size() != count) {
        return false;
    }
    points.clear();
    points.reserve(static_cast<std::size_t>(count));
    for (const QJsonValue& value : array) {
        ChartPoint point;
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

QByteArray to_json(const ChartDocument& document) {
    const QJsonObject series{{"title", document.series_title},
                             {"colour", colour_text(document.line_colour)},
                             {"width", document.line_width},
                             {"count", static_cast<qint64>(document.points.size())},
                             {"points", points_array(document.points)}};
    const QJsonObject axes{{"left", axis_object(document.left)},
                           {"right", axis_object(document.right)},
                           {"bottom", axis_object(document.bottom)}};
    const QJsonObject root{{"format", kFormatTag},
                           {"version", kChartDocumentVersion},
                           {"title", QJsonArray::fromStringList(document.title_lines)},
                           {"background", colour_text(document.background_colour)},
                           {"series", series},
                           {"axes", axes}};
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
        !read_axis(axes["right"], document.right) || !read_axis(axes["bottom"], document.bottom)) {
        return std::nullopt;
    }
    return document;
}

bool write_chart_document(const QString& path, const ChartDocument& document) {
    return write_whole_file(path, to_json(document));
}

std::optional<ChartDocument> read_chart_document(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxChartDocumentBytes) {
        return std::nullopt;
    }
    return from_json(file.read(kMaxChartDocumentBytes + 1));
}

}  // namespace frostel::datafile

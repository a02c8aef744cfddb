#include "datafile/chart_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace frostel::datafile {
namespace {

// A mission's worth of points whose doubles need all their digits.
ChartDocument full_mission() {
    ChartDocument document;
    document.title_lines = {QStringLiteral("Frostel"), QStringLiteral("cold room 2")};
    document.left = {QStringLiteral("KELVIN"), 273.15, 398.15, false};
    document.bottom = {QString(), 46000.0, 48048.0, true};
    document.line_colour = 0x12AB34;
    document.line_width = 3;
    document.background_colour = 0xF0F0F0;
    for (int i = 0; i < 8193; ++i) {
        document.points.push_back({46000.0 + i / 4.0 + 1e-9 * i, 273.15 + 0.0625 * i / 3.0,
                                   QStringLiteral("2026-01-15 %1").arg(i)});
    }
    return document;
}

QByteArray with_field(const ChartDocument& document, const QString& key, const QJsonValue& v) {
    QJsonObject root = QJsonDocument::fromJson(to_json(document)).object();
    root[key] = v;
    return QJsonDocument(root).toJson();
}

QByteArray with_series_field(const QString& key, const QJsonValue& v) {
    const ChartDocument document = full_mission();
    QJsonObject root = QJsonDocument::fromJson(to_json(document)).object();
    QJsonObject series = root["series"].toObject();
    series[key] = v;
    root["series"] = series;
    return QJsonDocument(root).toJson();
}

TEST(ChartDocument, FullMissionRoundTripsExactlyThroughAFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath("standard.tee");
    const ChartDocument written = full_mission();
    ASSERT_TRUE(write_chart_document(path, written));
    const auto read = read_chart_document(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, written);
}

TEST(ChartDocument, DefaultChartRoundTrips) {
    const auto read = from_json(to_json(ChartDocument{}));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, ChartDocument{});
    EXPECT_EQ(read->left.title, "CELSIUS");
}

TEST(ChartDocument, MissingOrUnwritablePathsFail) {
    QTemporaryDir folder;
    EXPECT_FALSE(read_chart_document(folder.filePath("none.tee")).has_value());
    EXPECT_FALSE(write_chart_document(folder.filePath("no/such/folder.tee"), ChartDocument{}));
}

TEST(ChartDocument, EveryTruncationIsRefused) {
    const QByteArray whole = to_json(full_mission());
    for (qsizetype cut = 0; cut < whole.size(); cut += whole.size() / 97 + 1) {
        EXPECT_FALSE(from_json(whole.left(cut)).has_value()) << "cut at " << cut;
    }
}

TEST(ChartDocument, ForeignFilesAreRefused) {
    EXPECT_FALSE(from_json("TPF0\x0bTChart\x00\x01\xff"));
    EXPECT_FALSE(from_json(R"({"hello": "world"})"));
    EXPECT_FALSE(from_json("[1, 2, 3]"));
    const ChartDocument document = full_mission();
    EXPECT_FALSE(from_json(with_field(document, "format", "some-other-chart")));
    EXPECT_FALSE(from_json(with_field(document, "version", 2)));
    EXPECT_FALSE(from_json(with_field(document, "version", 0.5)));
}

TEST(ChartDocument, AbsurdOrInconsistentContentIsRefused) {
    EXPECT_FALSE(from_json(with_series_field("count", 1e9)));
    EXPECT_FALSE(from_json(with_series_field("count", 8192)));
    EXPECT_FALSE(from_json(with_series_field("count", -1)));
    EXPECT_FALSE(from_json(with_series_field("width", 1000)));
    EXPECT_FALSE(from_json(with_series_field("colour", "red")));
    EXPECT_FALSE(from_json(with_series_field("title", QString(5000, QLatin1Char('x')))));
    // X going backwards, and a point that is not a triple.
    EXPECT_FALSE(from_json(with_series_field(
        "points", QJsonArray{QJsonArray{2.0, 1.0, "a"}, QJsonArray{1.0, 1.0, "b"}})));
    EXPECT_FALSE(from_json(with_series_field("points", QJsonArray{QJsonArray{1.0, 1.0}})));

    ChartDocument inverted;
    inverted.left = {QStringLiteral("CELSIUS"), 125, 0, false};
    EXPECT_FALSE(from_json(to_json(inverted)));
}

TEST(ChartDocument, OversizedFileIsRefusedWithoutParsing) {
    QTemporaryDir folder;
    const QString path = folder.filePath("huge.tee");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kMaxChartDocumentBytes + 1));
    file.close();
    EXPECT_FALSE(read_chart_document(path).has_value());
}

TEST(ChartDocument, FailedWriteKeepsTheOlderFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath("standard.tee");
    ASSERT_TRUE(write_chart_document(path, full_mission()));
    // A folder in the file's place cannot be replaced by a save.
    const QString blocked = folder.filePath("blocked.tee");
    ASSERT_TRUE(QDir(folder.path()).mkdir("blocked.tee"));
    EXPECT_FALSE(write_chart_document(blocked, ChartDocument{}));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(read_chart_document(path), full_mission());
}

}  // namespace
}  // namespace frostel::datafile

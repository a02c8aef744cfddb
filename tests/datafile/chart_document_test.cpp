#include "datafile/chart_document.h"

#include <gtest/gtest.h>

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
                                   "2026-01-15 " + std::to_string(i)});
    }
    mission::MissionRecord& r = document.mission.emplace();
    r.logger_id = "41A0B1C2D3E4F5A6";
    r.configuration = 0x60;
    r.start_time = {2026, 1, 15, 23, 59, 7};
    r.sample_interval = 600;
    r.sample_format = mission::SampleFormat::k16Bit;
    r.start_delay = 16777215;
    r.mission_sample_count = 10000;
    r.device_sample_count = 16777215;
    r.calibration_offset_tenths = -128;
    r.alarm_status = 0x83;
    r.general_status = 0x10;
    r.mission_control = 0xFF;
    r.alarm_enable = 0x03;
    r.low_threshold = 6;
    r.high_threshold = 255;
    r.below_range = 3;
    r.above_range = 8193;
    r.time_zone = {"America/St_Johns", -12600};
    r.clock = {3600, mission::ClockSource::kProgrammed, -7, 7200, "Europe/Berlin"};
    document.high_limit = 281.15 + 1e-13;
    document.limits_set_on = QStringLiteral("2026-12-01");
    document.delta_h_kj_per_mol = 100.5;
    document.download =
        DownloadOrigin{std::string(64, 'c'), "2026-01-16 08:00:00", "anna@cold-room-pc", true};
    return document;
}

TEST(ChartDocument, FullMissionAndEmptyChartRoundTripExactly) {
    QTemporaryDir folder;
    const QString path = folder.filePath("standard.tee");
    ASSERT_TRUE(write_chart_document(path, full_mission()));
    EXPECT_EQ(read_chart_document(path), full_mission());
    EXPECT_EQ(from_json(to_json(ChartDocument{})), ChartDocument{});
}

// Each older form opens: a record saved before the logger's clock was read, a document
// without its download, and the first version without the record or the summary.
TEST(ChartDocument, OlderDocumentsStillOpenWithWhatTheyKept) {
    QJsonObject root = QJsonDocument::fromJson(to_json(full_mission())).object();
    ChartDocument expected = full_mission();
    QJsonObject record = root["mission"].toObject();
    record.remove("clock");
    root["mission"] = record;
    expected.mission->clock.reset();
    EXPECT_EQ(from_json(QJsonDocument(root).toJson()), expected);
    root.remove("download");
    expected.download.reset();
    EXPECT_EQ(from_json(QJsonDocument(root).toJson()), expected);
    root.remove("mission");
    root.remove("summary");
    root["version"] = 1;
    expected.mission.reset();
    expected.high_limit.reset();
    expected.delta_h_kj_per_mol.reset();
    expected.limits_set_on.clear();
    EXPECT_EQ(from_json(QJsonDocument(root).toJson()), expected);
}

TEST(ChartDocument, TruncatedForeignAbsurdOrInconsistentContentIsRefused) {
    const QByteArray whole = to_json(full_mission());
    for (qsizetype cut = 0; cut < whole.size(); cut += whole.size() / 97 + 1) {
        EXPECT_FALSE(from_json(whole.left(cut)).has_value()) << "cut at " << cut;
    }
    EXPECT_FALSE(from_json("TPF0\x0bTChart\x00\x01\xff"));
    EXPECT_FALSE(from_json(R"({"hello": "world"})"));
    EXPECT_FALSE(from_json("[1, 2, 3]"));

    // The whole mission with one field of the document, or of its series, replaced.
    const QJsonObject root = QJsonDocument::fromJson(whole).object();
    const auto with = [&root](const QString& key, const QJsonValue& v) {
        QJsonObject edited = root;
        edited[key] = v;
        return from_json(QJsonDocument(edited).toJson());
    };
    const auto with_series = [&](const QString& key, const QJsonValue& v) {
        QJsonObject series = root["series"].toObject();
        series[key] = v;
        return with("series", series);
    };
    EXPECT_FALSE(with("format", "some-other-chart"));
    EXPECT_FALSE(with("version", 3));
    EXPECT_FALSE(with("version", 0.5));
    for (const QJsonValue count : {1e9, 8192.0, -1.0}) {
        EXPECT_FALSE(with_series("count", count)) << count.toDouble();
    }
    EXPECT_FALSE(with_series("width", 1000));
    EXPECT_FALSE(with_series("colour", "red"));
    EXPECT_FALSE(with_series("title", QString(5000, QLatin1Char('x'))));
    // X going backwards, and a point that is not a triple.
    EXPECT_FALSE(
        with_series("points", QJsonArray{QJsonArray{2.0, 1.0, "a"}, QJsonArray{1.0, 1.0, "b"}}));
    EXPECT_FALSE(with_series("points", QJsonArray{QJsonArray{1.0, 1.0}}));

    // A record or a summary part that is not whole and in range.
    const auto with_record = [&](const QString& key, const QJsonValue& v) {
        QJsonObject record = root["mission"].toObject();
        record[key] = v;
        return with("mission", record);
    };
    EXPECT_FALSE(with_record("logger_id", "41A0"));
    EXPECT_FALSE(with_record("start", "2026-02-30 10:00:00"));
    EXPECT_FALSE(with_record("alarm_status", 256));
    EXPECT_FALSE(with_record("time_zone", "UTC"));
    EXPECT_FALSE(with_record("clock", QJsonObject{{"utc_offset_s", 3600}, {"source", "guessed"}}));
    EXPECT_FALSE(with("summary", QJsonObject{{"low_limit", "2"}}));
    EXPECT_FALSE(with("summary", QJsonObject{{"low_limit", 2},
                                             {"high_limit", 8},
                                             {"delta_h_kj_per_mol", 83},
                                             {"limits_set_on", 1}}));
    QJsonObject origin = root["download"].toObject();
    origin["pages_sha256"] = QString(64, QLatin1Char('G'));
    EXPECT_FALSE(with("download", origin));

    ChartDocument inverted;
    inverted.left = {QStringLiteral("CELSIUS"), 125, 0, false};
    EXPECT_FALSE(from_json(to_json(inverted)));
}

}  // namespace
}  // namespace frostel::datafile

#include "cli/cli_summary.h"

#include "cli/cli_commands.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <sstream>

#include "datafile/chart_document.h"
#include "datafile/data_file.h"

namespace frostel::cli {
namespace {

struct SavedPairSummary : ::testing::Test {
    QTemporaryDir folder;

    // A saved pair of these points (a minute apart) without the logger's record, as a
    // document of the first version holds it.
    [[nodiscard]] std::string save(const QString& name, std::vector<double> values) const {
        datafile::ChartDocument document;
        for (std::size_t i = 0; i < values.size(); ++i) {
            document.points.push_back(
                {46000.0 + i, values[i],
                 QStringLiteral("2026-03-01 10:%1:00").arg(i, 2, 10, QChar('0')).toStdString()});
        }
        const QString path = folder.filePath(name);
        EXPECT_TRUE(datafile::write_data_file(path, QStringLiteral("walk-in freezer")));
        EXPECT_TRUE(datafile::write_chart_document(datafile::chart_document_name(path), document));
        return path.toStdString();
    }

    [[nodiscard]] QJsonObject summary(const std::vector<std::string>& args,
                                      int exit_code = kExitOk) const {
        std::ostringstream out;
        std::ostringstream err;
        const auto options = std::get<CliOptions>(parse_cli_options(args));
        EXPECT_EQ(run_summary(options, out, err), exit_code) << err.str();
        return QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    }
};

TEST_F(SavedPairSummary, PointsAloneGiveTheFiguresAndNullsWhereNothingIsKnown) {
    const QJsonObject s = summary({"summary", save("a.frd", {4, 6.5, 1.5}), "--limits", ":5"});
    EXPECT_EQ(s["unit"].toString(), "CELSIUS");
    EXPECT_EQ(s["interval_s"].toInt(), 60);
    EXPECT_EQ(s["first"].toString(), "2026-03-01 10:00:00");
    EXPECT_EQ(s["min"].toObject(), (QJsonObject{{"value", 1.5}, {"time", "2026-03-01 10:02:00"}}));
    EXPECT_DOUBLE_EQ(s["stddev"].toDouble(), 2.5);
    EXPECT_EQ(s["limits"].toObject(),
              (QJsonObject{{"low", QJsonValue()}, {"high", 5}, {"source", "user"}}));
    EXPECT_EQ(s["excursions"].toArray().size(), 1);
    EXPECT_TRUE(s["flags"].isNull() && s["time_zone"].isNull());

    const QJsonObject empty = summary({"summary", save("b.frd", {})});
    EXPECT_EQ(empty["count"].toInt(), 0);
    EXPECT_EQ(empty["duration_s"].toInt(), 0);
    for (const char* name : {"first", "last", "min", "max", "mean", "stddev", "mkt"}) {
        EXPECT_TRUE(empty[name].isNull()) << name;
    }
    EXPECT_EQ(empty["below"].toObject(), (QJsonObject{{"samples", 0}, {"seconds", 0}}));
    EXPECT_EQ(empty["excursions"].toArray(), QJsonArray());
    EXPECT_EQ(empty["limits"].toObject()["source"].toString(), "none");
}

TEST_F(SavedPairSummary, ToAFileOrAFailureForAPairThatIsNotThere) {
    const std::string json = folder.filePath("out.json").toStdString();
    EXPECT_TRUE(summary({"summary", save("c.frd", {3}), "--summary", json}).isEmpty());
    QFile written(QString::fromStdString(json));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(written.readAll())["count"].toInt(), 1);

    EXPECT_TRUE(
        summary({"summary", folder.filePath("none.frd").toStdString()}, kExitFailed).isEmpty());
}

}  // namespace
}  // namespace frostel::cli

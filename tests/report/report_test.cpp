// The mission report: its model from a mission's readings and record, and the PDF checked
// through poppler's pdftotext and pdftoppm.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include "datafile/data_file.h"
#include "mission/register_map.h"
#include "platform/local_date_time.h"
#include "report/report_pdf.h"
#include "report/report_source.h"
#include "support/pdf_text.h"

namespace frostel::report {
namespace {

constexpr int kInterval = 600;
const platform::LocalDateTime kStart{2026, 12, 3, 4, 59, 0};

// An "L" logger with its alarm thresholds at 2 and 8 degrees Celsius, both enabled.
mission::MissionRecord cold_room_record(int samples) {
    mission::MissionRecord record;
    record.logger_id = "4100000ABCDEF1AA";
    record.configuration = mission::kConfigurationL;
    record.start_time = kStart;
    record.sample_interval = kInterval;
    record.mission_sample_count = samples;
    record.device_sample_count = samples;
    record.alarm_enable = mission::kLowAlarmBit | mission::kHighAlarmBit;
    record.low_threshold = 86;
    record.high_threshold = 98;
    record.time_zone = {"Europe/Berlin", 3600};
    return record;
}

ReportInput cold_room(const std::vector<double>& values) {
    ReportInput input;
    input.logger_id = "4100000ABCDEF1AA";
    input.mission_text = "Cold room 3 - dairy\r\nweekly check" + std::string(446, ' ');
    input.fingerprint = std::string(64, 'e');
    input.summary.record = cold_room_record(static_cast<int>(values.size()));
    const insight::LoggerTime start = platform::to_civil_seconds(kStart);
    for (std::size_t i = 0; i < values.size(); ++i) {
        input.summary.readings.push_back(
            {start + static_cast<insight::LoggerTime>(i) * kInterval, values[i]});
    }
    return input;
}

std::vector<double> steady(int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(4.0 + (i % 5) * 0.5);
    }
    return values;
}

const ReportOptions kFrozen{
    QDateTime(QDate(2026, 12, 7), QTime(9, 30), QTimeZone(QByteArrayLiteral("Europe/Berlin"))),
    false};

// The PDF written to a file of its own, read back through poppler.
struct Pdf {
    QTemporaryDir folder;
    QString path;

    explicit Pdf(const ReportModel& model, QPageSize::PageSizeId paper = QPageSize::A4)
        : path(folder.filePath("report.pdf")) {
        if (!write_report_pdf(path, model, paper)) {
            path.clear();
        }
    }
    QString text(int page = 1) const { return test::pdf_text(path, page); }
    QImage first_page(int dpi) const {
        QProcess::execute("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", "1", "-l", "1",
                                       "-singlefile", path, folder.filePath("page")});
        return QImage(folder.filePath("page.png"));
    }
};

class ReportTest : public QObject {
    Q_OBJECT

  private slots:
    void aMissionWithinLimitsOnOnePage() {
        const ReportModel model = build_report(cold_room(steady(24)), kFrozen);
        QCOMPARE(model.mission_text, QString("Cold room 3 - dairy\nweekly check"));
        QVERIFY(!model.failed && model.passed);
        QCOMPARE(model.statistics[0], (Field{"Samples", "24"}));
        QCOMPARE(model.statistics[3], (Field{"Duration", "4 h 0 min"}));
        QCOMPARE(model.statistics[4], (Field{"Minimum", "4.00 at 2026-12-03 04:59:00"}));
        QCOMPARE(model.statistics[5], (Field{"Maximum", "6.00 at 2026-12-03 05:39:00"}));
        QVERIFY(model.statistics[8].value.endsWith(" (dH 83.144 kJ/mol)"));
        QCOMPARE(model.settings.end()[-2], (Field{"Times local to", "Europe/Berlin (UTC+01:00)"}));
        // Kept before the logger's clock was read: no UTC instants, and the report says so.
        QCOMPARE(model.settings.back(),
                 (Field{"Clock", "Logger clock offset unknown: no UTC times for this mission"}));
        QVERIFY(model.excursions.rows.empty() && model.warnings.isEmpty());
        QVERIFY(model.samples.rows.empty());
        // The value axis holds the samples and both limits; the time axis the mission.
        const ReportChart& chart = model.chart;
        QVERIFY(chart.bottom <= 2 && chart.top >= 8 && chart.top - chart.bottom <= 10);
        QCOMPARE(chart.value_ticks.front().at, chart.bottom);
        QCOMPARE(chart.time_ticks.size(), std::size_t{4});
        QCOMPARE(chart.time_ticks.front().text, QString("12-03 05:00"));

        const Pdf pdf(model);
        const QString text = pdf.text();
        for (const char* expected :
             {"Mission report", "Frostel Type: 85 (-40'C to 85'C) - ID:4100000ABCDEF1AA",
              "Cold room 3 - dairy weekly check", "WITHIN LIMITS",
              "Limits: Low 2.00, high 8.00 CELSIUS (the logger's alarm thresholds)",
              "Mean kinetic temperature", "Excursions None", "Logger flags and warnings None",
              "Reviewed by", "Date", "Signature", "Page 1 of 1",
              "Generated 2026-12-07 09:30:00 UTC+01:00 (Europe/Berlin) by "
              "Frostel " FROSTEL_VERSION}) {
            QVERIFY2(text.contains(expected), expected);
        }
        QVERIFY(text.contains("Mission fingerprint (SHA-256): " + QString(64, 'e')));
        QCOMPARE(report_page_count(model, QPageSize::A4), 1);
    }

    void excursionsAndTheLoggersFlagsListedAndCarriedOverToTheirOwnPages() {
        std::vector<double> values = steady(30);
        values[10] = values[11] = 12.5;
        values[12] = 9;
        values[20] = 1.5;
        ReportInput input = cold_room(values);
        input.summary.record->alarm_status = mission::kBatteryResetBit | mission::kHighAlarmBit;
        input.summary.record->above_range = 2;
        const ReportModel model = build_report(input, kFrozen);
        // A logger reset by its battery judges nothing, in the neutral colour; the excursions
        // are still listed.
        QVERIFY(!model.failed && !model.passed);
        QCOMPARE(model.verdict, QString("NOT VALID: BATTERY RESET"));
        QCOMPARE(model.excursions.rows.size(), std::size_t{2});
        QCOMPARE(model.excursions.rows[1][0], QString("Below"));
        QCOMPARE(model.statistics[10], (Field{"Above the high limit", "3 samples, 0 h 30 min"}));
        const QString text = Pdf(model).text();
        QVERIFY(text.contains("NOT VALID: BATTERY RESET"));
        input.summary.record->alarm_status = mission::kHighAlarmBit;
        QVERIFY(build_report(input, kFrozen).failed);
        QVERIFY(
            text.contains("Above 2026-12-03 06:39:00 2026-12-03 06:59:00 0 h 30 min 12.50 at "
                          "2026-12-03 06:39:00"));
        QVERIFY(
            text.contains("Logger flags and warnings BATTERY RESET: CALIBRATION LOST, "
                          "DISREGARD THIS DATA ! 2 SAMPLES ABOVE THE SENSOR'S RANGE ! HIGH "
                          "ALARM FLAG SET BY THE LOGGER !"));

        // Nine excursions: six on page 1, three on a page of their own; every sample after.
        std::vector<double> spiky = steady(8192);
        for (int i = 0; i < 9; ++i) {
            spiky[100 + 10 * i] = 20;
        }
        ReportOptions all = kFrozen;
        all.all_samples = true;
        const ReportModel full = build_report(cold_room(spiky), all);
        QCOMPARE(full.samples.rows.size(), std::size_t{8192});
        QCOMPARE(full.samples.rows.back(), (QStringList{"2027-01-29 02:09:00", "4.50"}));
        const int pages = report_page_count(full, QPageSize::A4);
        QVERIFY(pages > 20);
        const Pdf pdf(full);
        QVERIFY(pdf.text(1).contains("3 more excursions on the following pages"));
        QVERIFY(pdf.text(2).startsWith("Excursions, continued"));
        QVERIFY(pdf.text(2).contains("Page 2 of " + QString::number(pages)));
        QVERIFY(pdf.text(3).startsWith("All samples"));
        QVERIFY(pdf.text(3).contains("2026-12-03 04:59:00 4.00"));
        const QString last = pdf.text(pages);
        QVERIFY(last.contains("2027-01-29 02:09:00 4.50"));
        QVERIFY(last.contains(QString("Page %1 of %1").arg(pages)));
        QVERIFY(pdf.text(pages + 1).isEmpty());
    }

    // A pair saved by the window, with the record it keeps; an older pair without one still
    // gives a report, saying what it lacks.
    void aMissionRetrievedFromASavedPair() {
        const QTemporaryDir folder;
        const QString data_file = folder.filePath("week49.frd");
        const ReportInput mission = cold_room(steady(12));
        datafile::ChartDocument document;
        document.title_lines = {"4100000ABCDEF1AA"};
        document.mission = mission.summary.record;
        document.high_limit = 5.5;
        for (const insight::Reading& reading : mission.summary.readings) {
            document.points.push_back({0, reading.value, insight::time_text(reading.time)});
        }
        QVERIFY(datafile::write_data_file(data_file, "Cold room 3\r\nweekly check"));
        QVERIFY(datafile::write_chart_document(folder.filePath("week49.tee"), document));
        const std::optional<ReportInput> input = saved_pair_report_input(data_file);
        QVERIFY(input.has_value());
        const ReportModel model = build_report(*input, kFrozen);
        QCOMPARE(model.caption, QString("Frostel Type: 85 (-40'C to 85'C) - ID:4100000ABCDEF1AA"));
        QCOMPARE(model.mission_text, QString("Cold room 3\nweekly check"));
        QCOMPARE(model.verdict, QString("2 EXCURSIONS, 0 h 20 min OUT OF LIMITS"));
        QCOMPARE(model.limits, QString("Low none, high 5.50 CELSIUS (set by the user)"));
        QVERIFY(Pdf(model).text().contains("Start 2026-12-03 04:59:00"));

        document.mission.reset();
        QVERIFY(datafile::write_chart_document(folder.filePath("week49.tee"), document));
        const ReportModel bare = build_report(*saved_pair_report_input(data_file), kFrozen);
        QCOMPARE(bare.caption, QString("ID:4100000ABCDEF1AA"));
        QCOMPARE(bare.settings, (std::vector<Field>{{"Settings", "not kept with this mission"}}));
        QCOMPARE(bare.warnings, QStringList{"The logger's flags were not kept with this mission."});
        QCOMPARE(bare.statistics[0].value, QString("12"));

        QVERIFY(!saved_pair_report_input(folder.filePath("missing.frd")));
        QVERIFY(QFile::remove(folder.filePath("week49.tee")));
        QVERIFY(!saved_pair_report_input(data_file));
    }

    // Page 1 as poppler draws it: the paper's size, ink on it, the curve in its red.
    void pageOneRendersOnTheLocalesPaper() {
        QCOMPARE(paper_for(QLocale(QLocale::English, QLocale::UnitedStates)), QPageSize::Letter);
        QCOMPARE(paper_for(QLocale(QLocale::English, QLocale::Canada)), QPageSize::Letter);
        QCOMPARE(paper_for(QLocale(QLocale::German, QLocale::Germany)), QPageSize::A4);
        QCOMPARE(paper_for(QLocale(QLocale::English, QLocale::UnitedKingdom)), QPageSize::A4);
        const ReportModel model = build_report(cold_room(steady(500)), kFrozen);
        for (const auto& [paper, size] : {std::pair{QPageSize::A4, QSize(331, 468)},
                                          std::pair{QPageSize::Letter, QSize(340, 440)}}) {
            const QImage page = Pdf(model, paper).first_page(40);
            QCOMPARE(page.size(), size);
            int ink = 0;
            int red = 0;
            for (int y = 0; y < page.height(); ++y) {
                for (int x = 0; x < page.width(); ++x) {
                    const QColor colour = page.pixelColor(x, y);
                    ink += colour.lightness() < 200 ? 1 : 0;
                    red += colour.red() > 150 && colour.green() < 100 ? 1 : 0;
                }
            }
            const double pixels = page.width() * page.height();
            QVERIFY2(ink > pixels * 0.02 && ink < pixels * 0.5, qPrintable(QString::number(ink)));
            QVERIFY(red > 200);
        }
    }
};

}  // namespace
}  // namespace frostel::report

QTEST_MAIN(frostel::report::ReportTest)
#include "report_test.moc"

// The mission report: its model from a mission's readings and record, and the PDF checked
// through poppler's pdftotext and pdftoppm.
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <algorithm>
#include <optional>

#include "datafile/data_file.h"
#include "mission/register_map.h"
#include "platform/local_date_time.h"
#include "report/report_pdf.h"
#include "report/report_source.h"
#include "tests/support/pdf_text.h"

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
    // Where `word` first stands on `page`, its top or bottom edge in points from the page's
    // top; 0 when it is not there.
    double word_edge(int page, const QString& word, bool top) const {
        QProcess pdftotext;
        const QString number = QString::number(page);
        pdftotext.start("pdftotext", {"-bbox", "-f", number, "-l", number, path, "-"});
        pdftotext.waitForFinished();
        const QRegularExpression box(QString("<word xMin=\"[^\"]+\" yMin=\"([^\"]+)\" "
                                             "xMax=\"[^\"]+\" yMax=\"([^\"]+)\">%1</word>")
                                         .arg(word));
        const auto match = box.match(QString::fromUtf8(pdftotext.readAllStandardOutput()));
        return match.hasMatch() ? match.captured(top ? 1 : 2).toDouble() : 0;
    }
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
        // The rows' labels and forms are the reference's; here what a mission within limits
        // changes.
        QVERIFY(!model.failed && model.passed);
        QCOMPARE(model.statistics[4], (Field{"Minimum", "4.00 at 2026-12-03 04:59:00"}));
        QVERIFY(model.excursions.rows.empty() && model.warnings.isEmpty());
        QVERIFY(model.samples.rows.empty());
        // The value axis holds the samples and both limits; the time axis the mission.
        const ReportChart& chart = model.chart;
        QVERIFY(chart.bottom <= 2 && chart.top >= 8 && chart.top - chart.bottom <= 10);
        QCOMPARE(chart.value_ticks.front().at, chart.bottom);
        QCOMPARE(chart.time_ticks.size(), std::size_t{4});
        QCOMPARE(chart.time_ticks.front().text, QString("12-03 05:00"));

        QVERIFY(Pdf(model).text().contains("Excursions None Logger flags and warnings None"));
        QCOMPARE(report_page_count(model, QPageSize::A4), 1);
    }

    // A minute of samples a second apart: ticks every ten seconds, each its own label.
    void aShortMissionsTimeTicksCarryTheirSeconds() {
        ReportInput input = cold_room(steady(5));
        input.summary.record->sample_interval = 1;
        for (std::size_t i = 0; i < input.summary.readings.size(); ++i) {
            input.summary.readings[i].time =
                platform::to_civil_seconds(kStart) + static_cast<insight::LoggerTime>(i);
        }
        const ReportModel model = build_report(input, kFrozen);
        QStringList texts;
        for (const Tick& tick : model.chart.time_ticks) {
            texts << tick.text;
        }
        QCOMPARE(texts, (QStringList{"12-03 04:59:00", "12-03 04:59:10", "12-03 04:59:20",
                                     "12-03 04:59:30", "12-03 04:59:40", "12-03 04:59:50",
                                     "12-03 05:00:00"}));
    }

    // Time beyond a limit is listed only for a limit there is; durations are explained once;
    // each of the clock's lines has a label of its own.
    void summaryRowsForEachChoiceOfLimits() {
        const struct {
            const char* name;
            link::Byte alarms;
            bool below;
            bool above;
        } cases[] = {{"none", 0, false, false},
                     {"low", mission::kLowAlarmBit, true, false},
                     {"high", mission::kHighAlarmBit, false, true},
                     {"both", mission::kLowAlarmBit | mission::kHighAlarmBit, true, true}};
        for (const auto& c : cases) {
            ReportInput input = cold_room(steady(24));
            input.summary.record->alarm_enable = c.alarms;
            input.summary.record->clock = mission::LoggerClock{
                3600, mission::ClockSource::kProgrammed, -90, 3600, "Europe/Berlin"};
            const ReportModel model = build_report(input, kFrozen);
            const auto has = [&model](const char* label) {
                return std::ranges::count(model.statistics, QString(label), &Field::label);
            };
            QCOMPARE(has("Below the low limit"), c.below ? 1 : 0);
            QCOMPARE(has("Above the high limit"), c.above ? 1 : 0);
            QCOMPARE(model.statistics[3],
                     (Field{"Duration", "4 h 0 min (each sample counts for one interval)"}));
            QStringList labels;
            for (const Field& field : model.settings) {
                QVERIFY2(!labels.contains(field.label), qPrintable(field.label));
                labels << field.label;
            }
            QVERIFY(labels.contains("Clock") && labels.contains("Clock drift"));
            if (c.below && c.above) {
                // Once, though the line may break within it.
                QCOMPARE(Pdf(model).text().count("each sample counts"), 1);
            }
        }
    }

    // The whole PDF of a mission with excursions and the logger's flags, as pdftotext lays
    // it out, is its reference text (FROSTEL_UPDATE_REFERENCE=1 writes that anew, to review).
    void excursionsAndTheLoggersFlagsReadAsTheReference() {
        std::vector<double> values = steady(30);
        values[10] = values[11] = 12.5;
        values[12] = 9;
        values[20] = 1.5;
        ReportInput input = cold_room(values);
        input.summary.record->alarm_status = mission::kBatteryResetBit | mission::kHighAlarmBit;
        input.summary.record->above_range = 2;
        const ReportModel model = build_report(input, kFrozen);
        // A logger reset by its battery judges nothing, in the neutral colour; the excursions
        // are still listed, as in the reference.
        QVERIFY(!model.failed && !model.passed);
        QCOMPARE(model.verdict, QString("NOT VALID: BATTERY RESET"));
        input.summary.record->alarm_status = mission::kHighAlarmBit;
        const ReportModel failed = build_report(input, kFrozen);
        QVERIFY(failed.failed);
        QCOMPARE(model.excursions.rows, failed.excursions.rows);

        const Pdf pdf(failed);
        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-layout", pdf.path, "-"});
        QVERIFY(pdftotext.waitForFinished());
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput())
                                 .replace("Frostel " FROSTEL_VERSION, "Frostel VERSION");
        QFile reference(FROSTEL_REPORT_REFERENCE);
        if (qEnvironmentVariableIsSet("FROSTEL_UPDATE_REFERENCE")) {
            QVERIFY(reference.open(QIODevice::WriteOnly));
            reference.write(text.toUtf8());
            reference.close();
        }
        QVERIFY(reference.open(QIODevice::ReadOnly));
        QCOMPARE(text.split('\n'), QString::fromUtf8(reference.readAll()).split('\n'));
    }

    // On Letter, a mission text of 478 bytes, a zone name wider than its column, every flag,
    // forty excursions and every sample: nothing is cut, what does not fit continues on the
    // following pages, and the signature lines stay above the footer.
    void nothingIsCutAndTheSignatureStaysAboveTheFooter() {
        std::vector<double> spiky = steady(8192);
        for (int i = 0; i < 40; ++i) {
            spiky[100 + 10 * i] = 20;
        }
        ReportInput input = cold_room(spiky);
        input.mission_text.clear();
        for (int word = 0; input.mission_text.size() + 8 <= 478; ++word) {
            input.mission_text += "dairy" + std::to_string(word % 100) + " ";
        }
        input.mission_text.resize(478, 'z');
        mission::MissionRecord& record = *input.summary.record;
        record.time_zone.name = "America/Argentina/ComodRivadavia";
        record.alarm_status =
            mission::kBatteryResetBit | mission::kHighAlarmBit | mission::kLowAlarmBit;
        record.general_status = mission::kWaitingForAlarmBit;
        record.below_range = 3;
        record.above_range = 2;
        ReportOptions all = kFrozen;
        all.all_samples = true;
        const ReportModel model = build_report(input, all);
        QCOMPARE(model.samples.rows.back(), (QStringList{"2027-01-29 02:09:00", "4.50"}));
        const int pages = report_page_count(model, QPageSize::Letter);
        const Pdf pdf(model, QPageSize::Letter);
        QString flowed;
        int signed_page = 0;
        for (int page = 1; page <= pages && !flowed.contains("All samples"); ++page) {
            const QString text = pdf.text(page);
            QVERIFY(text.contains(QString("Page %1 of %2").arg(page).arg(pages)));
            if (text.contains("Signature")) {
                signed_page = page;
            }
            flowed += text + ' ';
        }
        QVERIFY(signed_page > 1);
        QVERIFY(flowed.contains(QString::fromStdString(input.mission_text).simplified()));
        // The zone's name breaks after a slash, whole (the other column's line may stand
        // between its two halves).
        QVERIFY(flowed.contains(
            QRegularExpression("America/Argentina/ (.* )?ComodRivadavia \\(UTC\\+01:00\\)")));
        QVERIFY(flowed.contains("Excursions, continued"));
        QCOMPARE(flowed.count(QRegularExpression("Above 2026-12-\\d\\d \\d\\d:\\d\\d:\\d\\d")), 40);
        for (const QString& warning : model.warnings) {
            QVERIFY2(flowed.contains(warning), qPrintable(warning));
        }
        QVERIFY(!flowed.contains(QChar(0x2026)));
        const double signature = pdf.word_edge(signed_page, "Signature", false);
        QVERIFY(signature > 0 && signature < pdf.word_edge(signed_page, "Generated", true));
        QVERIFY(pdf.text(signed_page + 1).startsWith("All samples"));
        QVERIFY(pdf.text(pages).contains("2027-01-29 02:09:00 4.50"));
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
        document.download = {std::string(64, 'c'), "2026-12-03 07:00:00", "anna@cold-room-pc", {}};
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
        // The pages' fingerprint the archive knows the download by, beside the pair's own; the
        // line naming it is the window's export test.
        QCOMPARE(model.origin[0], (Field{"Downloaded", "2026-12-03 07:00:00"}));
        QCOMPARE(model.origin[1], (Field{"Downloaded by", "anna@cold-room-pc"}));
        QCOMPARE(model.origin[2].value, QString(64, 'c') +
                                            " (the fingerprint of the downloaded "
                                            "pages kept in the pair)");
        QCOMPARE(model.origin[3].value, QString::fromStdString(input->fingerprint) +
                                            " (SHA-256 of week49.frd and week49.tee)");

        document.mission.reset();
        document.download.reset();
        QVERIFY(datafile::write_chart_document(folder.filePath("week49.tee"), document));
        const ReportModel bare = build_report(*saved_pair_report_input(data_file), kFrozen);
        QCOMPARE(bare.caption, QString("ID:4100000ABCDEF1AA"));
        QCOMPARE(bare.settings, (std::vector<Field>{{"Settings", "not kept with this mission"}}));
        QCOMPARE(bare.warnings, QStringList{"The logger's flags were not kept with this mission."});
        QCOMPARE(bare.statistics[0].value, QString("12"));
        QVERIFY(bare.fingerprint.startsWith("Mission fingerprint (SHA-256 of the saved pair's"));

        QVERIFY(!saved_pair_report_input(folder.filePath("missing.frd")));
        QVERIFY(QFile::remove(folder.filePath("week49.tee")));
        QVERIFY(!saved_pair_report_input(data_file));
    }

    // A download names the device it was read through, one kept before devices were says it
    // does not; a saved pair, which does not keep it, has no such line.
    void theReaderDeviceOfADownload_data() {
        QTest::addColumn<std::optional<std::string>>("device");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a USB bridge") << std::optional<std::string>("USB 0403:6001 serial X (COM3)")
                                      << QString("USB 0403:6001 serial X (COM3)");
        QTest::newRow("not recorded")
            << std::optional<std::string>("") << QString("reader device not recorded");
        QTest::newRow("a saved pair") << std::optional<std::string>() << QString();
    }
    void theReaderDeviceOfADownload() {
        QFETCH(std::optional<std::string>, device);
        QFETCH(QString, shown);
        ReportInput input = cold_room(steady(12));
        input.reader_device = device;
        const ReportModel model = build_report(input, kFrozen);
        const auto line = std::ranges::find(model.origin, QString("Reader device"), &Field::label);
        QCOMPARE(line == model.origin.end() ? QString() : line->value, shown);
    }

    // Page 1 as poppler draws it: the paper's size, ink on it, the curve in its red.
    void pageOneRendersOnTheLocalesPaper() {
        using L = QLocale;
        for (const auto& [locale, paper] :
             {std::pair{L(L::English, L::UnitedStates), QPageSize::Letter},
              {L(L::English, L::Canada), QPageSize::Letter},
              {L(L::German, L::Germany), QPageSize::A4},
              {L(L::English, L::UnitedKingdom), QPageSize::A4}}) {
            QCOMPARE(paper_for(locale), paper);
        }
        // The user's choice for paper holds over the language the program speaks.
        const QByteArray all = qgetenv("LC_ALL");
        const QByteArray paper = qgetenv("LC_PAPER");
        qunsetenv("LC_ALL");
        const QLocale german(QLocale::German, QLocale::Germany);
        qputenv("LC_PAPER", "en_US.UTF-8");
        QCOMPARE(user_paper(german), QPageSize::Letter);
        qputenv("LC_PAPER", "de_DE.UTF-8@euro");
        QCOMPARE(user_paper(QLocale(QLocale::English, QLocale::UnitedStates)), QPageSize::A4);
        qunsetenv("LC_PAPER");
        QCOMPARE(user_paper(QLocale(QLocale::English, QLocale::Canada)), QPageSize::Letter);
        for (const auto& [name, value] : {std::pair{"LC_ALL", all}, {"LC_PAPER", paper}}) {
            (void)(value.isNull() ? qunsetenv(name) : qputenv(name, value));
        }
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

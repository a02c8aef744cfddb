// Builds and paints the report of a full log (8192 samples, an excursion and the logger's
// thresholds), with and without the pages of every sample, and prints what each costs.
// With a folder argument the two PDFs are also written there, to look at.
#include <QDir>
#include <QGuiApplication>
#include <QTimeZone>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "mission/register_map.h"
#include "platform/local_date_time.h"
#include "report/report_pdf.h"

namespace {

using namespace frostel;

constexpr int kRuns = 7;
constexpr int kSamples = 8192;

report::ReportInput full_log() {
    report::ReportInput input;
    input.logger_id = "4100000ABCDEF1AA";
    input.mission_text = "Cold room 3 - dairy. Weekly check, door alarm test on day 2.";
    input.fingerprint = std::string(64, 'a');
    mission::MissionRecord& record = input.summary.record.emplace();
    record.logger_id = input.logger_id;
    record.configuration = mission::kConfigurationL;
    record.start_time = {2026, 11, 1, 0, 0, 0};
    record.sample_interval = 300;
    record.mission_sample_count = record.device_sample_count = kSamples;
    record.alarm_enable = mission::kLowAlarmBit | mission::kHighAlarmBit;
    record.low_threshold = 86;
    record.high_threshold = 98;
    record.time_zone = {"Europe/Berlin", 3600};
    const std::int64_t start = platform::to_civil_seconds(record.start_time);
    for (int i = 0; i < kSamples; ++i) {
        const double value = i >= 4000 && i < 4012 ? 11.5 : 4.0 + (i % 37) * 0.1;
        input.summary.readings.push_back({start + std::int64_t{300} * i, value});
    }
    return input;
}

double report_ms(const report::ReportInput& input, bool all_samples, QByteArray& pdf) {
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        const report::ReportModel model =
            report::build_report(input, {QDateTime::currentDateTime(), all_samples});
        pdf = report::report_pdf(model, QPageSize::A4);
        runs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
    std::ranges::sort(runs);
    return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const report::ReportInput input = full_log();
    QByteArray one_page;
    QByteArray all_pages;
    const double without = report_ms(input, false, one_page);
    const double with = report_ms(input, true, all_pages);
    std::printf("report of %d samples, median of %d runs:\n", kSamples, kRuns);
    std::printf("  page 1 only:             %7.1f ms  (%lld bytes)\n", without,
                static_cast<long long>(one_page.size()));
    std::printf("  with every sample:       %7.1f ms  (%lld bytes)\n", with,
                static_cast<long long>(all_pages.size()));
    if (argc > 1) {
        const QDir folder(QString::fromLocal8Bit(argv[1]));
        for (const auto& [name, bytes] : {std::pair{"report.pdf", &one_page},
                                          std::pair{"report-all-samples.pdf", &all_pages}}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size()) {
                std::fprintf(stderr, "report_bench: cannot write %s\n", name);
                return 1;
            }
        }
    }
    return 0;
}

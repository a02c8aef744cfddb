#include "report/report_model.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "mission/download.h"
#include "mission/logger_type.h"
#include "platform/latin1.h"
#include "report/time_ticks.h"

namespace frostel::report {

namespace {

using insight::LoggerTime;
using platform::latin1_text;

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kDay = kMinute * 60 * 24;
// At most this many steps on an axis, so that the tick texts never run into each other.
constexpr double kMostValueSteps = 8;
constexpr double kMostTimeSteps = 6;

// The stored text as lines: the blanks and zero bytes that pad it to its full length go,
// and CR LF, CR or LF each end a line.
QString shown_mission_text(const std::string& stored) {
    QString text = latin1_text(stored);
    text.remove(QChar(0));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    while (!text.isEmpty() && text.back().isSpace()) {
        text.chop(1);
    }
    return text;
}

QString utc_offset_text(int offset_s) {
    return latin1_text(insight::utc_offset_text(offset_s));
}

QString caption_of(const ReportInput& input) {
    const QString id = latin1_text(input.logger_id);
    if (!input.summary.record) {
        return QStringLiteral("ID:") + id;
    }
    return latin1_text(mission::type_caption(input.summary.record->configuration)) + id;
}

// 1, 2, 2.5 or 5 times a power of ten: the smallest such step that covers `span` in at most
// `most` steps.
double value_step(double span, double most) {
    const double rough = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10.0 * power;
}

void scale_values(ReportChart& chart) {
    double low = chart.values.empty() ? 0.0 : *std::ranges::min_element(chart.values);
    double high = chart.values.empty() ? 1.0 : *std::ranges::max_element(chart.values);
    for (const auto& limit : {chart.low_limit, chart.high_limit}) {
        if (limit) {
            low = std::min(low, *limit);
            high = std::max(high, *limit);
        }
    }
    // A little room beyond the extremes, so that neither a limit nor the curve runs along
    // the frame.
    const double margin = std::max(high - low, 1.0) * 0.04;
    low -= margin;
    high += margin;
    const double step = value_step(high - low, kMostValueSteps);
    chart.bottom = std::floor(low / step) * step;
    chart.top = std::ceil(high / step) * step;
    if (chart.top - chart.bottom < step) {
        chart.top = chart.bottom + step;
    }
    const int decimals = step >= 1 ? 0 : (step >= 0.1 ? 1 : 2);
    for (int tick = 0;; ++tick) {
        const double at = chart.bottom + tick * step;
        if (at > chart.top + step / 2) {
            break;
        }
        chart.value_ticks.push_back({at, QString::number(at, 'f', decimals)});
    }
}

void scale_times(ReportChart& chart, int interval_s) {
    if (chart.times.empty()) {
        return;
    }
    chart.first_time = chart.times.front();
    chart.last_time = std::max(chart.times.back(), chart.first_time + std::max(interval_s, 60));
    // The chart's round steps, as many as the page's width holds labels.
    const auto spacing = time_tick_spacing(chart.first_time, chart.last_time, kMostTimeSteps, 1);
    if (!spacing) {
        return;
    }
    const std::int64_t step = spacing->step_s;
    for (std::int64_t at = spacing->first; static_cast<double>(at) <= chart.last_time; at += step) {
        const QString text = time_text(at);
        chart.time_ticks.push_back({static_cast<double>(at), step % kDay == 0 ? text.left(10)
                                                             : step < kMinute ? text.mid(5, 14)
                                                                              : text.mid(5, 11)});
    }
}

ReportChart chart_of(const insight::SummaryInput& input, const insight::Summary& s) {
    ReportChart chart;
    chart.unit = latin1_text(mission::unit_token(input.unit));
    chart.times.reserve(input.readings.size());
    chart.values.reserve(input.readings.size());
    for (const insight::Reading& reading : input.readings) {
        chart.times.push_back(static_cast<double>(reading.time));
        chart.values.push_back(reading.value);
    }
    chart.low_limit = s.limits.low;
    chart.high_limit = s.limits.high;
    scale_values(chart);
    scale_times(chart, s.interval_s);
    return chart;
}

QString generated_text(const QDateTime& at) {
    const QByteArray zone = at.timeZone().id();
    return QStringLiteral("Generated %1 %2 (%3) by Frostel %4")
        .arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             utc_offset_text(at.offsetFromUtc()),
             zone.isEmpty() ? at.timeZoneAbbreviation() : QString::fromLatin1(zone),
             QStringLiteral(FROSTEL_VERSION));
}

// Which download this is: when, by whom, and the fingerprints a filed report is matched by.
// A reopened pair names the fingerprint of the pages it keeps beside the pair's own digest.
std::vector<Field> origin_of(const ReportInput& input) {
    std::vector<Field> fields;
    const auto& origin = input.origin;
    if (origin && !origin->downloaded_at.empty()) {
        fields.push_back(
            {QStringLiteral("Downloaded"), QString::fromStdString(origin->downloaded_at)});
    }
    if (origin && !origin->downloaded_by.empty()) {
        fields.push_back(
            {QStringLiteral("Downloaded by"), QString::fromStdString(origin->downloaded_by)});
    }
    if (input.reader_device) {
        fields.push_back(
            {QStringLiteral("Reader device"),
             QString::fromStdString(mission::reader_device_shown(*input.reader_device))});
    }
    if (origin && origin->mission_running) {
        fields.push_back({QStringLiteral("Mission running when downloaded"),
                          *origin->mission_running ? QStringLiteral("yes") : QStringLiteral("no")});
    }
    const QString basis = QString::fromStdString(input.fingerprint_basis);
    const QString shown = latin1_text(input.fingerprint) + QStringLiteral(" (") + basis + ')';
    if (origin && origin->page_fingerprint != input.fingerprint) {
        fields.push_back({QStringLiteral("Downloaded pages"),
                          latin1_text(origin->page_fingerprint) +
                              QStringLiteral(" (the fingerprint of the downloaded pages kept in "
                                             "the pair)")});
        fields.push_back({QStringLiteral("Pair digest"), shown});
    } else {
        fields.push_back({QStringLiteral("Fingerprint"), shown});
    }
    return fields;
}

// The footer's line on every page: the downloaded pages' fingerprint wherever it is known,
// so that a filed report matches the archive's record of the same download.
QString footer_fingerprint(const ReportInput& input) {
    if (input.origin) {
        return QStringLiteral("Mission fingerprint (") + latin1_text(kPagesFingerprintBasis) +
               QStringLiteral("): ") + latin1_text(input.origin->page_fingerprint);
    }
    const bool pages = input.fingerprint_basis == kPagesFingerprintBasis;
    return QStringLiteral("Mission fingerprint (%1): ")
               .arg(pages ? latin1_text(kPagesFingerprintBasis)
                          : QStringLiteral("SHA-256 of the saved pair's two files")) +
           latin1_text(input.fingerprint);
}

Table samples_of(const insight::SummaryInput& input, const QString& unit) {
    Table table{{QStringLiteral("Time"), unit}, {}};
    table.rows.reserve(input.readings.size());
    for (const insight::Reading& reading : input.readings) {
        table.rows.push_back({time_text(reading.time), number_text(reading.value)});
    }
    return table;
}

}  // namespace

QString signature_line(const PrintedSignature& signature) {
    QString meaning = QString::fromStdString(signature.meaning);
    if (!meaning.isEmpty()) {
        meaning[0] = meaning[0].toUpper();
    }
    QString line = QStringLiteral("%1 by %2 (%3), %4 (%5)")
                       .arg(meaning, QString::fromStdString(signature.full_name),
                            QString::fromStdString(signature.user_id),
                            QString::fromStdString(signature.local_time),
                            QString::fromStdString(signature.utc_time));
    if (!signature.comment.empty()) {
        line += QStringLiteral(": ") + QString::fromStdString(signature.comment);
    }
    return line;
}

ReportModel build_report(const ReportInput& input, const ReportOptions& options) {
    const insight::Summary summary = insight::summarize(input.summary);
    ReportModel model;
    static_cast<SummaryRows&>(model) = summary_rows(summary, input.summary.record);
    model.heading = QStringLiteral("Mission report");
    model.caption = caption_of(input);
    model.mission_text = shown_mission_text(input.mission_text);
    model.verdict = latin1_text(summary.verdict);
    model.failed = summary.failed();
    model.passed = summary.passed();
    model.chart = chart_of(input.summary, summary);
    model.generated = generated_text(options.generated_at);
    model.origin = origin_of(input);
    model.fingerprint = footer_fingerprint(input);
    if (!options.audit_head.empty()) {
        model.audit_head =
            QStringLiteral("Audit trail at printing: ") + latin1_text(options.audit_head);
    }
    for (const PrintedSignature& signature : options.signatures) {
        model.signatures << signature_line(signature);
    }
    model.changed_after_signing = options.changed_after_signing;
    if (options.all_samples) {
        model.samples = samples_of(input.summary, model.chart.unit);
    }
    return model;
}

}  // namespace frostel::report

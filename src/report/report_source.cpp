#include "report/report_source.h"

#include <QFile>
#include <QFileInfo>

#include "archive/fingerprint.h"
#include "datafile/data_file.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"
#include "report/chart_summary.h"

namespace frostel::report {

namespace {

std::optional<QByteArray> file_bytes(const QString& path, qint64 most) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > most) {
        return std::nullopt;
    }
    return file.readAll();
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

ReportInput chart_report_input(const datafile::ChartDocument& document, std::string mission_text,
                               std::string fingerprint, std::string basis) {
    ReportInput input;
    input.summary = report::summary_input(document);
    input.logger_id = input.summary.record ? input.summary.record->logger_id
                                           : document.title_lines.value(0).toLatin1().toStdString();
    input.mission_text = std::move(mission_text);
    input.fingerprint = std::move(fingerprint);
    input.fingerprint_basis = std::move(basis);
    input.origin = document.download;
    return input;
}

ReportInput download_report_input(const mission::DownloadedMission& mission,
                                  const mission::TimeZone& time_zone, std::string downloaded_at,
                                  std::string downloaded_by) {
    ReportInput input;
    input.summary.unit = mission.unit;
    input.summary.readings = insight::readings_of(mission.samples, mission.values);
    input.summary.record = mission::make_mission_record(mission.header, mission.samples, time_zone);
    input.summary.record->clock = mission.record.clock;
    input.logger_id = mission.header.logger_id;
    input.mission_text = mission.header.mission_text;
    input.fingerprint = archive::mission_fingerprint(mission.pages);
    input.origin = datafile::DownloadOrigin{input.fingerprint, std::move(downloaded_at),
                                            std::move(downloaded_by), std::nullopt};
    input.reader_device = mission.reader_device;
    return input;
}

QString report_file_name(const ReportInput& input) {
    std::optional<platform::LocalDateTime> start;
    if (input.summary.record) {
        start = input.summary.record->start_time;
    } else if (!input.summary.readings.empty()) {
        start = platform::from_civil_seconds(input.summary.readings.front().time);
    }
    QString name = platform::latin1_text(input.logger_id);
    if (start) {
        name += QString::asprintf("_%04d%02d%02d-%02d%02d", start->year, start->month, start->day,
                                  start->hour, start->minute);
    }
    return name + QStringLiteral(".pdf");
}

std::string saved_pair_basis(const QString& data_file) {
    const QFileInfo data(data_file);
    const QFileInfo chart(datafile::chart_document_name(data_file));
    return QStringLiteral("SHA-256 of %1 and %2")
        .arg(data.fileName(), chart.fileName())
        .toStdString();
}

std::optional<ReportInput> saved_pair_report_input(const QString& data_file) {
    const auto text = file_bytes(data_file, datafile::kMaxDataFileBytes);
    const auto chart =
        file_bytes(datafile::chart_document_name(data_file), datafile::kMaxChartDocumentBytes);
    const auto document = chart ? datafile::from_json(*chart) : std::nullopt;
    if (!text || !document) {
        return std::nullopt;
    }
    return chart_report_input(*document, datafile::data_file_text(*text).toLatin1().toStdString(),
                              archive::saved_pair_fingerprint(view(*text), view(*chart)),
                              saved_pair_basis(data_file));
}

}  // namespace frostel::report

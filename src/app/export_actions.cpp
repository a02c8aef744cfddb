#include "app/export_actions.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QToolButton>

#include "app/archive_actions.h"
#include "app/busy_state.h"
#include "app/chart_view.h"
#include "app/file_name_dialogs.h"
#include "app/shown_mission.h"
#include "app/table_view.h"
#include "app/topmost.h"
#include "dossier/archived_record.h"
#include "platform/qt_whole_file.h"
#include "report/report_pdf.h"
#include "report/report_source.h"

namespace frostel::app {

namespace {

std::vector<report::CsvRow> csv_rows(const ShownMission& shown) {
    const std::optional<mission::LoggerClock> clock =
        shown.record() ? shown.record()->clock : std::nullopt;
    std::vector<report::CsvRow> rows;
    rows.reserve(shown.points().size());
    for (const mission::ChartPoint& point : shown.points()) {
        const std::optional<insight::LoggerTime> time = insight::parse_time_text(point.label);
        // Labels hold one byte per character, as the download made them.
        rows.push_back(
            {point.label, point.y,
             clock && time ? mission::utc_text(*time - clock->utc_offset_s) : std::string()});
    }
    return rows;
}

}  // namespace

ExportActions::ExportActions(const ControllerTies& ties, const ShownMission& shown,
                             const ChartView& chart, TableView& table, QToolButton& report_button,
                             QToolButton& export_button, ArchiveActions& archive)
    : QObject(&ties.window), ties_(ties), shown_(shown), chart_(chart), archive_(archive) {
    auto* menu = new QMenu(&ties.window);
    menu->setObjectName("export_menu");
    QAction* plain = add_action("export_csv", tr("Export CSV"));
    QAction* spreadsheet = add_action("export_spreadsheet_csv", tr("Export CSV for Spreadsheet"));
    connect(plain, &QAction::triggered, this, [this] { export_csv({}); });
    connect(spreadsheet, &QAction::triggered, this,
            [this] { export_csv(report::spreadsheet_format(QLocale())); });
    for (QAction* action : {plain, spreadsheet}) {
        menu->addAction(action);
        table.addAction(action);
        ties.busy.guard(action, ties.permission(archive::Right::kExport, action->text()));
    }
    export_button.setMenu(menu);

    auto* report_menu = new QMenu(&ties.window);
    report_menu->setObjectName("report_menu");
    all_samples_ = add_action("include_all_samples", tr("Include all samples"));
    all_samples_->setCheckable(true);
    report_menu->addAction(all_samples_);
    report_button.setMenu(report_menu);
    connect(&report_button, &QToolButton::clicked, this, &ExportActions::save_report);
}

QAction* ExportActions::add_action(const char* name, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    return action;
}

// The shown mission as downloaded or read, not the text box as since edited: the report of
// its saved pair.
report::ReportInput ExportActions::shown_report_input() const {
    report::ReportInput input = report::chart_report_input(
        shown_.chart_document(chart_.document()), shown_.identity().mission_text,
        shown_.fingerprint(), shown_.fingerprint_basis());
    input.reader_device = shown_.origin().reader_device;
    return input;
}

void ExportActions::save_report() {
    if (shown_.fingerprint().empty()) {
        return;  // nothing shown yet: no mission to report on
    }
    if (!archive_.allows(archive::Right::kExport, "write a report")) {
        return;
    }
    const QString chosen = ties_.file_dialogs.save_name(
        &ties_.window, suggested_name(QStringLiteral("pdf")), kPdfFilter);
    if (!chosen.isEmpty()) {
        write_report(with_extension(chosen, QStringLiteral("pdf")));
    }
}

QString ExportActions::suggested_name(const QString& extension) const {
    const QString& folder = ties_.settings.data_folder;
    if (shown_.points().empty()) {
        return folder;
    }
    const QString mission =
        QFileInfo(report::report_file_name(shown_report_input())).completeBaseName();
    return QDir(folder).filePath(mission + QLatin1Char('.') + extension);
}

void ExportActions::write_report(const QString& name) {
    archive::MissionArchive& archive = archive_.mission_archive();
    report::ReportOptions marks{QDateTime::currentDateTime(), all_samples_->isChecked(),
                                archive.audit_head_text()};
    // An archived record's report prints its signatures, as frostel-cli's does.
    if (const std::int64_t id = shown_.origin().archive_id;
        id > 0 && !dossier::add_signatures(archive, id, marks)) {
        archive_.warn(
            tr("The signatures of record %1 cannot be read: %2").arg(id).arg(archive.error()));
    }
    const report::ReportModel model = report::build_report(shown_report_input(), marks);
    if (!report::write_report_pdf(name, model, report::user_paper(QLocale()))) {
        show_not_saved(&ties_.window, "report_not_saved", tr("Mission Report"), name);
        return;
    }
    note_written("report", name);
    archive_.say_written(tr("The report was written to %1.").arg(shown_path(name)));
}

void ExportActions::export_csv(const report::CsvFormat& format) {
    if (!archive_.allows(archive::Right::kExport, "export CSV")) {
        return;
    }
    const QString chosen = ties_.file_dialogs.save_name(
        &ties_.window, suggested_name(QStringLiteral("csv")), kCsvFilter);
    if (chosen.isEmpty()) {
        return;
    }
    const QString name = with_extension(chosen, QStringLiteral("csv"));
    const std::string csv = report::csv_text(csv_rows(shown_), shown_.unit(), format);
    if (!platform::write_whole_file(name, QByteArray::fromStdString(csv))) {
        show_not_saved(&ties_.window, "csv_not_saved", tr("Export CSV"), name);
        return;
    }
    note_written("CSV", name);
    archive_.say_written(tr("The CSV file was written to %1.").arg(shown_path(name)));
}

void ExportActions::note_written(const std::string& kind, const QString& path) {
    archive_.note_file_written(kind, path, shown_.fingerprint());
}

}  // namespace frostel::app

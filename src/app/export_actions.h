#pragma once

#include <QObject>

#include "app/controller_ties.h"
#include "report/csv_export.h"
#include "report/report_model.h"

class QAction;
class QToolButton;

namespace frostel::app {

class ArchiveActions;
class ChartView;
class ShownMission;
class TableView;

inline const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
inline const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");

// The exports of the mission shown: the mission report as PDF from the report button (its
// menu adds the pages of every sample), and the samples as CSV, in the plain form frostel-cli
// writes or in the form a spreadsheet of the user's locale reads, from the export button's
// menu and the table's context menu.
class ExportActions final : public QObject {
    Q_OBJECT

  public:
    ExportActions(const ControllerTies& ties, const ShownMission& shown, const ChartView& chart,
                  TableView& table, QToolButton& report_button, QToolButton& export_button,
                  ArchiveActions& archive);

    // Offers the mission's name (as the report's) in the data folder, ".csv" added when
    // missing, and writes the chart's points there in `format`.
    void export_csv(const report::CsvFormat& format);
    // Offers "<LoggerId>_<yyyymmdd-hhmm of the start>.pdf" in the data folder (".pdf"
    // added when missing) and writes the report of the mission shown, dated now.
    void save_report();
    // Writes the report of the mission shown to `name`, dated now; a warning says when the
    // file cannot be written.
    void write_report(const QString& name);
    // "<LoggerId>_<yyyymmdd-hhmm of the start>" with `extension` in the data folder; the
    // folder alone while no mission is shown.
    [[nodiscard]] QString suggested_name(const QString& extension) const;

  private:
    [[nodiscard]] report::ReportInput shown_report_input() const;
    QAction* add_action(const char* name, const QString& text);
    void note_written(const std::string& kind, const QString& path);

    ControllerTies ties_;
    const ShownMission& shown_;
    const ChartView& chart_;
    ArchiveActions& archive_;
    QAction* all_samples_ = nullptr;
};

}  // namespace frostel::app

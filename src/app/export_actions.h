#pragma once

#include <QObject>

#include "report/csv_export.h"
#include "report/report_model.h"

class QAction;

namespace frostel::app {

class MainWindow;

inline const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
inline const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");

// The main window's exports: the mission report as PDF from the report button (its menu
// adds the pages of every sample), and the samples as CSV, in the plain form frostel-cli
// writes or in the form a spreadsheet of the user's locale reads, from the export button's
// menu and the table's context menu.
class ExportActions final : public QObject {
    Q_OBJECT

  public:
    explicit ExportActions(MainWindow& window);

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

    MainWindow& window_;
    QAction* all_samples_ = nullptr;
};

}  // namespace frostel::app

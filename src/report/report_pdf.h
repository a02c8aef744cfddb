#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>

#include "report_model.h"

class QLocale;

namespace frostel::report {

// The paper the locale's printers hold: Letter where that is the custom, A4 elsewhere.
[[nodiscard]] QPageSize::PageSizeId paper_for(const QLocale& locale);
// The paper of the locale the user chose for paper: LC_ALL's or else LC_PAPER's when set (as
// the C library reads them), `locale`'s otherwise.
[[nodiscard]] QPageSize::PageSizeId user_paper(const QLocale& locale);

// The report painted as a vector PDF: every text whole (wrapped, continued on the next page
// when it does not fit), the signature lines where the report ends, then the pages with
// every sample when the model has them.
[[nodiscard]] QByteArray report_pdf(const ReportModel& model, QPageSize::PageSizeId paper);

// The number of pages `report_pdf` paints.
[[nodiscard]] int report_page_count(const ReportModel& model, QPageSize::PageSizeId paper);

// Written whole or not at all.
[[nodiscard]] bool write_report_pdf(const QString& path, const ReportModel& model,
                                    QPageSize::PageSizeId paper);

}  // namespace frostel::report

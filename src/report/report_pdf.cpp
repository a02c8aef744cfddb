#include "report_pdf.h"

#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <array>

#include "platform/qt_whole_file.h"

namespace frostel::report {

namespace {

// Everything is placed in millimetres on the printable area inside the margins; text sizes
// are in points. Rows have a fixed pitch so that the page count is known before painting.
constexpr double kMarginMm = 15;
constexpr int kDotsPerInch = 600;
constexpr double kRowMm = 4.2;
constexpr double kSmallRowMm = 3.4;
constexpr double kFooterMm = 12;
constexpr double kSignatureMm = 16;
constexpr double kMinChartMm = 55;
constexpr double kMaxChartMm = 120;
// Excursions beyond this many go on pages of their own after the first.
constexpr int kFirstPageExcursions = 6;

constexpr double kHeadingPt = 18;
constexpr double kTextPt = 9;
constexpr double kFieldPt = 8.5;
constexpr double kSmallPt = 7;

const QColor kInk(20, 25, 35);
const QColor kGrid(215, 220, 228);
const QColor kSeries(200, 30, 30);
const QColor kLimit(30, 90, 190);
const QColor kPass(225, 242, 225);
const QColor kFail(250, 222, 222);
const QColor kNeutral(236, 236, 236);  // a verdict that judges nothing

// The territories whose printers hold Letter paper.
constexpr std::array kLetterTerritories{
    QLocale::UnitedStates, QLocale::Canada,   QLocale::Mexico,    QLocale::Philippines,
    QLocale::Chile,        QLocale::Colombia, QLocale::Venezuela, QLocale::PuertoRico};

// Column widths of the continued tables, millimetres, and the gap between column groups.
constexpr std::array<double, 5> kExcursionColumns{22, 38, 38, 27, 55};
constexpr std::array<double, 2> kSampleColumns{34, 18};
constexpr double kGroupGapMm = 8;

QSizeF printable_mm(QPageSize::PageSizeId paper) {
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return {size.width() - 2 * kMarginMm, size.height() - 2 * kMarginMm};
}

// The continued pages of one table: how many column groups side by side and rows in each.
struct TablePages {
    int groups = 1;
    int rows_per_group = 1;
    int pages = 0;
};

template <std::size_t N>
double group_width(const std::array<double, N>& columns) {
    double width = 0;
    for (const double column : columns) {
        width += column;
    }
    return width;
}

template <std::size_t N>
TablePages plan_pages(std::size_t rows, const std::array<double, N>& columns, QSizeF area) {
    TablePages plan;
    plan.groups = std::max(
        1, static_cast<int>((area.width() + kGroupGapMm) / (group_width(columns) + kGroupGapMm)));
    // A title and a heading row above, the footer below.
    plan.rows_per_group =
        std::max(1, static_cast<int>((area.height() - 2 * kRowMm - kFooterMm) / kSmallRowMm));
    const std::size_t per_page = static_cast<std::size_t>(plan.groups) * plan.rows_per_group;
    plan.pages = static_cast<int>((rows + per_page - 1) / per_page);
    return plan;
}

std::size_t continued_excursions(const ReportModel& model) {
    return model.excursions.rows.size() > kFirstPageExcursions
               ? model.excursions.rows.size() - kFirstPageExcursions
               : 0;
}

// A painter in millimetres and points on the printable area of one PDF.
class Sheet {
  public:
    Sheet(QPdfWriter& writer, QSizeF area_mm) : painter_(&writer), area_(area_mm) {
        dots_ = writer.resolution() / 25.4;
    }

    [[nodiscard]] QSizeF area() const { return area_; }
    [[nodiscard]] QPainter& painter() { return painter_; }
    [[nodiscard]] double dots(double mm) const { return mm * dots_; }
    [[nodiscard]] QPointF at(double x, double y) const { return {dots(x), dots(y)}; }
    [[nodiscard]] QRectF box(double x, double y, double w, double h) const {
        return {dots(x), dots(y), dots(w), dots(h)};
    }

    void font(double points, bool bold = false) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        // Without shaping "fl" and "fi" stay two letters that a reader can search and copy.
        font.setStyleStrategy(QFont::PreferNoShaping);
        painter_.setFont(font);
    }
    void pen(const QColor& colour, double width_mm = 0.25, Qt::PenStyle style = Qt::SolidLine) {
        painter_.setPen(QPen(colour, dots(width_mm), style, Qt::FlatCap));
    }
    // One line of text in a box, cut with an ellipsis when it does not fit.
    void text(double x, double y, double w, double h, const QString& text,
              int flags = Qt::AlignLeft | Qt::AlignVCenter) {
        const QRectF rect = box(x, y, w, h);
        const QString shown =
            painter_.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(rect.width()));
        painter_.drawText(rect, flags | Qt::TextSingleLine, shown);
    }
    // Text whose width is known to fit, from its baseline's left end: the sample pages'
    // thousands of cells cost a fraction of boxed text.
    void fitting_text(double x, double baseline, const QString& text) {
        painter_.drawText(at(x, baseline), text);
    }
    void line(double x1, double y1, double x2, double y2) {
        painter_.drawLine(at(x1, y1), at(x2, y2));
    }

  private:
    QPainter painter_;
    QSizeF area_;
    double dots_ = 1;
};

struct PageNumber {
    int page = 1;
    int pages = 1;
};

void paint_footer(Sheet& sheet, const ReportModel& model, PageNumber number) {
    const double width = sheet.area().width();
    // A third line, the audit trail's head, starts the footer higher.
    const double top = sheet.area().height() - kFooterMm + (model.audit_head.isEmpty() ? 3 : 1);
    sheet.pen(kInk, 0.2);
    sheet.line(0, top, width, top);
    sheet.font(kSmallPt);
    sheet.text(0, top + 1, width - 30, kSmallRowMm, model.generated);
    sheet.text(width - 30, top + 1, 30, kSmallRowMm,
               QStringLiteral("Page %1 of %2").arg(number.page).arg(number.pages),
               Qt::AlignRight | Qt::AlignVCenter);
    sheet.text(0, top + 1 + kSmallRowMm, width, kSmallRowMm,
               QStringLiteral("Mission fingerprint (SHA-256): ") + model.fingerprint);
    sheet.text(0, top + 1 + 2 * kSmallRowMm, width, kSmallRowMm, model.audit_head);
}

double paint_heading(Sheet& sheet, const ReportModel& model) {
    const double width = sheet.area().width();
    sheet.pen(kInk);
    sheet.font(kHeadingPt, true);
    sheet.text(0, 0, width / 2, 9, model.heading);
    sheet.font(kTextPt, true);
    sheet.text(width * 0.35, 0, width * 0.65, 9, model.caption, Qt::AlignRight | Qt::AlignVCenter);
    double y = 10;
    sheet.font(kTextPt);
    const QStringList lines = model.mission_text.split('\n');
    for (int i = 0; i < std::min<qsizetype>(lines.size(), 3); ++i) {
        sheet.text(0, y, width, kRowMm, lines[i]);
        y += kRowMm;
    }
    sheet.pen(kInk, 0.4);
    sheet.line(0, y + 1, width, y + 1);
    return y + 3;
}

double paint_verdict(Sheet& sheet, const ReportModel& model, double y) {
    const double width = sheet.area().width();
    QPainter& p = sheet.painter();
    if (model.failed) {
        p.setBrush(kFail);
        sheet.pen(kSeries, 0.5);
    } else {
        p.setBrush(model.passed ? kPass : kNeutral);
        sheet.pen(model.passed ? QColor(40, 120, 40) : QColor(120, 120, 120), 0.5);
    }
    p.drawRect(sheet.box(0, y, width, 8));
    p.setBrush(Qt::NoBrush);
    sheet.pen(kInk);
    sheet.font(12, true);
    sheet.text(3, y, width - 6, 8, model.verdict);
    sheet.font(kTextPt);
    sheet.text(0, y + 9, width, kRowMm, QStringLiteral("Limits: ") + model.limits);
    return y + 9 + kRowMm + 2;
}

double paint_title(Sheet& sheet, double x, double y, double w, const QString& title) {
    sheet.font(10, true);
    sheet.text(x, y, w, 5.5, title);
    return y + 5.5;
}

double paint_fields(Sheet& sheet, double x, double y, double w, double label_w,
                    const std::vector<Field>& fields) {
    for (const Field& field : fields) {
        sheet.font(kFieldPt, true);
        sheet.text(x, y, label_w, kRowMm, field.label);
        sheet.font(kFieldPt);
        sheet.text(x + label_w, y, w - label_w, kRowMm, field.value);
        y += kRowMm;
    }
    return y;
}

double paint_settings_and_statistics(Sheet& sheet, const ReportModel& model, double y) {
    // The statistics' values (a figure and its time) are the longer ones.
    const double settings_width = 80;
    const double statistics_left = settings_width + 5;
    const double statistics_width = sheet.area().width() - statistics_left;
    const double left =
        paint_fields(sheet, 0, paint_title(sheet, 0, y, settings_width, "Mission settings"),
                     settings_width, 33, model.settings);
    const double right =
        paint_fields(sheet, statistics_left,
                     paint_title(sheet, statistics_left, y, statistics_width,
                                 QStringLiteral("Statistics (%1)").arg(model.chart.unit)),
                     statistics_width, 47, model.statistics);
    return std::max(left, right) + 2;
}

// Maps times and values onto the plot area.
struct Plot {
    QRectF area;  // millimetres
    const ReportChart& chart;
    [[nodiscard]] double x(double time) const {
        return area.left() +
               area.width() * (time - chart.first_time) / (chart.last_time - chart.first_time);
    }
    [[nodiscard]] double y(double value) const {
        return area.bottom() - area.height() * (value - chart.bottom) / (chart.top - chart.bottom);
    }
};

void paint_axes(Sheet& sheet, const Plot& plot) {
    const QRectF& a = plot.area;
    sheet.font(kSmallPt);
    for (const Tick& tick : plot.chart.value_ticks) {
        sheet.pen(kGrid, 0.15);
        sheet.line(a.left(), plot.y(tick.at), a.right(), plot.y(tick.at));
        sheet.pen(kInk);
        sheet.text(a.left() - 14, plot.y(tick.at) - 2, 12.5, 4, tick.text,
                   Qt::AlignRight | Qt::AlignVCenter);
    }
    for (const Tick& tick : plot.chart.time_ticks) {
        sheet.pen(kGrid, 0.15);
        sheet.line(plot.x(tick.at), a.top(), plot.x(tick.at), a.bottom());
        sheet.pen(kInk);
        sheet.text(plot.x(tick.at) - 15, a.bottom() + 1, 30, 4, tick.text, Qt::AlignCenter);
    }
    sheet.pen(kInk, 0.3);
    sheet.painter().drawRect(sheet.box(a.left(), a.top(), a.width(), a.height()));
    QPainter& p = sheet.painter();
    p.save();
    p.translate(sheet.at(a.left() - 19, a.center().y()));
    p.rotate(-90);
    p.drawText(
        QRectF(-sheet.dots(a.height() / 2), -sheet.dots(2), sheet.dots(a.height()), sheet.dots(4)),
        Qt::AlignCenter, plot.chart.unit);
    p.restore();
}

void paint_series(Sheet& sheet, const Plot& plot) {
    const ReportChart& chart = plot.chart;
    QPainter& p = sheet.painter();
    p.save();
    p.setClipRect(
        sheet.box(plot.area.left(), plot.area.top(), plot.area.width(), plot.area.height()));
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(chart.values.size()));
    for (std::size_t i = 0; i < chart.values.size(); ++i) {
        line.append(sheet.at(plot.x(chart.times[i]), plot.y(chart.values[i])));
    }
    sheet.pen(kSeries, 0.35);
    p.drawPolyline(line);
    sheet.font(kSmallPt);
    for (const auto& [limit, name] :
         {std::pair{chart.low_limit, "low limit"}, std::pair{chart.high_limit, "high limit"}}) {
        if (!limit) {
            continue;
        }
        sheet.pen(kLimit, 0.3, Qt::DashLine);
        sheet.line(plot.area.left(), plot.y(*limit), plot.area.right(), plot.y(*limit));
        sheet.text(
            plot.area.right() - 40, plot.y(*limit) - 4, 39, 4,
            QStringLiteral("%1 %2").arg(QLatin1String(name), QString::number(*limit, 'f', 2)),
            Qt::AlignRight | Qt::AlignVCenter);
    }
    p.restore();
    if (chart.values.empty()) {
        sheet.pen(kInk);
        sheet.font(kTextPt);
        sheet.text(plot.area.left(), plot.area.top(), plot.area.width(), plot.area.height(),
                   QStringLiteral("No samples"), Qt::AlignCenter);
    }
}

void paint_chart(Sheet& sheet, const ReportChart& chart, double y, double height) {
    const Plot plot{QRectF(20, y + 1, sheet.area().width() - 21, height - 7), chart};
    paint_axes(sheet, plot);
    paint_series(sheet, plot);
}

// A table row at the fixed pitch, columns `widths` wide from `x`.
template <std::size_t N>
double paint_row(Sheet& sheet, double x, double y, double pitch,
                 const std::array<double, N>& widths, const QStringList& cells) {
    for (std::size_t c = 0; c < N && c < static_cast<std::size_t>(cells.size()); ++c) {
        sheet.text(x, y, widths[c] - 1, pitch, cells[static_cast<qsizetype>(c)]);
        x += widths[c];
    }
    return y + pitch;
}

double paint_excursions(Sheet& sheet, const ReportModel& model, double y) {
    const double width = sheet.area().width();
    y = paint_title(sheet, 0, y, width, "Excursions");
    sheet.font(kTextPt);
    if (model.excursions.rows.empty()) {
        sheet.text(0, y, width, kRowMm, QStringLiteral("None"));
        return y + kRowMm + 1;
    }
    sheet.font(kTextPt, true);
    y = paint_row(sheet, 0, y, kRowMm, kExcursionColumns, model.excursions.headings);
    sheet.font(kTextPt);
    const std::size_t shown =
        std::min<std::size_t>(model.excursions.rows.size(), kFirstPageExcursions);
    for (std::size_t i = 0; i < shown; ++i) {
        y = paint_row(sheet, 0, y, kRowMm, kExcursionColumns, model.excursions.rows[i]);
    }
    if (const std::size_t more = continued_excursions(model); more > 0) {
        sheet.text(0, y, width, kRowMm,
                   QStringLiteral("%1 more excursions on the following pages").arg(more));
        y += kRowMm;
    }
    return y + 1;
}

double paint_warnings(Sheet& sheet, const ReportModel& model, double y) {
    const double width = sheet.area().width();
    y = paint_title(sheet, 0, y, width, "Logger flags and warnings");
    sheet.font(kTextPt);
    const QStringList lines =
        model.warnings.isEmpty() ? QStringList{QStringLiteral("None")} : model.warnings;
    for (const QString& warning : lines) {
        sheet.text(0, y, width, kRowMm, warning);
        y += kRowMm;
    }
    return y + 1;
}

void paint_signature(Sheet& sheet, double y) {
    const double width = sheet.area().width();
    const std::array<std::pair<const char*, double>, 3> fields{
        {{"Reviewed by", 0.0}, {"Date", 0.4}, {"Signature", 0.62}}};
    sheet.font(kTextPt);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const double x = width * fields[i].second;
        const double end = i + 1 < fields.size() ? width * fields[i + 1].second - 6 : width;
        sheet.pen(kInk);
        sheet.text(x, y + 4, end - x, kRowMm, QLatin1String(fields[i].first));
        sheet.pen(kInk, 0.25);
        sheet.line(x, y + 13, end, y + 13);
    }
}

double lines_height(std::size_t rows) {
    return 5.5 + static_cast<double>(rows) * kRowMm + 1;
}

void paint_first_page(Sheet& sheet, const ReportModel& model, PageNumber number) {
    double y = paint_heading(sheet, model);
    y = paint_verdict(sheet, model, y);
    y = paint_settings_and_statistics(sheet, model, y);
    // The chart takes what the lists below it leave.
    const std::size_t excursion_rows =
        model.excursions.rows.empty()
            ? 1
            : 1 + std::min<std::size_t>(model.excursions.rows.size(), kFirstPageExcursions) +
                  (continued_excursions(model) > 0 ? 1 : 0);
    const double below = lines_height(excursion_rows) +
                         lines_height(std::max<qsizetype>(model.warnings.size(), 1)) +
                         kSignatureMm + kFooterMm;
    const double chart_height =
        std::clamp(sheet.area().height() - y - below, kMinChartMm, kMaxChartMm);
    paint_chart(sheet, model.chart, y, chart_height);
    y = paint_excursions(sheet, model, y + chart_height);
    y = paint_warnings(sheet, model, y);
    paint_signature(sheet, std::max(y, sheet.area().height() - kFooterMm - kSignatureMm));
    paint_footer(sheet, model, number);
}

// Rows `first` on of `table` on continued pages, as many as `plan` places on each.
template <std::size_t N>
void paint_table_pages(Sheet& sheet, QPdfWriter& writer, const ReportModel& model,
                       const QString& title, const Table& table, std::size_t first,
                       const std::array<double, N>& columns, const TablePages& plan,
                       PageNumber& number) {
    const double group = group_width(columns) + kGroupGapMm;
    std::size_t row = first;
    for (int page = 0; page < plan.pages; ++page) {
        writer.newPage();
        ++number.page;
        sheet.pen(kInk);
        sheet.font(10, true);
        sheet.text(0, 0, sheet.area().width(), kRowMm,
                   title + QStringLiteral(" - ") + model.caption);
        for (int g = 0; g < plan.groups && row < table.rows.size(); ++g) {
            const double x = g * group;
            sheet.font(kSmallPt, true);
            double y = paint_row(sheet, x, 2 * kRowMm, kSmallRowMm, columns, table.headings);
            sheet.font(kSmallPt);
            for (int r = 0; r < plan.rows_per_group && row < table.rows.size(); ++r, ++row) {
                double left = x;
                for (std::size_t c = 0; c < N; ++c) {
                    sheet.fitting_text(left, y + kSmallRowMm * 0.75,
                                       table.rows[row].value(static_cast<qsizetype>(c)));
                    left += columns[c];
                }
                y += kSmallRowMm;
            }
        }
        paint_footer(sheet, model, number);
    }
}

}  // namespace

QPageSize::PageSizeId paper_for(const QLocale& locale) {
    const bool letter =
        std::ranges::find(kLetterTerritories, locale.territory()) != kLetterTerritories.end();
    return letter ? QPageSize::Letter : QPageSize::A4;
}

int report_page_count(const ReportModel& model, QPageSize::PageSizeId paper) {
    const QSizeF area = printable_mm(paper);
    return 1 + plan_pages(continued_excursions(model), kExcursionColumns, area).pages +
           plan_pages(model.samples.rows.size(), kSampleColumns, area).pages;
}

QByteArray report_pdf(const ReportModel& model, QPageSize::PageSizeId paper) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle(model.heading + QStringLiteral(" ") + model.caption);
        writer.setCreator(QStringLiteral("Frostel"));
        const QSizeF area = printable_mm(paper);
        Sheet sheet(writer, area);
        PageNumber number{1, report_page_count(model, paper)};
        paint_first_page(sheet, model, number);
        paint_table_pages(sheet, writer, model, QStringLiteral("Excursions, continued"),
                          model.excursions, kFirstPageExcursions, kExcursionColumns,
                          plan_pages(continued_excursions(model), kExcursionColumns, area), number);
        paint_table_pages(sheet, writer, model, QStringLiteral("All samples"), model.samples, 0,
                          kSampleColumns,
                          plan_pages(model.samples.rows.size(), kSampleColumns, area), number);
    }
    return buffer.data();
}

bool write_report_pdf(const QString& path, const ReportModel& model, QPageSize::PageSizeId paper) {
    return platform::write_whole_file(path, report_pdf(model, paper));
}

}  // namespace frostel::report

#include "report/report_pdf.h"
#include "report/result_palette.h"

#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <functional>

#include "insight/summary.h"
#include "platform/qt_whole_file.h"

namespace frostel::report {

namespace {

// Everything is placed in millimetres on the printable area inside the margins; text sizes
// are in points. Texts wrap and what does not fit on a page continues on the next; only the
// pages of every sample have a fixed pitch, so that thousands of rows paint quickly.
constexpr double kMarginMm = 15;
constexpr int kDotsPerInch = 600;
constexpr double kRowMm = 4.2;
constexpr double kSmallRowMm = 3.4;
constexpr double kFooterMm = 12;
constexpr double kSignatureMm = 16;
constexpr double kChangedBoxMm = 8;
constexpr double kTitleMm = 5.5;
constexpr double kMinChartMm = 55;
constexpr double kMaxChartMm = 120;
// The gap above a wrapped line within its row.
constexpr double kRowGapMm = 0.4;
// A single-line text that is too wide is drawn smaller down to this share of its size,
// never cut.
constexpr double kSmallestShrink = 0.5;

constexpr double kHeadingPt = 18;
constexpr double kTextPt = 9;
constexpr double kFieldPt = 8.5;
constexpr double kSmallPt = 7;

const QColor kInk(20, 25, 35);
const QColor kGrid(215, 220, 228);
const QColor kSeries(200, 30, 30);
const QColor kLimit(30, 90, 190);

// The territories whose printers hold Letter paper.
constexpr std::array kLetterTerritories{
    QLocale::UnitedStates, QLocale::Canada,   QLocale::Mexico,    QLocale::Philippines,
    QLocale::Chile,        QLocale::Colombia, QLocale::Venezuela, QLocale::PuertoRico};

// Column widths of the tables, millimetres, and the gap between column groups.
constexpr std::array<double, 5> kExcursionColumns{22, 38, 38, 27, 55};
constexpr std::array<double, 2> kSampleColumns{34, 18};
constexpr double kGroupGapMm = 8;

QSizeF printable_mm(QPageSize::PageSizeId paper) {
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return {size.width() - 2 * kMarginMm, size.height() - 2 * kMarginMm};
}

// The pages of every sample: how many column groups side by side and rows in each.
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

// A painter in millimetres and points on the printable area of one PDF. While it only
// measures, it lays texts out as it would paint them and paints nothing.
class Sheet {
  public:
    Sheet(QPdfWriter& writer, QSizeF area_mm) : painter_(&writer), area_(area_mm) {
        dots_ = writer.resolution() / 25.4;
    }

    [[nodiscard]] QSizeF area() const { return area_; }
    [[nodiscard]] QPainter& painter() { return painter_; }
    [[nodiscard]] bool painting() const { return painting_; }
    void set_painting(bool painting) { painting_ = painting; }
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
    // One line of text in a box; a text wider than the box is drawn smaller, never cut.
    void text(double x, double y, double w, double h, const QString& text,
              int flags = Qt::AlignLeft | Qt::AlignVCenter) {
        if (!painting_) {
            return;
        }
        const QRectF rect = box(x, y, w, h);
        const QFont kept = painter_.font();
        const double width = QFontMetricsF(kept, painter_.device()).horizontalAdvance(text);
        if (width > rect.width()) {
            QFont smaller = kept;
            smaller.setPointSizeF(kept.pointSizeF() *
                                  std::max(kSmallestShrink, rect.width() / width * 0.98));
            painter_.setFont(smaller);
        }
        painter_.drawText(rect, flags | Qt::TextSingleLine, text);
        painter_.setFont(kept);
    }
    // `text` from (x, y) in lines no wider than `w`: broken between words, or inside a word
    // longer than a line (a fingerprint); line breaks in it are kept. Its height.
    double wrapped(double x, double y, double w, const QString& text,
                   Qt::Alignment align = Qt::AlignLeft) {
        QString shown = text;
        shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(shown, painter_.font(), painter_.device());
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        double height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(dots(w));
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        if (painting_) {
            layout.draw(&painter_, at(x, y));
        }
        return height / dots_;
    }
    // The height `block` takes from the top of a page, painting nothing.
    double measure(const std::function<double(double top)>& block) {
        const bool painting = painting_;
        painting_ = false;
        const double height = block(0);
        painting_ = painting;
        return height;
    }
    // Text whose width is known to fit, from its baseline's left end: the sample pages'
    // thousands of cells cost a fraction of boxed text.
    void fitting_text(double x, double baseline, const QString& text) {
        painter_.drawText(at(x, baseline), text);
    }
    void line(double x1, double y1, double x2, double y2) {
        if (painting_) {
            painter_.drawLine(at(x1, y1), at(x2, y2));
        }
    }

  private:
    QPainter painter_;
    QSizeF area_;
    double dots_ = 1;
    bool painting_ = true;
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
    sheet.text(0, top + 1 + kSmallRowMm, width, kSmallRowMm, model.fingerprint);
    sheet.text(0, top + 1 + 2 * kSmallRowMm, width, kSmallRowMm, model.audit_head);
}

// The report's blocks one below the other: a block that does not fit below the last one
// starts the next page, under the footer of the page it leaves.
class Flow {
  public:
    Flow(Sheet& sheet, QPdfWriter& writer, const ReportModel& model, PageNumber number)
        : sheet_(sheet), writer_(writer), model_(model), number_(number) {}

    [[nodiscard]] Sheet& sheet() { return sheet_; }
    [[nodiscard]] double y() const { return y_; }
    void set_y(double y) { y_ = y; }
    [[nodiscard]] double bottom() const { return sheet_.area().height() - kFooterMm; }
    [[nodiscard]] PageNumber& number() { return number_; }

    // Makes room for `height` below the last block; true when that took a new page.
    bool keep_room(double height) {
        if (y_ + height <= bottom() || y_ == 0) {
            return false;
        }
        next_page();
        return true;
    }
    void next_page() {
        paint_footer(sheet_, model_, number_);
        if (sheet_.painting()) {
            writer_.newPage();
        }
        ++number_.page;
        y_ = 0;
    }

  private:
    Sheet& sheet_;
    QPdfWriter& writer_;
    const ReportModel& model_;
    PageNumber number_;
    double y_ = 0;
};

double paint_heading(Sheet& sheet, const ReportModel& model) {
    const double width = sheet.area().width();
    sheet.pen(kInk);
    sheet.font(kHeadingPt, true);
    sheet.text(0, 0, width * 0.4, 9, model.heading);
    sheet.font(kTextPt, true);
    const double caption =
        sheet.wrapped(width * 0.4, 2, width * 0.6, model.caption, Qt::AlignRight);
    double y = std::max(10.0, 2 + caption + 1);
    sheet.font(kTextPt);
    y += sheet.wrapped(0, y, width, model.mission_text);
    sheet.pen(kInk, 0.4);
    sheet.line(0, y + 1, width, y + 1);
    return y + 3;
}

double paint_verdict(Sheet& sheet, const ReportModel& model, double y) {
    const double width = sheet.area().width();
    sheet.font(12, true);
    const double verdict =
        sheet.measure([&](double top) { return sheet.wrapped(3, top, width - 6, model.verdict); });
    const double box = std::max(8.0, verdict + 2);
    if (sheet.painting()) {
        QPainter& p = sheet.painter();
        const ResultKind kind = model.failed   ? ResultKind::kFail
                                : model.passed ? ResultKind::kPass
                                               : ResultKind::kNeutral;
        p.setBrush(result_fill(kind));
        sheet.pen(result_colour(kind), 0.5);
        p.drawRect(sheet.box(0, y, width, box));
        p.setBrush(Qt::NoBrush);
    }
    sheet.pen(kInk);
    (void)sheet.wrapped(3, y + (box - verdict) / 2, width - 6, model.verdict);
    sheet.font(kTextPt);
    const double limits =
        sheet.wrapped(0, y + box + 1, width, QStringLiteral("Limits: ") + model.limits);
    return y + box + 1 + limits + 2;
}

double paint_title(Sheet& sheet, double x, double y, double w, const QString& title) {
    sheet.font(10, true);
    sheet.text(x, y, w, kTitleMm, title);
    return y + kTitleMm;
}

// Label and value side by side; either wraps within its column.
double paint_fields(Sheet& sheet, double x, double y, double w, double label_w,
                    const std::vector<Field>& fields) {
    for (const Field& field : fields) {
        sheet.font(kFieldPt, true);
        const double label = sheet.wrapped(x, y + kRowGapMm, label_w - 1, field.label);
        sheet.font(kFieldPt);
        const double value = sheet.wrapped(x + label_w, y + kRowGapMm, w - label_w, field.value);
        y += std::max(kRowMm, std::max(label, value) + kRowGapMm);
    }
    return y;
}

double paint_settings_and_statistics(Sheet& sheet, const ReportModel& model, double y) {
    // The statistics' values (a figure and its time) are the longer ones.
    const double settings_width = 80;
    const double statistics_left = settings_width + 5;
    const double statistics_width = sheet.area().width() - statistics_left;
    const double left =
        paint_fields(sheet, 0, paint_title(sheet, 0, y, settings_width, kSettingsTitle),
                     settings_width, 33, model.settings);
    const double right = paint_fields(
        sheet, statistics_left,
        paint_title(sheet, statistics_left, y, statistics_width, model.statistics_title),
        statistics_width, 47, model.statistics);
    return std::max(left, right) + 2;
}

double paint_origin(Sheet& sheet, const ReportModel& model, double y) {
    const double width = sheet.area().width();
    return paint_fields(sheet, 0, paint_title(sheet, 0, y, width, "Download"), width, 33,
                        model.origin) +
           2;
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
            QStringLiteral("%1 %2").arg(QLatin1String(name),
                                        QString::fromStdString(insight::temperature_text(*limit))),
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
    if (!sheet.painting()) {
        return;
    }
    const Plot plot{QRectF(20, y + 1, sheet.area().width() - 21, height - 7), chart};
    paint_axes(sheet, plot);
    paint_series(sheet, plot);
}

// A table row whose cells wrap within their columns; its height.
template <std::size_t N>
double paint_row(Sheet& sheet, double y, const std::array<double, N>& widths,
                 const QStringList& cells) {
    double x = 0;
    double height = kRowMm;
    for (std::size_t c = 0; c < N && c < static_cast<std::size_t>(cells.size()); ++c) {
        height = std::max(height, sheet.wrapped(x, y + kRowGapMm, widths[c] - 1,
                                                cells[static_cast<qsizetype>(c)]) +
                                      kRowGapMm);
        x += widths[c];
    }
    return height;
}

double excursion_row(Sheet& sheet, double y, const QStringList& cells) {
    sheet.font(kTextPt);
    return paint_row(sheet, y, kExcursionColumns, cells);
}

double excursion_headings(Sheet& sheet, double y, const Table& table) {
    sheet.font(kTextPt, true);
    return y + paint_row(sheet, y, kExcursionColumns, table.headings);
}

double warning_line(Sheet& sheet, double y, const QString& line) {
    sheet.font(kTextPt);
    return std::max(kRowMm,
                    sheet.wrapped(0, y + kRowGapMm, sheet.area().width(), line) + kRowGapMm);
}

QStringList warning_lines(const ReportModel& model) {
    return model.warnings.isEmpty() ? QStringList{kNoneText} : model.warnings;
}

// The excursions, their headings again at the top of each page they continue on.
void paint_excursions(Flow& flow, const ReportModel& model) {
    Sheet& sheet = flow.sheet();
    const double width = sheet.area().width();
    const Table& table = model.excursions;
    const auto row_height = [&](std::size_t i) {
        return sheet.measure([&](double top) { return excursion_row(sheet, top, table.rows[i]); });
    };
    flow.keep_room(kTitleMm + kRowMm + (table.rows.empty() ? 0 : row_height(0)));
    flow.set_y(paint_title(sheet, 0, flow.y(), width, kExcursionsTitle));
    if (table.rows.empty()) {
        sheet.font(kTextPt);
        sheet.text(0, flow.y(), width, kRowMm, kNoneText);
        flow.set_y(flow.y() + kRowMm + 1);
        return;
    }
    flow.set_y(excursion_headings(sheet, flow.y(), table));
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        if (flow.keep_room(row_height(i))) {
            flow.set_y(paint_title(sheet, 0, 0, width,
                                   QStringLiteral("Excursions, continued - ") + model.caption));
            flow.set_y(excursion_headings(sheet, flow.y(), table));
        }
        flow.set_y(flow.y() + excursion_row(sheet, flow.y(), table.rows[i]));
    }
    flow.set_y(flow.y() + 1);
}

void paint_warnings(Flow& flow, const ReportModel& model) {
    Sheet& sheet = flow.sheet();
    const QStringList lines = warning_lines(model);
    const auto height = [&](const QString& line) {
        return sheet.measure([&](double top) { return warning_line(sheet, top, line); });
    };
    flow.keep_room(kTitleMm + height(lines[0]));
    flow.set_y(paint_title(sheet, 0, flow.y(), sheet.area().width(), kWarningsTitle));
    for (const QString& line : lines) {
        flow.keep_room(height(line));
        flow.set_y(flow.y() + warning_line(sheet, flow.y(), line));
    }
    flow.set_y(flow.y() + 1);
}

// What the signatures (or the lines to sign on) take, with the word of a change after them.
double signatures_height(Sheet& sheet, const ReportModel& model) {
    double height = model.changed_after_signing ? kChangedBoxMm + 1 : 0;
    if (model.signatures.isEmpty()) {
        return height + kSignatureMm;
    }
    height += kTitleMm;
    for (const QString& line : model.signatures) {
        height += sheet.measure([&](double top) { return warning_line(sheet, top, line); });
    }
    return height;
}

// What the excursions, the warnings and the signature take when no page breaks them.
double lists_height(Sheet& sheet, const ReportModel& model) {
    const double signatures = signatures_height(sheet, model);
    return sheet.measure([&](double top) {
        double y = top + 2 * kTitleMm + signatures + 2;
        y = model.excursions.rows.empty() ? y + kRowMm
                                          : excursion_headings(sheet, y, model.excursions);
        for (const QStringList& row : model.excursions.rows) {
            y += excursion_row(sheet, y, row);
        }
        for (const QString& line : warning_lines(model)) {
            y += warning_line(sheet, y, line);
        }
        return y - top;
    });
}

// "CHANGED AFTER SIGNING" in the colours of a failed verdict.
void paint_changed_after_signing(Flow& flow) {
    Sheet& sheet = flow.sheet();
    const double width = sheet.area().width();
    const double box = kChangedBoxMm;
    flow.keep_room(box + 1);
    if (sheet.painting()) {
        QPainter& p = sheet.painter();
        p.setBrush(result_fill(ResultKind::kFail));
        sheet.pen(result_colour(ResultKind::kFail), 0.5);
        p.drawRect(sheet.box(0, flow.y(), width, box));
        p.setBrush(Qt::NoBrush);
    }
    sheet.pen(kInk);
    sheet.font(12, true);
    sheet.text(3, flow.y() + 1.5, width - 6, box - 3, QStringLiteral("CHANGED AFTER SIGNING"));
    flow.set_y(flow.y() + box + 1);
}

// Each signature that holds in full, where the report ends.
void paint_signatures(Flow& flow, const ReportModel& model) {
    Sheet& sheet = flow.sheet();
    const auto height = [&](const QString& line) {
        return sheet.measure([&](double top) { return warning_line(sheet, top, line); });
    };
    flow.keep_room(kTitleMm + height(model.signatures.front()));
    flow.set_y(paint_title(sheet, 0, flow.y(), sheet.area().width(), "Electronic signatures"));
    for (const QString& line : model.signatures) {
        flow.keep_room(height(line));
        flow.set_y(flow.y() + warning_line(sheet, flow.y(), line));
    }
}

// The lines a reviewer signs on, at the foot of the page the report ends on; the
// signatures instead when the record has some that hold.
void paint_signature(Flow& flow, const ReportModel& model) {
    if (model.changed_after_signing) {
        paint_changed_after_signing(flow);
    }
    if (!model.signatures.isEmpty()) {
        paint_signatures(flow, model);
        return;
    }
    flow.keep_room(kSignatureMm);
    Sheet& sheet = flow.sheet();
    const double y = std::max(flow.y(), flow.bottom() - kSignatureMm);
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
    flow.set_y(y + kSignatureMm);
}

// Everything but the pages of every sample, the footer of its last page included.
void paint_report(Flow& flow, const ReportModel& model) {
    Sheet& sheet = flow.sheet();
    flow.set_y(paint_verdict(sheet, model, paint_heading(sheet, model)));
    const std::function<double(double)> blocks[] = {
        [&](double top) { return paint_settings_and_statistics(sheet, model, top); },
        [&](double top) { return paint_origin(sheet, model, top); }};
    for (const auto& block : blocks) {
        flow.keep_room(sheet.measure(block));
        flow.set_y(block(flow.y()));
    }
    // The chart takes what the lists below it leave on its page, within its bounds.
    const double chart_height =
        std::clamp(flow.bottom() - flow.y() - lists_height(sheet, model), kMinChartMm, kMaxChartMm);
    flow.keep_room(chart_height);
    paint_chart(sheet, model.chart, flow.y(), chart_height);
    flow.set_y(flow.y() + chart_height);
    paint_excursions(flow, model);
    paint_warnings(flow, model);
    paint_signature(flow, model);
    paint_footer(sheet, model, flow.number());
}

// The pages of every sample, each with its title and footer.
void paint_sample_pages(Sheet& sheet, QPdfWriter& writer, const ReportModel& model,
                        PageNumber& number) {
    const Table& table = model.samples;
    const TablePages plan = plan_pages(table.rows.size(), kSampleColumns, sheet.area());
    const double group = group_width(kSampleColumns) + kGroupGapMm;
    std::size_t row = 0;
    for (int page = 0; page < plan.pages; ++page) {
        writer.newPage();
        ++number.page;
        sheet.pen(kInk);
        sheet.font(10, true);
        sheet.text(0, 0, sheet.area().width(), kRowMm,
                   QStringLiteral("All samples - ") + model.caption);
        for (int g = 0; g < plan.groups && row < table.rows.size(); ++g) {
            const double x = g * group;
            sheet.font(kSmallPt, true);
            double left = x;
            for (std::size_t c = 0; c < kSampleColumns.size(); ++c) {
                sheet.text(left, 2 * kRowMm, kSampleColumns[c] - 1, kSmallRowMm,
                           table.headings.value(static_cast<qsizetype>(c)));
                left += kSampleColumns[c];
            }
            double y = 2 * kRowMm + kSmallRowMm;
            sheet.font(kSmallPt);
            for (int r = 0; r < plan.rows_per_group && row < table.rows.size(); ++r, ++row) {
                left = x;
                for (std::size_t c = 0; c < kSampleColumns.size(); ++c) {
                    sheet.fitting_text(left, y + kSmallRowMm * 0.75,
                                       table.rows[row].value(static_cast<qsizetype>(c)));
                    left += kSampleColumns[c];
                }
                y += kSmallRowMm;
            }
        }
        paint_footer(sheet, model, number);
    }
}

// The pages the report takes before the samples, laid out without painting.
int flowed_pages(Sheet& sheet, QPdfWriter& writer, const ReportModel& model) {
    sheet.set_painting(false);
    Flow dry(sheet, writer, model, {});
    paint_report(dry, model);
    sheet.set_painting(true);
    return dry.number().page;
}

QPdfWriter& set_up(QPdfWriter& writer, const ReportModel& model, QPageSize::PageSizeId paper) {
    writer.setResolution(kDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setTitle(model.heading + QStringLiteral(" ") + model.caption);
    writer.setCreator(QStringLiteral("Frostel"));
    return writer;
}

}  // namespace

QPageSize::PageSizeId paper_for(const QLocale& locale) {
    const bool letter =
        std::ranges::find(kLetterTerritories, locale.territory()) != kLetterTerritories.end();
    return letter ? QPageSize::Letter : QPageSize::A4;
}

QPageSize::PageSizeId user_paper(const QLocale& locale) {
    for (const char* variable : {"LC_ALL", "LC_PAPER"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            // "en_US.UTF-8@euro": the language and territory alone name a QLocale.
            return paper_for(
                QLocale(name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0)));
        }
    }
    return paper_for(locale);
}

int report_page_count(const ReportModel& model, QPageSize::PageSizeId paper) {
    QBuffer scratch;
    scratch.open(QIODevice::WriteOnly);
    QPdfWriter writer(&scratch);
    const QSizeF area = printable_mm(paper);
    Sheet sheet(set_up(writer, model, paper), area);
    return flowed_pages(sheet, writer, model) +
           plan_pages(model.samples.rows.size(), kSampleColumns, area).pages;
}

QByteArray report_pdf(const ReportModel& model, QPageSize::PageSizeId paper) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        const QSizeF area = printable_mm(paper);
        Sheet sheet(set_up(writer, model, paper), area);
        const int pages = flowed_pages(sheet, writer, model) +
                          plan_pages(model.samples.rows.size(), kSampleColumns, area).pages;
        Flow flow(sheet, writer, model, {1, pages});
        paint_report(flow, model);
        paint_sample_pages(sheet, writer, model, flow.number());
    }
    return buffer.data();
}

bool write_report_pdf(const QString& path, const ReportModel& model, QPageSize::PageSizeId paper) {
    return platform::write_whole_file(path, report_pdf(model, paper));
}

}  // namespace frostel::report

#include "app/chart_view.h"

#include <QCategoryAxis>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QRubberBand>
#include <QScatterSeries>
#include <QStyleOption>
#include <QTimer>

#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/string_grid.h"
#include "insight/summary.h"
#include "report/time_ticks.h"

namespace frostel::app {

namespace {

QColor colour_of(datafile::Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

constexpr double kFitMarginShare = 0.05;
constexpr double kSmallestFitMargin = 0.5;
constexpr qreal kOutsideMarkerSize = 7;

// The limits and the marks of the samples beyond them share the series' hue.
QPen limit_pen(const QColor& line) {
    QPen pen(line.darker(130), 1.5, Qt::DashLine);
    pen.setCosmetic(true);
    return pen;
}

// Room around each time label, so neighbours never touch.
constexpr int kLabelGapPixels = 24;

// How near the line, in pixels, a resting pointer shows the time and value under it.
constexpr double kTipReach = 6.0;

double distance_to_segment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double squared_length = QPointF::dotProduct(ab, ab);
    const double along = squared_length > 0.0
                             ? std::clamp(QPointF::dotProduct(p - a, ab) / squared_length, 0.0, 1.0)
                             : 0.0;
    const QPointF off = p - (a + along * ab);
    return std::hypot(off.x(), off.y());
}

bool point_before(const mission::ChartPoint& p, double x) {
    return p.x < x;
}
bool x_before(double x, const mission::ChartPoint& p) {
    return x < p.x;
}

// A step of 1, 2, 2.5 or 5 times a power of ten that gives about five ticks over `span`.
double nice_tick_interval(double span) {
    const double rough = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (double step : {1.0, 2.0, 2.5, 5.0}) {
        if (step * magnitude >= rough) {
            return step * magnitude;
        }
    }
    return 10 * magnitude;
}

void use_nice_ticks(QValueAxis* axis) {
    const double span = axis->max() - axis->min();
    if (!(span > 0) || !std::isfinite(span)) {
        return;
    }
    const double interval = nice_tick_interval(span);
    // As many decimals as the step itself has.
    int decimals = 0;
    for (double scaled = interval; decimals < 6 && std::abs(scaled - std::round(scaled)) > 1e-9;
         scaled *= 10) {
        ++decimals;
    }
    axis->setTickAnchor(0);
    axis->setTickInterval(interval);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

// The zoom frame is drawn as a dotted outline, so the chart under it stays readable.
class DottedRubberBandStyle final : public QProxyStyle {
  public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element != CE_RubberBand) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::WindowText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        // No mask: the frame alone is drawn and the chart shows through it.
        if (hint == SH_RubberBand_Mask) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace

ChartView::ChartView(QWidget* parent)
    // The chart is handed in: a view built without one makes its own, which setChart()
    // would let go without deleting.
    : QChartView(new QChart, parent),
      series_(new QLineSeries),
      low_line_(new QLineSeries),
      high_line_(new QLineSeries),
      outside_(new QScatterSeries),
      // Items of the chart, which deletes them.
      low_label_(new QGraphicsSimpleTextItem(chart())),
      high_label_(new QGraphicsSimpleTextItem(chart())),
      left_axis_(new QValueAxis),
      right_axis_(new QValueAxis),
      bottom_axis_(new QCategoryAxis),
      rubber_band_style_(new DottedRubberBandStyle) {
    rubber_band_style_->setParent(this);
    setObjectName("TChart1");
    QChart* chart = this->chart();
    chart->legend()->hide();
    // Room above the title for the logger label that sits in the chart's corner.
    chart->setMargins({8, 22, 8, 4});
    // No axis animation: Qt Charts 6.4 crashes animating an axis whose tick count changes
    // under it, as the nice ticks of a unit switch do.
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->addSeries(series_);
    series_->setPointsVisible(false);
    series_->setPointLabelsVisible(false);
    chart->addAxis(left_axis_, Qt::AlignLeft);
    chart->addAxis(right_axis_, Qt::AlignRight);
    chart->addAxis(bottom_axis_, Qt::AlignBottom);
    outside_->setMarkerSize(kOutsideMarkerSize);
    outside_->setBorderColor(Qt::transparent);
    for (QXYSeries* series :
         std::initializer_list<QXYSeries*>{series_, low_line_, high_line_, outside_}) {
        if (series != series_) {
            chart->addSeries(series);
        }
        series->attachAxis(left_axis_);
        series->attachAxis(bottom_axis_);
    }
    // The pointer's time and value show while it rests near the line, in zoom and pan mode.
    viewport()->setMouseTracking(true);
    bottom_axis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    setRenderHint(QPainter::Antialiasing);
    use_rubber_band(true);
    connect(bottom_axis_, &QValueAxis::rangeChanged, this, [this] { label_bottom_axis(); });
    for (QValueAxis* axis : {left_axis_, right_axis_}) {
        axis->setTickType(QValueAxis::TicksDynamic);
        connect(axis, &QValueAxis::rangeChanged, this, [axis] { use_nice_ticks(axis); });
    }
    connect(chart, &QChart::plotAreaChanged, this, [this] { place_limit_labels(); });
    connect(left_axis_, &QValueAxis::rangeChanged, this, [this] { place_limit_labels(); });
    show_axes_and_titles();
    show_points();
}

void ChartView::clear() {
    document_.points.clear();
    show_points_later();
}

int ChartView::add_xy(double x, double y, const QString& label) {
    // The series keeps its X values ascending: a point that would fall back goes before
    // the first point it precedes.
    auto& points = document_.points;
    const auto at = std::upper_bound(points.begin(), points.end(), x, x_before);
    const auto inserted = points.insert(at, {x, y, label.toLatin1().toStdString()});
    show_points_later();
    return static_cast<int>(inserted - points.begin());
}

int ChartView::first_value_index() const {
    return document_.points.empty() ? -1 : 0;
}

int ChartView::last_value_index() const {
    return static_cast<int>(document_.points.size()) - 1;
}

QString ChartView::label(int index) const {
    return index >= 0 && index <= last_value_index()
               ? QString::fromLatin1(document_.points[index].label)
               : QString();
}

double ChartView::y(int index) const {
    return index >= 0 && index <= last_value_index() ? document_.points[index].y : 0.0;
}

void ChartView::set_y(int index, double value) {
    if (index >= 0 && index <= last_value_index()) {
        document_.points[index].y = value;
        show_points_later();
    }
}

void ChartView::set_points(std::vector<mission::ChartPoint> points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.x < b.x; });
    document_.points = std::move(points);
    show_points_later();
}

void ChartView::set_left_axis_title(const QString& title) {
    document_.left.title = title;
    left_axis_->setTitleText(title);
    emit documentChanged();
    show_points_later();
}

void ChartView::set_limits(const insight::Limits& in_force) {
    limits_ = in_force;
    show_points_later();
}

void ChartView::fit_to_data() {
    if (const auto range = fitted_range(document_.points, limits())) {
        set_left_axis_range(range->minimum, range->maximum);
    }
}

void ChartView::zoom_to_points(int first, int last) {
    const int count = static_cast<int>(document_.points.size());
    if (first < 0 || last < first || last >= count) {
        return;
    }
    const int room = std::max(1, (last - first + 1) / 2);
    const auto begin = document_.points.begin() + std::max(0, first - room);
    const auto end = document_.points.begin() + std::min(count - 1, last + room) + 1;
    const double from = begin->x;
    const double to = (end - 1)->x;
    bottom_axis_->setRange(from, to > from ? to : from + 1);
    const std::vector<mission::ChartPoint> shown(begin, end);
    insight::Limits crossed = limits();
    const auto any = [&shown](auto outside) {
        return std::any_of(shown.begin(), shown.end(), outside);
    };
    if (!crossed.low || !any([&](const auto& p) { return p.y < *crossed.low; })) {
        crossed.low.reset();
    }
    if (!crossed.high || !any([&](const auto& p) { return p.y > *crossed.high; })) {
        crossed.high.reset();
    }
    if (const auto range = fitted_range(shown, crossed)) {
        left_axis_->setRange(range->minimum, range->maximum);
    }
}

std::size_t ChartView::nearest_point(double x) const {
    const auto& points = document_.points;
    auto nearest = std::lower_bound(points.begin(), points.end(), x, point_before);
    if (nearest == points.end() ||
        (nearest != points.begin() && x - (nearest - 1)->x < nearest->x - x)) {
        --nearest;
    }
    return static_cast<std::size_t>(nearest - points.begin());
}

QString ChartView::point_tip(double x) const {
    const auto& points = document_.points;
    if (points.empty()) {
        return {};
    }
    const mission::ChartPoint& nearest = points[nearest_point(x)];
    return QString::fromLatin1(nearest.label) + QLatin1Char('\n') + format_temperature(nearest.y) +
           QLatin1Char(' ') + document_.left.title;
}

void ChartView::show_tip_at(const QPoint& pointer) {
    const auto& points = document_.points;
    const QPointF here = chart()->mapFromScene(mapToScene(pointer));
    if (points.empty() || !chart()->plotArea().contains(here)) {
        hide_tip();
        return;
    }
    const double x = chart()->mapToValue(here, series_).x();
    const std::size_t nearest = nearest_point(x);
    const auto segment = [&](std::size_t from, std::size_t to) {
        const auto position = [this](const mission::ChartPoint& p) {
            return chart()->mapToPosition({p.x, p.y}, series_);
        };
        return distance_to_segment(here, position(points[from]), position(points[to]));
    };
    // The line's segments on either side of the nearest point, or the point alone.
    double distance = segment(nearest, nearest);
    if (nearest > 0) {
        distance = std::min(distance, segment(nearest - 1, nearest));
    }
    if (nearest + 1 < points.size()) {
        distance = std::min(distance, segment(nearest, nearest + 1));
    }
    if (distance <= kTipReach) {
        QToolTip::showText(viewport()->mapToGlobal(pointer), point_tip(x), this);
        tip_shown_ = true;
    } else {
        hide_tip();
    }
}

// Only a tip of ours: hiding another's, a tool button's on the way in, would take the next
// tip shown with it.
void ChartView::hide_tip() {
    if (tip_shown_) {
        QToolTip::hideText();
        tip_shown_ = false;
    }
}

void ChartView::set_left_axis_range(double minimum, double maximum) {
    if (minimum <= maximum) {
        document_.left.minimum = minimum;
        document_.left.maximum = maximum;
        left_axis_->setRange(minimum, maximum);
        emit documentChanged();
    }
}

void ChartView::set_bottom_axis_automatic() {
    document_.bottom.automatic = true;
    fit_bottom_axis();
    emit documentChanged();
}

void ChartView::set_title_line(const QString& text) {
    if (document_.title_lines.isEmpty()) {
        document_.title_lines.append(text);
    } else {
        document_.title_lines[0] = text;
    }
    chart()->setTitle(document_.title_lines.join(QLatin1Char('\n')));
    emit documentChanged();
}

void ChartView::set_document(datafile::ChartDocument document) {
    document.mission.reset();
    document.low_limit.reset();
    document.high_limit.reset();
    document.limits_set_on.clear();
    document.delta_h_kj_per_mol.reset();
    document.download.reset();
    document_ = std::move(document);
    chart()->zoomReset();
    show_axes_and_titles();
    show_points();
    emit documentChanged();
}

bool ChartView::export_template(const QString& path) const {
    return datafile::write_chart_document(path, document_);
}

void ChartView::set_pan_mode(bool on) {
    pan_mode_ = on;
    use_rubber_band(!on);
}

void ChartView::use_rubber_band(bool on) {
    // The view makes a new band each time it is switched on.
    setRubberBand(on ? QChartView::RectangleRubberBand : QChartView::NoRubberBand);
    if (auto* band = findChild<QRubberBand*>()) {
        band->setStyle(rubber_band_style_);
    }
}

void ChartView::undo_zoom() {
    chart()->zoomReset();
    // The chart's own reset goes back to the ranges of its first zoom, which may be older
    // than the document's.
    show_axes_and_titles();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (pan_mode_ && event->button() == Qt::LeftButton) {
        pan_from_ = event->position().toPoint();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (pan_from_) {
        const QPoint to = event->position().toPoint();
        chart()->scroll(pan_from_->x() - to.x(), to.y() - pan_from_->y());
        pan_from_ = to;
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        show_tip_at(event->position().toPoint());
    }
    QChartView::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (pan_from_) {
        pan_from_.reset();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    label_bottom_axis();
}

void ChartView::show_points_later() {
    if (!points_pending_) {
        points_pending_ = true;
        QTimer::singleShot(0, this, [this] { show_points(); });
    }
}

void ChartView::show_points() {
    points_pending_ = false;
    QList<QPointF> drawn;
    drawn.reserve(static_cast<qsizetype>(document_.points.size()));
    for (const mission::ChartPoint& p : document_.points) {
        drawn.append({p.x, p.y});
    }
    series_->replace(drawn);
    show_limits();
    fit_bottom_axis();
    label_bottom_axis();
    emit contentChanged();
}

void ChartView::show_limits() {
    const insight::Limits& in_force = limits_;
    const auto& points = document_.points;
    const auto line = [&points](QLineSeries* series, const std::optional<double>& limit) {
        if (!limit || points.empty()) {
            series->clear();
            return;
        }
        series->replace(QList<QPointF>{{points.front().x, *limit}, {points.back().x, *limit}});
    };
    line(low_line_, in_force.low);
    line(high_line_, in_force.high);
    QList<QPointF> outside;
    for (const mission::ChartPoint& p : points) {
        if (insight::side_of(p.y, in_force) != insight::Side::kWithin) {
            outside.append({p.x, p.y});
        }
    }
    outside_->replace(outside);
    place_limit_labels();
}

void ChartView::place_limit_labels() {
    const QRectF area = chart()->plotArea();
    // The high limit's value above its line and the low one's below, on the side away from
    // the samples between them. Where the plot's edge leaves no room below the low line, the
    // low label goes above the high one where there is room: inward it would lie on the samples.
    const auto place = [&](QGraphicsSimpleTextItem* label, const std::optional<double>& limit,
                           const char* name, bool above,
                           std::optional<double> instead = {}) -> std::optional<double> {
        if (!limit || document_.points.empty() || *limit < left_axis_->min() ||
            *limit > left_axis_->max()) {
            label->hide();
            return std::nullopt;
        }
        label->setText(QStringLiteral("%1 %2").arg(
            QLatin1String(name), QString::fromStdString(insight::temperature_text(*limit))));
        const double y = chart()->mapToPosition({bottom_axis_->min(), *limit}, series_).y();
        const double height = label->boundingRect().height();
        const double over = y - height - 1;
        const double under = y + 1;
        const double inward = instead && *instead - height >= area.top() ? *instead - height : over;
        const double top = above ? (over >= area.top() ? over : under)
                                 : (under + height <= area.bottom() ? under : inward);
        label->setPos(area.right() - label->boundingRect().width() - 4, top);
        label->show();
        return top;
    };
    const std::optional<double> high_top = place(high_label_, limits_.high, "high limit", true);
    place(low_label_, limits_.low, "low limit", false, high_top);
}

void ChartView::show_axes_and_titles() {
    chart()->setTitle(document_.title_lines.join(QLatin1Char('\n')));
    chart()->setBackgroundBrush(colour_of(document_.background_colour));
    series_->setName(document_.series_title);
    const QColor line = colour_of(document_.line_colour);
    QPen pen(line);
    pen.setWidth(document_.line_width);
    series_->setPen(pen);
    low_line_->setPen(limit_pen(line));
    high_line_->setPen(limit_pen(line));
    for (QGraphicsSimpleTextItem* label : {low_label_, high_label_}) {
        label->setBrush(limit_pen(line).color());
    }
    outside_->setColor(line.darker(150));
    left_axis_->setTitleText(document_.left.title);
    left_axis_->setRange(document_.left.minimum, document_.left.maximum);
    right_axis_->setTitleText(document_.right.title);
    right_axis_->setRange(document_.right.minimum, document_.right.maximum);
    bottom_axis_->setTitleText(document_.bottom.title);
    fit_bottom_axis();
}

void ChartView::fit_bottom_axis() {
    const auto& points = document_.points;
    double minimum = document_.bottom.minimum;
    double maximum = document_.bottom.maximum;
    if (document_.bottom.automatic && !points.empty()) {
        minimum = points.front().x;
        maximum = points.back().x;
    }
    if (minimum == maximum) {
        minimum -= 0.5;
        maximum += 0.5;
    }
    bottom_axis_->setRange(minimum, maximum);
}

// A date's width, or a visible point's label line's where one is wider, with room around it.
int ChartView::time_label_width(double minimum, double maximum) const {
    const QFontMetrics metrics(bottom_axis_->labelsFont());
    int widest = metrics.horizontalAdvance(QStringLiteral("0000-00-00"));
    const auto& points = document_.points;
    const auto first = std::lower_bound(points.begin(), points.end(), minimum, point_before);
    const auto last = std::upper_bound(first, points.end(), maximum, x_before);
    for (auto point = first; point < last; ++point) {
        // The first blank breaks the line, as the label is shown.
        const QString label = QString::fromLatin1(point->label);
        const qsizetype blank = label.indexOf(QLatin1Char(' '));
        widest = std::max({widest, metrics.horizontalAdvance(label.left(blank)),
                           blank < 0 ? 0 : metrics.horizontalAdvance(label.mid(blank + 1))});
    }
    return widest + kLabelGapPixels;
}

// The time axis is labelled on round times of the samples' clock, which only the points'
// labels hold; the plot's width decides how many fit without touching.
void ChartView::label_bottom_axis() {
    if (labelling_) {
        return;
    }
    labelling_ = true;
    for (const QString& old_label : bottom_axis_->categoriesLabels()) {
        bottom_axis_->remove(old_label);
    }
    const double minimum = bottom_axis_->min();
    const double maximum = bottom_axis_->max();
    bottom_axis_->setStartValue(minimum);
    for (const report::ChartTick& tick :
         report::chart_time_ticks(document_.points, minimum, maximum, chart()->plotArea().width(),
                                  time_label_width(minimum, maximum))) {
        // Axis labels are rich text: the date over the time keeps each label narrow.
        const QString shown = QString::fromLatin1(tick.text).toHtmlEscaped().replace(
            QLatin1Char('\n'), QStringLiteral("<br>"));
        if (!bottom_axis_->categoriesLabels().contains(shown)) {
            bottom_axis_->append(shown, tick.x);
        }
    }
    labelling_ = false;
}

std::optional<mission::AxisRange> fitted_range(const std::vector<mission::ChartPoint>& points,
                                               const insight::Limits& limits) {
    std::optional<mission::AxisRange> range;
    const auto take = [&range](double v) {
        range = range ? mission::AxisRange{std::min(range->minimum, v), std::max(range->maximum, v)}
                      : mission::AxisRange{v, v};
    };
    for (const mission::ChartPoint& p : points) {
        take(p.y);
    }
    for (const std::optional<double>& limit : {limits.low, limits.high}) {
        if (limit) {
            take(*limit);
        }
    }
    if (range) {
        const double margin =
            std::max(kSmallestFitMargin, (range->maximum - range->minimum) * kFitMarginShare);
        range->minimum -= margin;
        range->maximum += margin;
    }
    return range;
}

}  // namespace frostel::app

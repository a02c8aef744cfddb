// The chart's time labels and limit labels as drawn, at several sizes and zooms.
#include <QCategoryAxis>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QTest>
#include <QValueAxis>
#include <algorithm>
#include <map>
#include <numeric>

#include "app/chart_view.h"
#include "insight/summary.h"
#include "platform/local_date_time.h"

namespace frostel::app {
namespace {

// Four days at ten minutes, laid out as a download lays them: a quarter of X apart.
std::vector<mission::ChartPoint> cold_room_points() {
    const std::int64_t start = platform::to_civil_seconds({2026, 3, 14, 15, 9, 26});
    constexpr int kSamples = 4 * 144;
    std::vector<mission::ChartPoint> points;
    points.reserve(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        points.push_back({46000.0 + 0.25 * i, 4.0 + (i % 7) * 0.5,
                          insight::time_text(start + static_cast<std::int64_t>(i) * 600)});
    }
    return points;
}

struct DrawnLabel {
    double left;
    double right;
    QString text;
};

// The time axis's labels, each as wide as its widest line, where the chart puts them.
std::vector<DrawnLabel> time_labels(ChartView& view) {
    auto* axis = qobject_cast<QCategoryAxis*>(view.chart()->axes(Qt::Horizontal).value(0));
    const QFontMetrics metrics(axis->labelsFont());
    std::vector<DrawnLabel> labels;
    for (const QString& label : axis->categoriesLabels()) {
        int width = 0;
        for (const QString& line : label.split(QStringLiteral("<br>"))) {
            width = std::max(width, metrics.horizontalAdvance(line));
        }
        const double centre =
            view.chart()->mapToPosition({axis->endValue(label), 0}, view.chart()->series()[0]).x();
        labels.push_back({centre - width / 2.0, centre + width / 2.0, label});
    }
    return labels;
}

// A label's date and time of day, as seconds counted from a midnight.
qint64 seconds_of(const QString& label) {
    const QStringList parts = label.split(QStringLiteral("<br>"));
    const QDate date = QDate::fromString(parts[0], Qt::ISODate);
    const QTime time = parts.size() > 1 ? QTime::fromString(parts[1]) : QTime(0, 0);
    return QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
}

// The limit labels shown, by their text, with where they are drawn.
std::map<QString, QRectF> limit_label_places(ChartView& view) {
    std::map<QString, QRectF> places;
    for (QGraphicsItem* item : view.chart()->scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            text != nullptr && text->isVisible() && text->text().contains("limit")) {
            places[text->text().section(' ', 0, 0)] = text->sceneBoundingRect();
        }
    }
    return places;
}

QStringList limit_labels(ChartView& view) {
    QStringList shown;
    for (QGraphicsItem* item : view.chart()->scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            text != nullptr && text->isVisible() && text->text().contains("limit")) {
            shown << text->text();
        }
    }
    shown.sort();
    return shown;
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT

  private slots:
    // Whole mission and ever closer zooms, wide and narrow: the labels never touch, and each
    // stands on a round time.
    void timeLabelsNeverOverlapAndFallOnRoundTimes() {
        ChartView view;
        const std::vector<mission::ChartPoint> points = cold_room_points();
        view.set_points(points);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (const QSize size : {QSize(1200, 500), QSize(700, 400), QSize(360, 300)}) {
            view.resize(size);
            for (const int shown : {575, 144, 24, 6, 1}) {
                view.zoom_to_points(100, 100 + shown / 2);
                QCoreApplication::processEvents();
                const std::vector<DrawnLabel> labels = time_labels(view);
                const QString where = QStringLiteral("%1x%2, %3 points")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(shown);
                QVERIFY2(!labels.empty(), qPrintable(where));
                std::vector<qint64> times;
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    times.push_back(seconds_of(labels[i].text));
                    if (i > 0) {
                        QVERIFY2(labels[i].left > labels[i - 1].right,
                                 qPrintable(where + ": " + labels[i - 1].text + " and " +
                                            labels[i].text));
                    }
                }
                // One step between neighbours (or a multiple where one was left out), and
                // every tick on a multiple of it: round times.
                std::vector<qint64> gaps(times.size());
                std::adjacent_difference(times.begin(), times.end(), gaps.begin());
                const qint64 step =
                    times.size() > 1 ? *std::min_element(gaps.begin() + 1, gaps.end()) : 60;
                for (const qint64 t : times) {
                    QVERIFY2(step > 0 && t % step == 0, qPrintable(where));
                }
            }
            view.undo_zoom();
        }
    }

    // Each limit's line says its value, as the report does; one beyond the value axis says
    // nothing there.
    void limitLinesCarryTheirValues() {
        ChartView view;
        view.set_points(cold_room_points());
        view.set_limits({2.0, 8.0, insight::LimitSource::kUser});
        view.set_left_axis_range(0, 10);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(limit_labels(view), (QStringList{"high limit 8.00", "low limit 2.00"}));
        view.set_left_axis_range(3, 10);
        QTRY_COMPARE(limit_labels(view), QStringList{"high limit 8.00"});
        view.set_limits({});
        QTRY_VERIFY(limit_labels(view).isEmpty());
    }

    // On the axis the window opens with, the two lines lie close above the axis's foot: the
    // labels neither touch each other nor lie between the lines, where the samples are.
    void limitLabelsCloseToTheAxisFootStayOffTheSamples() {
        ChartView view;
        view.set_points(cold_room_points());
        view.set_limits({2.0, 8.0, insight::LimitSource::kUser});
        view.set_left_axis_range(0, 125);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(limit_labels(view).size(), 2);
        const std::map<QString, QRectF> places = limit_label_places(view);
        const QRectF low = places.at("low");
        const QRectF high = places.at("high");
        QVERIFY(!low.intersects(high));
        const double high_line = view.chart()->mapToPosition({0, 8.0}).y();
        QVERIFY2(low.bottom() <= high_line && high.bottom() <= high_line,
                 "a label lies between the limit lines");
    }
};

}  // namespace frostel::app

QTEST_MAIN(frostel::app::ChartViewTest)
#include "chart_view_test.moc"

// The chart's own tools on the command bar: zoom frame, undo zoom, pan, copy, save as PNG
// and print, on a chart of a hundred points, headless.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPrinter>
#include <QRubberBand>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include "chart_view.h"
#include "command_bar.h"
#include "file_name_dialogs.h"

namespace frostel::app {
namespace {

// Answers every save dialog with one prepared name (empty: cancelled).
struct OneNameDialogs final : FileNameDialogs {
    QString name;
    QString save_name(QWidget*, const QString&, const QString&) override { return name; }
    QString open_name(QWidget*, const QString&, const QString&) override { return {}; }
};

struct Rig {
    OneNameDialogs dialogs;
    QWidget window;
    CommandBar* bar = new CommandBar(dialogs, &window);
    ChartView* chart = new ChartView(&window);

    Rig() {
        window.resize(640, 480);
        bar->setGeometry(0, 0, 640, 30);
        chart->setGeometry(0, 30, 640, 450);
        bar->attach(chart);
        for (int i = 0; i < 100; ++i) {
            chart->add_xy(i, i,
                          QStringLiteral("2026-01-15 10:%1:00").arg(i % 60, 2, 10, QChar('0')));
        }
        window.show();
        QCoreApplication::processEvents();
    }
    void trigger(const char* tool) const { bar->findChild<QAction*>(tool)->trigger(); }
    [[nodiscard]] QValueAxis* left_axis() const {
        return qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical)[0]);
    }
    [[nodiscard]] QPoint plot_point(double fx, double fy) const {
        const QRectF plot = chart->chart()->plotArea();
        return chart->mapFromScene(
            QPointF(plot.left() + fx * plot.width(), plot.top() + fy * plot.height()));
    }
};

// Runs of frame-coloured and other pixels along the top edge of a picture: a solid line
// is one run, a dotted one many.
int runs_along_top(const QImage& picture) {
    int runs = 0;
    bool previous = false;
    for (int x = 0; x < picture.width(); ++x) {
        const bool drawn = qAlpha(picture.pixel(x, 0)) > 128 && qGray(picture.pixel(x, 0)) < 128;
        runs += drawn != previous ? 1 : 0;
        previous = drawn;
    }
    return runs;
}

class ChartToolsTest : public QObject {
    Q_OBJECT

  private slots:
    void aDottedFrameZoomsAndUndoGoesBackToTheDocumentsRange() {
        Rig rig;
        QWidget* viewport = rig.chart->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, rig.plot_point(0.2, 0.2));
        QTest::mouseMove(viewport, rig.plot_point(0.6, 0.5));
        auto* band = rig.chart->findChild<QRubberBand*>();
        QVERIFY(band != nullptr && band->isVisible());
        QImage frame(band->size(), QImage::Format_ARGB32);
        frame.fill(Qt::transparent);
        band->render(&frame, {}, {}, QWidget::DrawChildren);
        QVERIFY2(runs_along_top(frame) > 10, "the zoom frame is drawn dotted");
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rig.plot_point(0.6, 0.5));

        QVERIFY(rig.left_axis()->min() > 10);
        QVERIFY(rig.left_axis()->max() < 120);
        rig.trigger("undo_zoom_tool");
        QCOMPARE(rig.left_axis()->min(), 0.0);
        QCOMPARE(rig.left_axis()->max(), 125.0);
        QCOMPARE(rig.chart->points().size(), std::size_t{100});
    }

    void panningShiftsTheAxesWithoutZoomingThenZoomIsBack() {
        Rig rig;
        QWidget* viewport = rig.chart->viewport();
        rig.trigger("pan_tool");
        QVERIFY(rig.chart->findChild<QRubberBand*>() == nullptr);
        QTest::mousePress(viewport, Qt::LeftButton, {}, rig.plot_point(0.5, 0.5));
        QTest::mouseMove(viewport, rig.plot_point(0.5, 0.3));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rig.plot_point(0.5, 0.3));
        QVERIFY(rig.left_axis()->min() < 0);
        QCOMPARE(rig.left_axis()->max() - rig.left_axis()->min(), 125.0);

        rig.trigger("zoom_tool");
        QTest::mousePress(viewport, Qt::LeftButton, {}, rig.plot_point(0.2, 0.2));
        QTest::mouseMove(viewport, rig.plot_point(0.4, 0.4));
        auto* band = rig.chart->findChild<QRubberBand*>();
        QVERIFY(band != nullptr && band->isVisible());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rig.plot_point(0.4, 0.4));
        QVERIFY(rig.left_axis()->max() - rig.left_axis()->min() < 100);
    }

    void copyPicturePutsTheChartOnTheClipboard() {
        Rig rig;
        QGuiApplication::clipboard()->clear();
        rig.trigger("copy_tool");
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size() / copied.devicePixelRatio(), rig.chart->size());
    }

    void savePictureWritesAPngOnlyWhereTheUserChose() {
        Rig rig;
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath("chart.png");
        rig.trigger("save_picture_tool");
        QVERIFY(QDir(folder.path()).isEmpty());

        QVERIFY(rig.window.findChild<QMessageBox*>("picture_not_saved") == nullptr);

        rig.dialogs.name = QDir(folder.path()).filePath("no such folder/chart.png");
        rig.trigger("save_picture_tool");
        QVERIFY(QDir(folder.path()).isEmpty());
        auto* refused = rig.window.findChild<QMessageBox*>("picture_not_saved");
        QVERIFY(refused != nullptr && refused->isVisible());
        QVERIFY(refused->text().contains("no such folder"));
        refused->close();

        rig.dialogs.name = path;
        rig.trigger("save_picture_tool");
        QImage saved;
        QVERIFY(saved.load(path, "PNG"));
        QCOMPARE(saved.size(), rig.chart->size() * rig.chart->devicePixelRatio());
    }

    // A chart twice as wide as the page is halved, not cut at the page's edge.
    void printingFitsTheChartOnThePage() {
        Rig rig;
        rig.chart->resize(800, 400);
        QImage page(400, 400, QImage::Format_ARGB32);
        page.fill(Qt::transparent);
        paint_to_fit(*rig.chart, page);
        QVERIFY(qAlpha(page.pixel(399, 100)) > 0);
        QVERIFY(qAlpha(page.pixel(0, 199)) > 0);
        QCOMPARE(qAlpha(page.pixel(200, 201)), 0);
        QCOMPARE(qAlpha(page.pixel(399, 399)), 0);

        QTemporaryDir folder;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(folder.path()).filePath("chart.pdf"));
        paint_to_fit(*rig.chart, printer);
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::ChartToolsTest)
#include "chart_tools_test.moc"

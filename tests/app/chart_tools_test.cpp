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
    // A point of the plot area as fractions of its width and height, in viewport pixels.
    [[nodiscard]] QPoint at(QPointF f) const {
        const QRectF plot = chart->chart()->plotArea();
        return chart->mapFromScene(plot.topLeft() +
                                   QPointF(f.x() * plot.width(), f.y() * plot.height()));
    }
    QRubberBand* press_and_move(QPointF from, QPointF to) const {
        QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, at(from));
        QTest::mouseMove(chart->viewport(), at(to));
        return chart->findChild<QRubberBand*>();
    }
    void release(QPointF at_point) const {
        QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, at(at_point));
    }
};

class ChartToolsTest : public QObject {
    Q_OBJECT

  private slots:
    void zoomFrameUndoAndPan() {
        Rig rig;
        QRubberBand* band = rig.press_and_move({0.2, 0.2}, {0.6, 0.5});
        QVERIFY(band != nullptr && band->isVisible());
        // A dotted frame: many runs of drawn and undrawn pixels along its top edge.
        QImage frame(band->size(), QImage::Format_ARGB32);
        frame.fill(Qt::transparent);
        band->render(&frame, {}, {}, QWidget::DrawChildren);
        int runs = 0;
        for (int x = 0, previous = 0; x < frame.width(); ++x) {
            const int drawn = qAlpha(frame.pixel(x, 0)) > 128 && qGray(frame.pixel(x, 0)) < 128;
            runs += drawn != previous ? 1 : 0;
            previous = drawn;
        }
        QVERIFY2(runs > 10, "the zoom frame is drawn dotted");
        rig.release({0.6, 0.5});
        QVERIFY(rig.left_axis()->min() > 10);
        QVERIFY(rig.left_axis()->max() < 120);
        rig.trigger("undo_zoom_tool");
        QCOMPARE(rig.left_axis()->min(), 0.0);
        QCOMPARE(rig.left_axis()->max(), 125.0);
        QCOMPARE(rig.chart->points().size(), std::size_t{100});

        // Panning shifts the axes without zooming; the zoom tool then works again.
        rig.trigger("pan_tool");
        QVERIFY(rig.press_and_move({0.5, 0.5}, {0.5, 0.3}) == nullptr);
        rig.release({0.5, 0.3});
        QVERIFY(rig.left_axis()->min() < 0);
        QCOMPARE(rig.left_axis()->max() - rig.left_axis()->min(), 125.0);
        rig.trigger("zoom_tool");
        band = rig.press_and_move({0.2, 0.2}, {0.4, 0.4});
        QVERIFY(band != nullptr && band->isVisible());
        rig.release({0.4, 0.4});
        QVERIFY(rig.left_axis()->max() - rig.left_axis()->min() < 100);
    }

    void copySaveAndPrintThePictureAndAFailedSaveSaysSo() {
        Rig rig;
        QGuiApplication::clipboard()->clear();
        rig.trigger("copy_tool");
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size() / copied.devicePixelRatio(), rig.chart->size());

        QTemporaryDir folder;
        rig.trigger("save_picture_tool");  // cancelled
        QVERIFY(QDir(folder.path()).isEmpty());
        QVERIFY(rig.window.findChild<QMessageBox*>("picture_not_saved") == nullptr);

        rig.dialogs.name = QDir(folder.path()).filePath("no such folder/chart.png");
        rig.trigger("save_picture_tool");
        QVERIFY(QDir(folder.path()).isEmpty());
        auto* refused = rig.window.findChild<QMessageBox*>("picture_not_saved");
        QVERIFY(refused != nullptr && refused->isVisible());
        QVERIFY(refused->text().contains("no such folder"));
        refused->close();

        // A name without an extension gets ".png".
        rig.dialogs.name = QDir(folder.path()).filePath("chart");
        rig.trigger("save_picture_tool");
        QImage saved;
        QVERIFY(saved.load(rig.dialogs.name + ".png", "PNG"));
        QCOMPARE(saved.size(), rig.chart->size() * rig.chart->devicePixelRatio());

        // Printing: a chart twice as wide as the page is halved, not cut at the page's edge.
        rig.chart->resize(800, 400);
        QImage page(400, 400, QImage::Format_ARGB32);
        page.fill(Qt::transparent);
        paint_to_fit(*rig.chart, page);
        QVERIFY(qAlpha(page.pixel(399, 100)) > 0);
        QVERIFY(qAlpha(page.pixel(0, 199)) > 0);
        QCOMPARE(qAlpha(page.pixel(200, 201)), 0);
        QCOMPARE(qAlpha(page.pixel(399, 399)), 0);
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

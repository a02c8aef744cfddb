#include "app/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>
#include <numbers>

namespace frostel::app {

namespace {

constexpr int kIconSize = 32;
const QColor kInk(40, 50, 70);
const QColor kFrostBlue(30, 110, 200);
const QColor kMercuryRed(210, 30, 30);

QIcon drawn_icon(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return {pixmap};
}

void draw_thermometer(QPainter& p, QRectF box) {
    const double w = box.width();
    const QRectF bulb(box.left() + w * 0.25, box.bottom() - w * 0.5, w * 0.5, w * 0.5);
    const QRectF tube(box.left() + w * 0.38, box.top(), w * 0.24, box.height() - w * 0.35);
    QPainterPath outline;
    outline.addRoundedRect(tube, tube.width() / 2, tube.width() / 2);
    outline.addEllipse(bulb);
    p.setPen(QPen(kInk, w * 0.06));
    p.setBrush(Qt::white);
    p.drawPath(outline.simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(kMercuryRed);
    p.drawEllipse(bulb.adjusted(w * 0.07, w * 0.07, -w * 0.07, -w * 0.07));
    p.drawRect(QRectF(tube.center().x() - w * 0.05, box.top() + box.height() * 0.35, w * 0.1,
                      box.height() * 0.5));
}

void draw_magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QRectF(4, 4, 18, 18));
    p.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(28, 28));
    p.setPen(QPen(kFrostBlue, 3));
    p.drawLine(QPointF(8, 13), QPointF(18, 13));
    if (plus) {
        p.drawLine(QPointF(13, 8), QPointF(13, 18));
    }
}

void draw_sheet(QPainter& p, QRectF sheet) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int line = 0;; ++line) {
        const double y = sheet.top() + 5 + 4 * line;
        if (y >= sheet.bottom() - 3) {
            break;
        }
        p.drawLine(QPointF(sheet.left() + 3, y), QPointF(sheet.right() - 3, y));
    }
}

void draw_arrow_head(QPainter& p, QPointF tip, double angle) {
    const double spread = 0.6;
    const double length = 6;
    QPolygonF head{
        tip, tip - QPointF(length * std::cos(angle - spread), length * std::sin(angle - spread)),
        tip - QPointF(length * std::cos(angle + spread), length * std::sin(angle + spread))};
    p.drawPolygon(head);
}

void draw_flag(QPainter& p, Flag flag) {
    const QRectF field(2, 6, 28, 20);
    p.setPen(Qt::NoPen);
    switch (flag) {
        case Flag::kEnglish:
            p.fillRect(field, Qt::white);
            p.fillRect(QRectF(13, 6, 6, 20), QColor(200, 16, 46));
            p.fillRect(QRectF(2, 13, 28, 6), QColor(200, 16, 46));
            break;
        case Flag::kGerman:
            p.fillRect(QRectF(2, 6, 28, 7), Qt::black);
            p.fillRect(QRectF(2, 13, 28, 7), QColor(221, 0, 0));
            p.fillRect(QRectF(2, 19.5, 28, 6.5), QColor(255, 206, 0));
            break;
        case Flag::kFrench:
            p.fillRect(QRectF(2, 6, 10, 20), QColor(0, 35, 149));
            p.fillRect(QRectF(11.5, 6, 9.5, 20), Qt::white);
            p.fillRect(QRectF(20.5, 6, 9.5, 20), QColor(237, 41, 57));
            break;
        case Flag::kDanish:
            p.fillRect(field, QColor(200, 16, 46));
            p.fillRect(QRectF(10, 6, 4, 20), Qt::white);
            p.fillRect(QRectF(2, 14, 28, 4), Qt::white);
            break;
    }
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(field);
}

void draw_snowflake(QPainter& p, QPointF centre, double radius) {
    p.setPen(QPen(kFrostBlue, radius * 0.09, Qt::SolidLine, Qt::RoundCap));
    for (int arm = 0; arm < 6; ++arm) {
        const double a = arm * std::numbers::pi / 3;
        const QPointF direction(std::cos(a), std::sin(a));
        p.drawLine(centre, centre + radius * direction);
        for (double along : {0.45, 0.7}) {
            const QPointF base = centre + radius * along * direction;
            for (double side : {-0.7, 0.7}) {
                const QPointF twig(std::cos(a + side), std::sin(a + side));
                p.drawLine(base, base + radius * 0.28 * twig);
            }
        }
    }
}

}  // namespace

QIcon thermometer_icon() {
    return drawn_icon([](QPainter& p) { draw_thermometer(p, QRectF(6, 2, 20, 28)); });
}

QIcon zoom_icon() {
    return drawn_icon([](QPainter& p) { draw_magnifier(p, true); });
}

QIcon undo_zoom_icon() {
    return drawn_icon([](QPainter& p) { draw_magnifier(p, false); });
}

QIcon pan_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kInk, 2.5));
        p.setBrush(kInk);
        p.drawLine(QPointF(16, 4), QPointF(16, 28));
        p.drawLine(QPointF(4, 16), QPointF(28, 16));
        for (int quarter = 0; quarter < 4; ++quarter) {
            const double a = quarter * std::numbers::pi / 2;
            draw_arrow_head(p, QPointF(16 + 13 * std::cos(a), 16 + 13 * std::sin(a)), a);
        }
    });
}

QIcon copy_icon() {
    return drawn_icon([](QPainter& p) {
        draw_sheet(p, QRectF(4, 3, 15, 19));
        draw_sheet(p, QRectF(12, 10, 15, 19));
    });
}

QIcon print_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(150, 160, 175));
        p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 10));
    });
}

QIcon edit_icon() {
    return drawn_icon([](QPainter& p) {
        p.translate(16, 16);
        p.rotate(45);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(245, 190, 60));
        p.drawRect(QRectF(-4, -13, 8, 20));
        p.setBrush(QColor(240, 200, 160));
        p.drawPolygon(QPolygonF{QPointF(-4, 7), QPointF(4, 7), QPointF(0, 14)});
    });
}

QIcon report_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 2, 20, 28));
        p.setPen(QPen(kMercuryRed, 2));
        p.drawPolyline(QPolygonF{QPointF(9, 16), QPointF(13, 12), QPointF(16, 15), QPointF(19, 8),
                                 QPointF(23, 13)});
        p.setPen(QPen(kFrostBlue, 1.5));
        p.drawLine(QPointF(9, 21), QPointF(23, 21));
        p.drawLine(QPointF(9, 26), QPointF(17, 26));
    });
}

// A check mark over two dashed limit lines: did the mission stay within them.
QIcon summary_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kMercuryRed, 2, Qt::DashLine));
        p.drawLine(QPointF(2, 6), QPointF(30, 6));
        p.drawLine(QPointF(2, 26), QPointF(30, 26));
        p.setPen(QPen(kFrostBlue, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(8, 16), QPointF(14, 21), QPointF(24, 10)});
    });
}

// A curve between two arrows that close in on it.
QIcon fit_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kMercuryRed, 2.5));
        p.drawPolyline(QPolygonF{QPointF(3, 18), QPointF(10, 13), QPointF(17, 19), QPointF(24, 12),
                                 QPointF(29, 15)});
        p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const double sign : {1.0, -1.0}) {
            const double tip = 16 - sign * 7;
            p.drawLine(QPointF(16, 16 - sign * 15), QPointF(16, tip));
            p.drawPolyline(QPolygonF{QPointF(12, tip - sign * 4), QPointF(16, tip),
                                     QPointF(20, tip - sign * 4)});
        }
    });
}

QIcon table_icon() {
    return drawn_icon([](QPainter& p) {
        const QRectF frame(3, 5, 26, 22);
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::white);
        p.drawRect(frame);
        p.fillRect(QRectF(4, 6, 24, 5), QColor(190, 215, 240));
        p.setPen(QPen(kInk, 1.5));
        for (int row = 0;; ++row) {
            const double y = 11 + 5.3 * row;
            if (y >= frame.bottom()) {
                break;
            }
            p.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
        }
        p.drawLine(QPointF(15, frame.top()), QPointF(15, frame.bottom()));
    });
}

// A filing drawer with its handle and a record's label.
QIcon archive_icon() {
    return drawn_icon([](QPainter& p) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(QColor(190, 215, 240));
        p.drawRect(QRectF(3, 4, 26, 10));
        p.drawRect(QRectF(3, 16, 26, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11, 19, 10, 4));
        p.setPen(QPen(kFrostBlue, 2));
        p.drawLine(QPointF(12, 9), QPointF(20, 9));
    });
}

QIcon flag_icon(Flag flag) {
    return drawn_icon([flag](QPainter& p) { draw_flag(p, flag); });
}

QPixmap logo_picture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw_snowflake(p, QPointF(size * 0.42, size * 0.42), size * 0.38);
    draw_thermometer(p, QRectF(size * 0.62, size * 0.4, size * 0.3, size * 0.56));
    return pixmap;
}

}  // namespace frostel::app

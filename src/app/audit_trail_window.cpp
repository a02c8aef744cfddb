#include "app/audit_trail_window.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimeZone>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/date_bound.h"
#include "app/topmost.h"
#include "app/trail_text.h"

namespace frostel::app {

namespace {

enum Column { kSequence, kUtc, kUser, kWorkstation, kAction, kObject, kOld, kNew, kReason };
constexpr int kColumns = kReason + 1;
// A column of long values (a path, a fingerprint) is cut short there rather than push the
// reason out of sight.
constexpr int kWidestColumn = 260;

std::int64_t utc_ms_of(QDate day) {
    return day.startOfDay(QTimeZone::utc()).toMSecsSinceEpoch();
}

// The fields as frostel-cli lists them, but a value of several lines shown as lines.
QStringList row_texts(const archive::AuditRow& row) {
    QStringList texts{QString::number(row.sequence),
                      QString::fromStdString(archive::utc_text(row.utc_ms))};
    for (const std::string* field : {&row.user_id, &row.workstation, &row.action, &row.object,
                                     &row.old_value, &row.new_value, &row.reason}) {
        texts << trail_text(*field);
    }
    return texts;
}

QLabel* label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

}  // namespace

AuditTrailWindow::AuditTrailWindow(std::function<archive::MissionArchive&()> archive,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      archive_(std::move(archive)),
      since_(date_bound(QStringLiteral("audit_since"), this, [this] { return newest_day(); })),
      until_(date_bound(QStringLiteral("audit_until"), this, [this] { return newest_day(); })),
      user_(new QLineEdit(this)),
      record_(new QLineEdit(this)),
      table_(new QTableWidget(this)),
      more_(new QPushButton(tr("More"), this)),
      print_(new QPushButton(tr("Print..."), this)),
      status_(new QLabel(this)),
      anchor_(new QLineEdit(this)),
      check_anchor_(new QPushButton(tr("Check Anchor"), this)),
      anchor_said_(new QLabel(this)) {
    setObjectName(QStringLiteral("Audit_Trail"));
    setWindowTitle(tr("Audit Trail"));
    const QString utc_days = tr("Days in UTC, as the times listed");
    since_->setToolTip(utc_days);
    until_->setToolTip(utc_days);
    user_->setObjectName(QStringLiteral("audit_user"));
    user_->setPlaceholderText(tr("User ID"));
    user_->setClearButtonEnabled(true);
    record_->setObjectName(QStringLiteral("audit_record"));
    record_->setPlaceholderText(tr("any"));
    record_->setValidator(new QIntValidator(1, std::numeric_limits<int>::max(), record_));
    record_->setClearButtonEnabled(true);
    record_->setMaximumWidth(110);
    table_->setObjectName(QStringLiteral("audit_list"));
    table_->setColumnCount(kColumns);
    table_->setHorizontalHeaderLabels({tr("Sequence"), tr("UTC time"), tr("User"),
                                       tr("Workstation"), tr("Action"), tr("Object"), tr("Old"),
                                       tr("New"), tr("Reason")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    more_->setObjectName(QStringLiteral("audit_more"));
    print_->setObjectName(QStringLiteral("audit_print"));
    status_->setObjectName(QStringLiteral("audit_status"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    anchor_->setObjectName(QStringLiteral("audit_anchor"));
    anchor_->setPlaceholderText(tr("HEAD <sequence>:<hash> from a report, a bundle or a printout"));
    anchor_->setClearButtonEnabled(true);
    check_anchor_->setObjectName(QStringLiteral("audit_check_anchor"));
    anchor_said_->setObjectName(QStringLiteral("audit_anchor_result"));
    anchor_said_->setWordWrap(true);
    anchor_said_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* filters = new QHBoxLayout;
    filters->addWidget(label(tr("From"), this));
    filters->addWidget(since_);
    filters->addWidget(any_date_button(*since_));
    filters->addWidget(label(tr("to"), this));
    filters->addWidget(until_);
    filters->addWidget(any_date_button(*until_));
    filters->addSpacing(12);
    filters->addWidget(label(tr("User:"), this));
    filters->addWidget(user_, 1);
    filters->addSpacing(12);
    filters->addWidget(label(tr("Record:"), this));
    filters->addWidget(record_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(more_);
    buttons->addWidget(print_);
    buttons->addSpacing(24);
    buttons->addWidget(label(tr("Anchor:"), this));
    buttons->addWidget(anchor_, 1);
    buttons->addWidget(check_anchor_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_);
    layout->addWidget(anchor_said_);
    resize(QSize(1180, 560).boundedTo(screen()->availableGeometry().size()));

    connect(since_, &QDateEdit::dateChanged, this, &AuditTrailWindow::refresh);
    connect(until_, &QDateEdit::dateChanged, this, &AuditTrailWindow::refresh);
    connect(user_, &QLineEdit::textChanged, this, &AuditTrailWindow::refresh);
    connect(record_, &QLineEdit::textChanged, this, &AuditTrailWindow::refresh);
    connect(more_, &QPushButton::clicked, this, &AuditTrailWindow::read_page);
    connect(print_, &QPushButton::clicked, this, &AuditTrailWindow::print);
    connect(check_anchor_, &QPushButton::clicked, this, &AuditTrailWindow::check_anchor);
    connect(anchor_, &QLineEdit::returnPressed, this, &AuditTrailWindow::check_anchor);
    connect(anchor_, &QLineEdit::textChanged, anchor_said_, &QLabel::clear);
}

// The whole trail checked against a head kept elsewhere: one it no longer holds is a rewrite
// or a cut tail that the chain alone cannot show.
void AuditTrailWindow::check_anchor() {
    const std::optional<archive::Anchor> anchor =
        archive::parse_anchor(anchor_->text().toStdString());
    if (!anchor) {
        anchor_said_->setText(
            tr("Not an anchor: paste \"HEAD <sequence>:<hash>\" as a report,"
               " a bundle or a printout names it."));
        return;
    }
    const std::optional<archive::TrailCheck> check = archive_().check_audit_trail({*anchor});
    if (!check) {
        anchor_said_->setText(tr("The audit trail cannot be read: %1").arg(archive_().error()));
    } else if (check->broken) {
        anchor_said_->setText(tr("BROKEN AT %1: %2")
                                  .arg(check->broken->sequence)
                                  .arg(QString::fromUtf8(archive::break_text(check->broken->why))));
    } else if (!check->not_held.empty()) {
        anchor_said_->setText(tr("ANCHOR %1 NOT HELD: the trail was rewritten or cut after the"
                                 " head was printed.")
                                  .arg(anchor->sequence));
    } else {
        anchor_said_->setText(
            tr("ANCHOR %1 HELD: the trail still has that head, and its %2 events chain intact.")
                .arg(anchor->sequence)
                .arg(check->events));
    }
}

void AuditTrailWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

// The calendars open at the newest event listed.
QDate AuditTrailWindow::newest_day() const {
    return table_->rowCount() > 0
               ? QDate::fromString(table_->item(0, kUtc)->text().left(10), Qt::ISODate)
               : QDate();
}

archive::AuditFilter AuditTrailWindow::filter() const {
    archive::AuditFilter filter;
    if (const QDate since = bound_of(*since_); since.isValid()) {
        filter.since_utc_ms = utc_ms_of(since);
    }
    if (const QDate until = bound_of(*until_); until.isValid()) {
        filter.until_utc_ms = utc_ms_of(until.addDays(1));
    }
    filter.user_id = user_->text().trimmed().toStdString();
    if (!record_->text().isEmpty()) {
        filter.object = "record:" + record_->text().toStdString();
    }
    return filter;
}

void AuditTrailWindow::refresh() {
    table_->setRowCount(0);
    read_page();
    for (int column = kSequence; column < kReason; ++column) {
        table_->resizeColumnToContents(column);
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), kWidestColumn));
    }
}

// The next page after the rows shown; More stays while a page came back full.
void AuditTrailWindow::read_page() {
    archive::MissionArchive& archive = archive_();
    const int first = table_->rowCount();
    int row = first;
    const bool read =
        archive.for_newest_events(filter(), row, kPage, [&](const archive::AuditEntry& entry) {
            table_->insertRow(row);
            int column = 0;
            bool lines = false;
            for (const QString& text : row_texts(entry.chained.row)) {
                auto* item = new QTableWidgetItem(text);
                item->setToolTip(literal_tooltip(text));  // whole where the column cuts it short
                table_->setItem(row, column++, item);
                lines = lines || text.contains(QLatin1Char('\n'));
            }
            if (lines) {
                table_->resizeRowToContents(row);
            }
            ++row;
        });
    more_->setEnabled(read && row - first == kPage);
    status_->setText(!read      ? tr("The audit trail cannot be read: %1").arg(archive.error())
                     : row == 0 ? tr("No events match")
                     : row == 1 ? tr("1 event shown")
                                : tr("%1 events shown, newest first").arg(row));
}

QString AuditTrailWindow::filter_text() const {
    QStringList parts;
    const auto day = [](const QDateEdit& box) {
        const QDate bound = bound_of(box);
        return bound.isValid() ? bound.toString(Qt::ISODate) : tr("any");
    };
    parts << tr("UTC days %1 to %2").arg(day(*since_), day(*until_));
    parts << tr("user %1").arg(user_->text().trimmed().isEmpty() ? tr("any")
                                                                 : user_->text().trimmed());
    parts << tr("record %1").arg(record_->text().isEmpty() ? tr("any") : record_->text());
    return parts.join(QStringLiteral(", "));
}

void AuditTrailWindow::print_to(QPrinter& printer) {
    const std::string head = archive_().audit_head_text();
    const QStringList lines{
        tr("Archive: %1").arg(archive_().path()),
        tr("Events: %1 (%2 shown, newest first)").arg(filter_text()).arg(table_->rowCount()),
        tr("Printed: %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)),
        tr("Audit trail at printing: %1")
            .arg(head.empty() ? tr("unknown") : QString::fromStdString(head)),
    };
    QString html = QStringLiteral("<h2>%1</h2><p>").arg(tr("Audit Trail"));
    for (const QString& line : lines) {
        html += line.toHtmlEscaped() + QStringLiteral("<br>");
    }
    html += QStringLiteral("</p>");
    html += QStringLiteral("<table border='1' cellspacing='0' cellpadding='2'><tr>");
    for (int column = 0; column < kColumns; ++column) {
        html += QStringLiteral("<th>%1</th>")
                    .arg(table_->horizontalHeaderItem(column)->text().toHtmlEscaped());
    }
    for (int row = 0; row < table_->rowCount(); ++row) {
        html += QStringLiteral("</tr><tr>");
        for (int column = 0; column < kColumns; ++column) {
            html +=
                QStringLiteral("<td>%1</td>").arg(html_lines(table_->item(row, column)->text()));
        }
    }
    html += QStringLiteral("</tr></table>");
    printer.setPageOrientation(QPageLayout::Landscape);
    QTextDocument document;
    document.setDefaultFont(QFont(font().family(), 7));
    document.setHtml(html);
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        show_not_printed(this, "audit_trail_not_printed", tr("Audit Trail"), printer);
    }
}

void AuditTrailWindow::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        print_to(printer);
    }
}

}  // namespace frostel::app

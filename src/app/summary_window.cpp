#include "app/summary_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

#include "report/chart_summary.h"
#include "report/result_palette.h"

namespace frostel::app {

namespace {

using insight::LoggerTime;

// The user's locale without group separators, written or read: a number the window shows
// reads back as the same number ("2.500" in German is not 2500).
QLocale number_locale(QLocale locale = QLocale()) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

QString symbol(mission::TemperatureUnit unit) {
    switch (unit) {
        case mission::TemperatureUnit::kFahrenheit:
            return QStringLiteral("°F");
        case mission::TemperatureUnit::kKelvin:
            return QStringLiteral("K");
        case mission::TemperatureUnit::kReaumur:
            return QStringLiteral("°Ré");
        case mission::TemperatureUnit::kCelsius:
            break;
    }
    return QStringLiteral("°C");
}

QString time_text(LoggerTime time) {
    return QString::fromStdString(insight::time_text(time));
}

QString duration_text(std::int64_t seconds) {
    return QString::fromStdString(insight::duration_text(seconds));
}

QString plain_number(const std::optional<double>& value) {
    return value ? number_locale().toString(*value, 'g', 10) : QString();
}

QString row(const QString& name, const QString& value) {
    return QStringLiteral("<tr><td>%1</td><td style='padding-left:12px'>%2</td></tr>")
        .arg(name.toHtmlEscaped(), value.toHtmlEscaped());
}

QString table(const QString& rows) {
    return QStringLiteral("<table>%1</table>").arg(rows);
}

QString statistics_text(const insight::Summary& s) {
    const insight::Statistics& st = s.statistics;
    const QString u = symbol(s.unit);
    const auto value = [&u](const std::optional<double>& v) {
        return v ? number_locale().toString(*v, 'f', 2) + QLatin1Char(' ') + u
                 : QStringLiteral("-");
    };
    const auto at = [&](const std::optional<insight::TimedValue>& v) {
        return v ? value(v->value) + QStringLiteral("  at ") + time_text(v->time)
                 : QStringLiteral("-");
    };
    QString rows = row(QStringLiteral("Samples"), QString::number(st.count));
    if (st.first) {
        rows += row(QStringLiteral("From"), time_text(*st.first)) +
                row(QStringLiteral("To"), time_text(*st.last));
    }
    rows += row(QStringLiteral("Duration"), duration_text(s.duration_s)) +
            row(QStringLiteral("Interval"),
                QString::fromStdString(insight::interval_text(s.interval_s))) +
            row(QStringLiteral("Minimum"), at(st.minimum)) +
            row(QStringLiteral("Maximum"), at(st.maximum)) +
            row(QStringLiteral("Mean"), value(st.mean)) +
            row(QStringLiteral("Standard deviation"),
                st.standard_deviation ? number_locale().toString(*st.standard_deviation, 'f', 2)
                                      : QStringLiteral("-")) +
            row(QStringLiteral("Mean kinetic temperature"), value(st.mean_kinetic)) +
            row(QStringLiteral("Time below"), duration_text(s.excursions.below.seconds)) +
            row(QStringLiteral("Time above"), duration_text(s.excursions.above.seconds));
    return table(rows);
}

QString flags_text(const insight::Summary& s) {
    if (!s.flags) {
        return QStringLiteral("Not kept with this mission.");
    }
    const insight::LoggerFlags& f = *s.flags;
    QString text;
    std::vector<std::string> warnings = mission::clock_warnings(s.clock);
    for (std::string& warning : insight::flag_warnings(f)) {
        warnings.push_back(std::move(warning));
    }
    for (const std::string& warning : warnings) {
        text += QStringLiteral("<p style='color:%1; font-weight:bold'>%2</p>")
                    .arg(report::result_colour(report::ResultKind::kFail).name(),
                         QString::fromStdString(warning).toHtmlEscaped());
    }
    const auto yes_no = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    QString rows = row(QStringLiteral("Low alarm"), yes_no(f.low_alarm)) +
                   row(QStringLiteral("High alarm"), yes_no(f.high_alarm)) +
                   row(QStringLiteral("Battery reset"), yes_no(f.battery_reset)) +
                   row(QStringLiteral("Waiting for alarm"), yes_no(f.waiting_for_alarm)) +
                   row(QStringLiteral("Rollover"), yes_no(f.rollover)) +
                   row(QStringLiteral("Device samples"), QString::number(f.device_samples));
    if (s.time_zone && !s.time_zone->name.empty()) {
        rows +=
            row(QStringLiteral("PC time zone"),
                QStringLiteral("%1 (%2)").arg(
                    QString::fromStdString(s.time_zone->name),
                    QString::fromStdString(insight::utc_offset_text(s.time_zone->utc_offset_s))));
    }
    for (const std::string& line : report::clock_lines(s)) {
        rows += row(QStringLiteral("Clock"), QString::fromStdString(line));
    }
    return text + table(rows);
}

QString settings_text(const std::optional<mission::MissionRecord>& record,
                      mission::TemperatureUnit unit) {
    if (!record) {
        return QStringLiteral("Not kept with this mission.");
    }
    QString rows;
    for (const auto& [name, value] :
         insight::mission_settings(*record, unit, symbol(unit).toStdString())) {
        rows += row(QString::fromStdString(name), QString::fromStdString(value));
    }
    return table(rows);
}

QStringList excursion_row(const insight::Excursion& e, const QString& unit) {
    return {e.side == insight::Side::kBelow ? QStringLiteral("below") : QStringLiteral("above"),
            time_text(e.start), time_text(e.end), duration_text(e.seconds),
            number_locale().toString(e.peak.value, 'f', 2) + QLatin1Char(' ') + unit};
}

// As wide as the widest row a mission gives, so that every column shows without scrolling.
void fit_to_widest_row(QTreeWidget& list) {
    insight::Excursion widest;
    widest.side = insight::Side::kBelow;
    widest.seconds = 9999 * 3600 + 59 * 60;
    widest.peak.value = -100.0;
    const auto* probe = new QTreeWidgetItem(&list, excursion_row(widest, QStringLiteral("°Ré")));
    const QAbstractItemView& view = list;  // the tree hides the public measure
    int width = 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < list.columnCount(); ++column) {
        width += std::max(view.sizeHintForColumn(column), list.header()->sectionSizeHint(column));
    }
    delete probe;
    list.setMinimumWidth(width);
}

QGroupBox* group(const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

QLabel* text_label(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long rows wrap: a unit's longer figures never widen the window past the screen.
    label->setWordWrap(true);
    return label;
}

QLineEdit* number_field(const char* name, const QString& placeholder) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setMaximumWidth(90);
    return field;
}

}  // namespace

std::optional<double> typed_number(const QString& text, bool* valid) {
    const QString trimmed = text.trimmed();
    bool ok = trimmed.isEmpty();
    double value = number_locale().toDouble(trimmed, &ok);
    if (!ok) {
        value = number_locale(QLocale::c()).toDouble(trimmed, &ok);
    }
    ok = ok && std::isfinite(value);
    if (valid != nullptr) {
        *valid = trimmed.isEmpty() || ok;
    }
    return ok && !trimmed.isEmpty() ? std::optional<double>(value) : std::nullopt;
}

void show_verdict(QLabel& label, const insight::Summary& summary, const QString& layout_style) {
    label.setText(QString::fromStdString(summary.verdict));
    label.setStyleSheet(report::result_style(report::result_kind(summary.verdict_kind)) +
                        QLatin1Char(' ') + layout_style);
}

SummaryWindow::SummaryWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      verdict_(new QLabel),
      statistics_(text_label("statistics")),
      low_(number_field("low_limit", QStringLiteral("none"))),
      high_(number_field("high_limit", QStringLiteral("none"))),
      source_(new QLabel),
      delta_h_(number_field("delta_h", QString())),
      excursions_(new QTreeWidget),
      flags_(text_label("flags")),
      settings_(text_label("mission_settings")) {
    setObjectName("Mission_Summary");
    setWindowTitle(QStringLiteral("Mission Summary"));
    verdict_->setObjectName("verdict");
    verdict_->setAlignment(Qt::AlignCenter);
    source_->setObjectName("limit_source");
    source_->setWordWrap(true);
    excursions_->setObjectName("excursions");
    excursions_->setRootIsDecorated(false);
    excursions_->setHeaderLabels({QStringLiteral("Side"), QStringLiteral("From"),
                                  QStringLiteral("To"), QStringLiteral("Duration"),
                                  QStringLiteral("Peak")});
    excursions_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    excursions_->setMinimumHeight(110);
    fit_to_widest_row(*excursions_);

    auto* limits = new QWidget;
    auto* limit_form = new QFormLayout(limits);
    limit_form->addRow(QStringLiteral("Low limit"), low_);
    limit_form->addRow(QStringLiteral("High limit"), high_);
    limit_form->addRow(QStringLiteral("Source"), source_);
    limit_form->addRow(QStringLiteral("dH (kJ/mol)"), delta_h_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(verdict_, 0, 0, 1, 2);
    layout->addWidget(group(QStringLiteral("Statistics"), statistics_), 1, 0, 2, 1);
    layout->addWidget(group(QStringLiteral("Limits"), limits), 3, 0);
    layout->addWidget(group(QStringLiteral("Excursions"), excursions_), 1, 1);
    layout->addWidget(group(QStringLiteral("Logger flags"), flags_), 2, 1);
    layout->addWidget(group(QStringLiteral("Mission settings"), settings_), 3, 1);
    layout->setRowStretch(1, 1);

    connect(low_, &QLineEdit::editingFinished, this, &SummaryWindow::read_limits);
    connect(high_, &QLineEdit::editingFinished, this, &SummaryWindow::read_limits);
    connect(delta_h_, &QLineEdit::editingFinished, this, &SummaryWindow::read_delta_h);
    connect(excursions_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        emit excursionChosen(item->data(0, Qt::UserRole).toInt(),
                             item->data(1, Qt::UserRole).toInt());
    });
}

void SummaryWindow::show_summary(const insight::Summary& summary,
                                 const std::optional<mission::MissionRecord>& record) {
    show_verdict(*verdict_, summary, QStringLiteral("padding: 4px;"));
    statistics_->setText(statistics_text(summary));
    const bool users = summary.limits.source == insight::LimitSource::kUser ||
                       summary.limits.source == insight::LimitSource::kRemembered;
    shown_low_ = users ? summary.limits.low : std::nullopt;
    shown_high_ = users ? summary.limits.high : std::nullopt;
    shown_delta_h_ = summary.delta_h_kj_per_mol;
    low_->setText(plain_number(shown_low_));
    high_->setText(plain_number(shown_high_));
    const QString u = symbol(summary.unit);
    const auto limit_text = [&u](const std::optional<double>& v) {
        return v ? number_locale().toString(*v, 'f', 2) + QLatin1Char(' ') + u
                 : QStringLiteral("none");
    };
    source_->setText(QStringLiteral("%1 to %2, %3")
                         .arg(limit_text(summary.limits.low), limit_text(summary.limits.high),
                              QString::fromStdString(summary.limits_source())));
    delta_h_->setText(number_locale().toString(summary.delta_h_kj_per_mol, 'g', 6));
    excursions_->clear();
    for (const insight::Excursion& e : summary.excursions.excursions) {
        auto* item = new QTreeWidgetItem(excursions_, excursion_row(e, u));
        item->setData(0, Qt::UserRole, e.first_index);
        item->setData(1, Qt::UserRole, e.first_index + e.samples - 1);
    }
    flags_->setText(flags_text(summary));
    settings_->setText(settings_text(record, summary.unit));
}

SummaryWindow::~SummaryWindow() {
    // A field that holds the focus loses it while the widget part is torn down, after this
    // part is gone: its "editing finished" must not reach this window any more.
    for (QLineEdit* field : {low_, high_, delta_h_}) {
        field->disconnect(this);
    }
}

void SummaryWindow::read_limits() {
    bool low_ok = false;
    bool high_ok = false;
    const std::optional<double> low = typed_number(low_->text(), &low_ok);
    const std::optional<double> high = typed_number(high_->text(), &high_ok);
    if (!low_ok || !high_ok || (low && high && *low > *high)) {
        // Refused: the fields show the limits in force again.
        low_->setText(plain_number(shown_low_));
        high_->setText(plain_number(shown_high_));
        return;
    }
    if (low != shown_low_ || high != shown_high_) {
        emit limitsEdited(low, high);
    }
}

void SummaryWindow::read_delta_h() {
    const std::optional<double> value = typed_number(delta_h_->text());
    if (!value || !insight::delta_h_in_range(*value)) {
        delta_h_->setText(number_locale().toString(shown_delta_h_, 'g', 6));
        return;
    }
    if (*value != shown_delta_h_) {
        emit deltaHEdited(*value);
    }
}

}  // namespace frostel::app

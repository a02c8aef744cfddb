#include "app/summary_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFocusEvent>
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

#include "app/signatures_box.h"
#include "report/result_palette.h"
#include "report/summary_rows.h"

namespace frostel::app {

namespace {

// The user's locale without group separators, written or read: a number the window shows
// reads back as the same number ("2.500" in German is not 2500).
QLocale number_locale(QLocale locale = QLocale()) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

QString plain_number(const std::optional<double>& value) {
    return value ? number_locale().toString(*value, 'g', 10) : QString();
}

QString fields_text(const std::vector<report::Field>& fields) {
    QString rows;
    for (const report::Field& field : fields) {
        rows += QStringLiteral("<tr><td>%1</td><td style='padding-left:12px'>%2</td></tr>")
                    .arg(field.label.toHtmlEscaped(), field.value.toHtmlEscaped());
    }
    return QStringLiteral("<table>%1</table>").arg(rows);
}

QString warnings_text(const QStringList& warnings) {
    if (warnings.isEmpty()) {
        return QString::fromLatin1(report::kNoneText);
    }
    QString text;
    for (const QString& warning : warnings) {
        text += QStringLiteral("<p style='color:%1; font-weight:bold'>%2</p>")
                    .arg(report::result_colour(report::ResultKind::kFail).name(),
                         warning.toHtmlEscaped());
    }
    return text;
}

void show_table(QTreeWidget& list, const report::Table& table) {
    list.clear();
    list.setHeaderLabels(table.headings);
    for (const QStringList& row : table.rows) {
        (void)new QTreeWidgetItem(&list, row);
    }
}

// As wide as the widest row a mission gives, so that every column shows without scrolling.
void fit_to_widest_row(QTreeWidget& list) {
    insight::ExcursionReport widest;
    widest.excursions.resize(1);
    widest.excursions[0].seconds = 9999 * 3600 + 59 * 60;
    widest.excursions[0].peak.value = -100.0;
    show_table(list, report::excursion_table(widest, mission::TemperatureUnit::kFahrenheit));
    const QAbstractItemView& view = list;  // the tree hides the public measure
    int width = 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < list.columnCount(); ++column) {
        width += std::max(view.sizeHintForColumn(column), list.header()->sectionSizeHint(column));
    }
    list.clear();
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
      settings_(text_label("mission_settings")),
      statistics_group_(group(QString(), statistics_)),
      signatures_(new SignaturesBox) {
    setObjectName("Mission_Summary");
    setWindowTitle(QStringLiteral("Mission Summary"));
    // A figure stays on one line with its time; the statistics' rows are short enough.
    statistics_->setWordWrap(false);
    for (QLabel* label : {settings_, flags_, source_}) {
        label->installEventFilter(this);
    }
    verdict_->setObjectName("verdict");
    verdict_->setAlignment(Qt::AlignCenter);
    source_->setObjectName("limit_source");
    source_->setWordWrap(true);
    excursions_->setObjectName("excursions");
    excursions_->setRootIsDecorated(false);
    excursions_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    excursions_->setMinimumHeight(80);
    fit_to_widest_row(*excursions_);

    auto* limits = new QWidget;
    auto* limit_form = new QFormLayout(limits);
    limit_form->addRow(QStringLiteral("Low limit"), low_);
    limit_form->addRow(QStringLiteral("High limit"), high_);
    limit_form->addRow(QStringLiteral("In force"), source_);
    limit_form->addRow(QStringLiteral("dH (kJ/mol)"), delta_h_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(verdict_, 0, 0, 1, 2);
    layout->addWidget(statistics_group_, 1, 0);
    layout->addWidget(group(QString::fromLatin1(report::kSettingsTitle), settings_), 1, 1);
    layout->addWidget(group(QStringLiteral("Limits"), limits), 2, 0);
    layout->addWidget(group(QString::fromLatin1(report::kWarningsTitle), flags_), 2, 1);
    // The excursions' rows are the longest: they take the whole width.
    layout->addWidget(group(QString::fromLatin1(report::kExcursionsTitle), excursions_), 3, 0, 1,
                      2);
    layout->addWidget(signatures_, 4, 0, 1, 2);
    signatures_->hide();
    layout->setRowStretch(3, 1);

    // The two limits are one change, taken when confirmed or left: a step from one field to
    // the other keeps the pair open, so no half-typed pair is ever set.
    for (QLineEdit* field : {low_, high_}) {
        connect(field, &QLineEdit::returnPressed, this, &SummaryWindow::read_limits);
        field->installEventFilter(this);
    }
    connect(delta_h_, &QLineEdit::editingFinished, this, &SummaryWindow::read_delta_h);
    connect(excursions_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        emit excursionChosen(item->data(0, Qt::UserRole).toInt(),
                             item->data(1, Qt::UserRole).toInt());
    });
}

void SummaryWindow::show_summary(const insight::Summary& summary,
                                 const std::optional<mission::MissionRecord>& record) {
    const report::SummaryRows rows = report::summary_rows(summary, record);
    show_verdict(*verdict_, summary, QStringLiteral("padding: 4px;"));
    statistics_group_->setTitle(rows.statistics_title);
    statistics_->setText(fields_text(rows.statistics));
    const bool users = summary.limits.source == insight::LimitSource::kUser ||
                       summary.limits.source == insight::LimitSource::kRemembered;
    shown_low_ = users ? summary.limits.low : std::nullopt;
    shown_high_ = users ? summary.limits.high : std::nullopt;
    shown_delta_h_ = summary.delta_h_kj_per_mol;
    low_->setText(plain_number(shown_low_));
    high_->setText(plain_number(shown_high_));
    source_->setText(rows.limits);
    delta_h_->setText(number_locale().toString(summary.delta_h_kj_per_mol, 'g', 6));
    show_table(*excursions_, rows.excursions);
    const std::vector<insight::Excursion>& excursions = summary.excursions.excursions;
    for (std::size_t i = 0; i < excursions.size(); ++i) {
        QTreeWidgetItem* item = excursions_->topLevelItem(static_cast<int>(i));
        item->setData(0, Qt::UserRole, excursions[i].first_index);
        item->setData(1, Qt::UserRole, excursions[i].first_index + excursions[i].samples - 1);
    }
    flags_->setText(warnings_text(rows.warnings));
    settings_->setText(fields_text(rows.settings));
}

// A grid asks a wrapping label for its height at a guessed width, so a narrower column clips
// its last lines; each label is kept at least as tall as its text at its real width.
bool SummaryWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label != nullptr && event->type() == QEvent::Resize) {
        label->setMinimumHeight(std::max(0, label->heightForWidth(label->width())));
    }
    if ((watched == low_ || watched == high_) && event->type() == QEvent::FocusOut &&
        leaves_the_limits(*static_cast<QFocusEvent*>(event))) {
        read_limits();
    }
    return QWidget::eventFilter(watched, event);
}

// Another window taking the focus (a dialog, the chart) leaves the fields as they are until
// the user comes back; the focus moving on within this window leaves them.
bool SummaryWindow::leaves_the_limits(const QFocusEvent& event) const {
    const QWidget* next = QApplication::focusWidget();
    return event.reason() != Qt::ActiveWindowFocusReason &&
           event.reason() != Qt::PopupFocusReason && next != low_ && next != high_;
}

void SummaryWindow::closeEvent(QCloseEvent* event) {
    read_limits();
    QWidget::closeEvent(event);
}

SummaryWindow::~SummaryWindow() {
    // A field that holds the focus loses it while the widget part is torn down, after this
    // part is gone: its "editing finished" must not reach this window any more.
    for (QLineEdit* field : {low_, high_, delta_h_}) {
        field->disconnect(this);
        field->removeEventFilter(this);
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

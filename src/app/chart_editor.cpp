#include "app/chart_editor.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/chart_view.h"
#include "app/topmost.h"

namespace frostel::app {

namespace {

constexpr double kAxisLimit = 1e9;

QDoubleSpinBox* range_box() {
    auto* box = new QDoubleSpinBox;
    box->setRange(-kAxisLimit, kAxisLimit);
    box->setDecimals(2);
    return box;
}

datafile::Rgb colour_of(const QPushButton* button) {
    return button->property("rgb").toUInt();
}

void show_colour(QPushButton* button, datafile::Rgb rgb) {
    button->setProperty("rgb", rgb);
    const QColor colour = QColor::fromRgb(static_cast<QRgb>(rgb));
    button->setText(colour.name());
    button->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                              .arg(colour.name(), colour.lightness() < 128 ? "white" : "black"));
}

}  // namespace

// The range as entered, or the chart's own when the minimum is above the maximum. The
// title only where it can be edited.
void ChartEditor::take_axis(datafile::ChartAxis& axis, const AxisFields& fields) {
    if (!fields.title->isReadOnly()) {
        axis.title = fields.title->text();
    }
    if (fields.minimum->value() <= fields.maximum->value()) {
        axis.minimum = fields.minimum->value();
        axis.maximum = fields.maximum->value();
    }
}

ChartEditor::ChartEditor(QWidget* parent)
    : QDialog(parent),
      title_lines_(new QPlainTextEdit),
      left_(axis_fields("left")),
      right_(axis_fields("right")),
      bottom_(axis_fields("bottom")),
      bottom_automatic_(new QCheckBox(tr("Automatic"))),
      line_colour_(new QPushButton),
      line_width_(new QSpinBox),
      background_colour_(new QPushButton) {
    setObjectName("TeeEditor1");
    setWindowTitle(tr("Edit Chart"));
    title_lines_->setObjectName("title_lines");
    title_lines_->setFixedHeight(fontMetrics().height() * 3 + 12);
    connect(title_lines_, &QPlainTextEdit::textChanged, this,
            &ChartEditor::keep_title_within_limits);
    left_.title->setReadOnly(true);
    QPalette shown_only = left_.title->palette();
    shown_only.setColor(QPalette::Base, shown_only.color(QPalette::Window));
    left_.title->setPalette(shown_only);
    left_.title->setToolTip(tr("The temperature unit: Select Temperature Unit changes it"));
    bottom_automatic_->setObjectName("bottom_automatic");
    line_colour_->setObjectName("line_colour");
    line_width_->setObjectName("line_width");
    line_width_->setRange(0, datafile::kMaxLineWidth);
    background_colour_->setObjectName("background_colour");
    connect(line_colour_, &QPushButton::clicked, this, [this] { pick_colour(line_colour_); });
    connect(background_colour_, &QPushButton::clicked, this,
            [this] { pick_colour(background_colour_); });

    auto* form = new QFormLayout;
    form->addRow(tr("Title"), title_lines_);
    const auto add_axis = [form](const QString& label, const AxisFields& fields,
                                 QWidget* extra = nullptr) {
        auto* row = new QHBoxLayout;
        row->addWidget(fields.title, 2);
        row->addWidget(fields.minimum, 1);
        row->addWidget(fields.maximum, 1);
        if (extra != nullptr) {
            row->addWidget(extra);
        }
        form->addRow(label, row);
    };
    add_axis(tr("Left axis"), left_);
    add_axis(tr("Right axis"), right_);
    add_axis(tr("Bottom axis"), bottom_, bottom_automatic_);
    auto* line = new QHBoxLayout;
    line->addWidget(line_colour_);
    line->addWidget(line_width_);
    form->addRow(tr("Line colour, width"), line);
    form->addRow(tr("Background"), background_colour_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply |
                                         QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        hide();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &ChartEditor::apply);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

ChartEditor::AxisFields ChartEditor::axis_fields(const QString& name) {
    AxisFields fields{new QLineEdit, range_box(), range_box()};
    fields.title->setObjectName(name + "_title");
    fields.title->setMaxLength(static_cast<int>(datafile::kMaxChartTextLength));
    fields.minimum->setObjectName(name + "_minimum");
    fields.maximum->setObjectName(name + "_maximum");
    return fields;
}

void ChartEditor::attach(ChartView* chart) {
    chart_ = chart;
    connect(chart_, &ChartView::documentChanged, this, [this] {
        if (isVisible()) {
            show_settings(chart_->document(), false);
        }
    });
}

void ChartEditor::edit() {
    if (chart_ == nullptr) {
        return;
    }
    show_settings(chart_->document(), true);
    show_topmost(this);
}

void ChartEditor::show_settings(const datafile::ChartDocument& now, bool every_field) {
    const auto show = [every_field](const auto& before, const auto& after, auto&& fill) {
        if (every_field || before != after) {
            fill(after);
        }
    };
    show(shown_.title_lines, now.title_lines, [this](const QStringList& lines) {
        title_lines_->setPlainText(lines.join(QLatin1Char('\n')));
    });
    const auto show_axis = [&show](const AxisFields& fields, const datafile::ChartAxis& before,
                                   const datafile::ChartAxis& after) {
        show(before.title, after.title, [&](const QString& t) { fields.title->setText(t); });
        show(before.minimum, after.minimum, [&](double v) { fields.minimum->setValue(v); });
        show(before.maximum, after.maximum, [&](double v) { fields.maximum->setValue(v); });
    };
    show_axis(left_, shown_.left, now.left);
    show_axis(right_, shown_.right, now.right);
    show_axis(bottom_, shown_.bottom, now.bottom);
    show(shown_.bottom.automatic, now.bottom.automatic,
         [this](bool on) { bottom_automatic_->setChecked(on); });
    show(shown_.line_colour, now.line_colour,
         [this](datafile::Rgb rgb) { show_colour(line_colour_, rgb); });
    show(shown_.line_width, now.line_width, [this](int width) { line_width_->setValue(width); });
    show(shown_.background_colour, now.background_colour,
         [this](datafile::Rgb rgb) { show_colour(background_colour_, rgb); });
    shown_ = now;
}

// Typing or pasting beyond a document's limits keeps the title at them.
void ChartEditor::keep_title_within_limits() {
    const QStringList lines = title_lines_->toPlainText().split(QLatin1Char('\n'));
    const QStringList kept = datafile::title_lines_within_limits(lines);
    if (kept != lines) {
        title_lines_->setPlainText(kept.join(QLatin1Char('\n')));
        title_lines_->moveCursor(QTextCursor::End);
    }
}

void ChartEditor::apply() {
    if (chart_ == nullptr) {
        return;
    }
    datafile::ChartDocument document = chart_->document();
    document.title_lines =
        datafile::title_lines_within_limits(title_lines_->toPlainText().split(QLatin1Char('\n')));
    take_axis(document.left, left_);
    take_axis(document.right, right_);
    take_axis(document.bottom, bottom_);
    document.bottom.automatic = bottom_automatic_->isChecked();
    document.line_colour = colour_of(line_colour_);
    document.line_width = line_width_->value();
    document.background_colour = colour_of(background_colour_);
    chart_->set_document(std::move(document));
}

void ChartEditor::pick_colour(QPushButton* button) {
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgb(static_cast<QRgb>(colour_of(button))), this);
    if (chosen.isValid()) {
        show_colour(button, chosen.rgb() & 0xFFFFFF);
    }
}

}  // namespace frostel::app

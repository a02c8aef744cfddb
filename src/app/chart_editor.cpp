#include "chart_editor.h"

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

#include "chart_view.h"
#include "topmost.h"

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

// The range as entered, or the chart's own when the minimum is above the maximum.
void ChartEditor::take_axis(datafile::ChartAxis& axis, const AxisFields& fields) {
    axis.title = fields.title->text();
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
    fields.minimum->setObjectName(name + "_minimum");
    fields.maximum->setObjectName(name + "_maximum");
    return fields;
}

void ChartEditor::attach(ChartView* chart) {
    chart_ = chart;
}

void ChartEditor::edit() {
    if (chart_ == nullptr) {
        return;
    }
    show_settings(chart_->document());
    show_topmost(this);
}

void ChartEditor::show_settings(const datafile::ChartDocument& document) {
    title_lines_->setPlainText(document.title_lines.join(QLatin1Char('\n')));
    const auto show_axis = [](const AxisFields& fields, const datafile::ChartAxis& axis) {
        fields.title->setText(axis.title);
        fields.minimum->setValue(axis.minimum);
        fields.maximum->setValue(axis.maximum);
    };
    show_axis(left_, document.left);
    show_axis(right_, document.right);
    show_axis(bottom_, document.bottom);
    bottom_automatic_->setChecked(document.bottom.automatic);
    show_colour(line_colour_, document.line_colour);
    line_width_->setValue(document.line_width);
    show_colour(background_colour_, document.background_colour);
}

void ChartEditor::apply() {
    if (chart_ == nullptr) {
        return;
    }
    datafile::ChartDocument document = chart_->document();
    document.title_lines = title_lines_->toPlainText().split(QLatin1Char('\n'));
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

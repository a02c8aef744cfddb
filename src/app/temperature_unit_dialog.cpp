#include "app/temperature_unit_dialog.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>

#include "app/pictures.h"
#include "app/pixel_geometry.h"

namespace frostel::app {

namespace {

struct UnitOption {
    const char* caption;
    mission::TemperatureUnit unit;
    int top;
};

// The option index is the unit's place in this table.
constexpr UnitOption kOptions[] = {{"Celcius", mission::TemperatureUnit::kCelsius, 120},
                                   {"Farenheit", mission::TemperatureUnit::kFahrenheit, 360},
                                   {"Kelvin", mission::TemperatureUnit::kKelvin, 600},
                                   {"Reaumur", mission::TemperatureUnit::kReaumur, 840}};

// What a title bar takes beside its caption: the window's icon, the close button, margins.
constexpr int kTitleBarButtonsRoom = 96;

// The client area the options need, widened where the caption would be cut short.
int dialog_width(const QWidget& dialog) {
    QFont caption = dialog.font();
    caption.setBold(true);
    return std::max(
        twips_to_pixels(3030),
        QFontMetrics(caption).horizontalAdvance(dialog.windowTitle()) + kTitleBarButtonsRoom);
}

}  // namespace

TemperatureUnitDialog::TemperatureUnitDialog(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      options_(new QButtonGroup(this)) {
    setObjectName("Temperature_Unit");
    setWindowTitle("  Temperature Unit");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(dialog_width(*this), twips_to_pixels(1200));
    auto* image = new QLabel(this);
    image->setObjectName("Image1");
    image->setGeometry(pixel_rect({120, 60, 1080, 1080}));
    image->setPixmap(logo_picture(image->height()));
    for (int index = 0; index < static_cast<int>(std::size(kOptions)); ++index) {
        auto* option = new QRadioButton(kOptions[index].caption, this);
        option->setObjectName("Option1");
        option->setProperty("index", index);
        option->setGeometry(pixel_rect({1320, kOptions[index].top, 1575, 255}));
        options_->addButton(option, index);
    }
    options_->button(0)->setChecked(true);
    connect(options_, &QButtonGroup::idClicked, this,
            [this](int index) { emit unitChosen(kOptions[index].unit); });
}

void TemperatureUnitDialog::select(mission::TemperatureUnit unit) {
    const auto* entry = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [unit](const UnitOption& o) { return o.unit == unit; });
    QAbstractButton* option = options_->button(static_cast<int>(entry - std::begin(kOptions)));
    if (option != nullptr && !option->isChecked()) {
        option->setChecked(true);
        emit unitChosen(unit);
    }
}

void TemperatureUnitDialog::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace frostel::app

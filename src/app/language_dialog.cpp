#include "app/language_dialog.h"

#include <QToolButton>

#include "app/pictures.h"
#include "app/pixel_geometry.h"

namespace frostel::app {

namespace {

struct LanguageButton {
    const char* caption;
    Flag flag;
    bool enabled;
};

constexpr LanguageButton kButtons[] = {
    {"English", Flag::kEnglish, true},  {"Deutch", Flag::kGerman, false},
    {"French", Flag::kFrench, false},   {"Dansk", Flag::kDanish, true},
    {"English", Flag::kEnglish, false}, {"English", Flag::kEnglish, false},
    {"English", Flag::kEnglish, false}, {"English", Flag::kEnglish, false},
    {"English", Flag::kEnglish, false}};

constexpr int kColumnLefts[] = {240, 1200, 2160};
constexpr int kRowTops[] = {240, 960, 1680};

}  // namespace

LanguageDialog::LanguageDialog(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName("Language");
    setWindowTitle("Form1");
    setFixedSize(twips_to_pixels(3255), twips_to_pixels(2535));
    for (int index = 0; index < static_cast<int>(std::size(kButtons)); ++index) {
        const LanguageButton& entry = kButtons[index];
        auto* button = new QToolButton(this);
        button->setIcon(flag_icon(entry.flag));
        button->setText(entry.caption);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setObjectName("Command1");
        button->setProperty("index", index);
        button->setGeometry(pixel_rect({kColumnLefts[index % 3], kRowTops[index / 3], 855, 615}));
        button->setIconSize({24, 24});
        button->setEnabled(entry.enabled);
        connect(button, &QToolButton::clicked, this, [this, button] {
            emit pictureChosen(button->icon());
            hide();
        });
    }
}

}  // namespace frostel::app

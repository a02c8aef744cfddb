#include "app/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "app/app_version.h"
#include "app/pictures.h"
#include "app/pixel_geometry.h"

namespace frostel::app {

AboutBox::AboutBox(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName("About");
    setWindowTitle(QString());
    setFixedSize(twips_to_pixels(4572), twips_to_pixels(3132));
    auto* name = new QLabel("Frostel", this);
    name->setObjectName("Label1");
    name->setGeometry(pixel_rect({120, 120, 4335, 495}));
    name->setAlignment(Qt::AlignCenter);
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    large.setBold(true);
    name->setFont(large);
    auto* version = new QLabel("Version " + kVersion, this);
    version->setObjectName("Label2");
    version->setGeometry(pixel_rect({1320, 720, 1935, 255}));
    version->setAlignment(Qt::AlignCenter);
    auto* logo = new QLabel(this);
    logo->setObjectName("Image1");
    logo->setGeometry(pixel_rect({1566, 1080, 1440, 1440}));
    logo->setPixmap(logo_picture(logo->height()));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    ok->setGeometry(pixel_rect({120, 2640, 855, 375}));
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    // Across from "OK", as wide.
    auto* manual = new QPushButton(tr("Manual"), this);
    manual->setObjectName("manual_button");
    manual->setGeometry(pixel_rect({3597, 2640, 855, 375}));
    manual->setToolTip(tr("The user's manual (F1)"));
    // The box stays above every window: it goes, so that it covers none of the manual.
    connect(manual, &QPushButton::clicked, this, &QWidget::hide);
    connect(manual, &QPushButton::clicked, this, &AboutBox::manualRequested);
}

}  // namespace frostel::app

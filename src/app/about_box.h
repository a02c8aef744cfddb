#pragma once

#include <QWidget>

namespace frostel::app {

// The about box (About): the product's name, its version and the logo; "OK" hides it.
class AboutBox final : public QWidget {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace frostel::app

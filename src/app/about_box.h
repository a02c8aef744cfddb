#pragma once

#include <QWidget>

namespace frostel::app {

// The about box (About): the product's name, its version and the logo; "OK" hides it, and
// "Manual" asks for the user's manual.
class AboutBox final : public QWidget {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);

  signals:
    void manualRequested();
};

}  // namespace frostel::app

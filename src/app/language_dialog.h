#pragma once

#include <QIcon>
#include <QWidget>

namespace frostel::app {

// The language dialog (Language): nine picture buttons, of which only "English" and "Dansk"
// can be chosen. A choice changes nothing but the picture of the main window's button.
class LanguageDialog final : public QWidget {
    Q_OBJECT

  public:
    explicit LanguageDialog(QWidget* parent = nullptr);

  signals:
    void pictureChosen(const QIcon& picture);
};

}  // namespace frostel::app

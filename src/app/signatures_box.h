#pragma once

#include <QGroupBox>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace frostel::app {

// "Electronic signatures" of the archived record shown: a line for each, the word of a change
// of limits after signing in the failure's colour, and "Sign" for the person signed in.
class SignaturesBox final : public QGroupBox {
    Q_OBJECT

  public:
    explicit SignaturesBox(QWidget* parent = nullptr);

    void show_signatures(const QStringList& lines, bool changed_after_signing);
    [[nodiscard]] QPushButton& sign_button() const { return *sign_; }

  private:
    QPlainTextEdit* lines_;
    QLabel* changed_;
    QPushButton* sign_;
};

}  // namespace frostel::app

#pragma once

#include <QPlainTextEdit>

namespace frostel::app {

// The mission text box (RichTextBox1). It keeps the text's exact characters: CR, CR LF and
// LF each show as a line break and come back as they went in, a byte 0 shows as nothing
// and comes back too; a line break the user types is CR LF.
class MissionTextBox final : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit MissionTextBox(QWidget* parent = nullptr);

    void set_text(const QString& text);
    [[nodiscard]] QString text() const;
};

// How the box holds a text: CR LF as a paragraph break, a lone CR as a line separator, a
// lone LF as a line separator behind a zero-width joiner, byte 0 as a zero-width space.
// Mission texts are single bytes, so none of these stand-ins can be in a text itself.
[[nodiscard]] QString shown_form(const QString& text);
[[nodiscard]] QString text_form(const QString& shown);

}  // namespace frostel::app

#include "app/mission_text_box.h"

namespace frostel::app {

namespace {
constexpr QChar kCr = u'\r';
constexpr QChar kLf = u'\n';
constexpr QChar kParagraphBreak = QChar::ParagraphSeparator;
constexpr QChar kLineBreak = QChar::LineSeparator;
constexpr QChar kLfMark = u'\u200D';
constexpr QChar kNulMark = u'\u200B';
}  // namespace

QString shown_form(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) {
            shown += kParagraphBreak;
            ++i;
        } else if (c == kCr) {
            shown += kLineBreak;
        } else if (c == kLf) {
            shown += kLfMark;
            shown += kLineBreak;
        } else if (c == QChar(0)) {
            shown += kNulMark;
        } else {
            shown += c;
        }
    }
    return shown;
}

QString text_form(const QString& shown) {
    QString text;
    text.reserve(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown[i];
        if (c == kParagraphBreak) {
            text += QStringLiteral("\r\n");
        } else if (c == kLfMark && i + 1 < shown.size() && shown[i + 1] == kLineBreak) {
            text += kLf;
            ++i;
        } else if (c == kLineBreak) {
            text += kCr;
        } else if (c == kNulMark) {
            text += QChar(0);
        } else if (c != kLfMark) {
            text += c;
        }
    }
    return text;
}

MissionTextBox::MissionTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("RichTextBox1");
}

void MissionTextBox::set_text(const QString& text) {
    setPlainText(shown_form(text));
}

QString MissionTextBox::text() const {
    return text_form(document()->toRawText());
}

}  // namespace frostel::app

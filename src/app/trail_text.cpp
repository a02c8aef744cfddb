#include "app/trail_text.h"

namespace frostel::app {

QString trail_text(std::string_view field) {
    const QString decoded = QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()))
                                .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString shown;
    shown.reserve(decoded.size());
    for (const QChar c : decoded) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\n' && code != u'\t') || code == 0x7f) {
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString html_lines(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

QString literal_tooltip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(html_lines(text));
}

}  // namespace frostel::app

#pragma once

#include <QLabel>
#include <QLineEdit>

#include "report/result_palette.h"

namespace frostel::app {

// A line of an accounts form, found by its name; a password's characters are not shown.
inline QLineEdit* account_field(QWidget* parent, const char* name, bool secret = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (secret) {
        edit->setEchoMode(QLineEdit::Password);
    }
    return edit;
}

// Where an accounts form says why it was refused, in the failure's colour.
inline QLabel* refusal_label(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName("message");
    // A server's reason can be long: it wraps rather than being cut off.
    label->setWordWrap(true);
    label->setStyleSheet(
        QStringLiteral("color: %1;").arg(report::result_colour(report::ResultKind::kFail).name()));
    return label;
}

}  // namespace frostel::app

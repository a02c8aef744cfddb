#pragma once

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/sign_in_dialog.h"

namespace frostel::test {

// `password` typed for `user_id` (none: as filled in) into the modal sign-in open now, and OK
// pressed.
inline void sign_in_as(const QString& user_id, const QString& password) {
    auto* dialog = qobject_cast<app::SignInDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    if (!user_id.isEmpty()) {
        dialog->findChild<QLineEdit*>("user_id")->setText(user_id);
    }
    dialog->findChild<QLineEdit*>("password")->setText(password);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

}  // namespace frostel::test

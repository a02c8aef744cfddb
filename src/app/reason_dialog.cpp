#include "app/reason_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account_fields.h"
#include "archive/record_limits.h"

namespace frostel::app {

std::optional<std::string> ask_reason(QWidget* parent, const QString& question) {
    QDialog dialog(parent);
    dialog.setObjectName("reason_dialog");
    dialog.setWindowTitle(QObject::tr("Reason for the Change"));
    dialog.setMinimumWidth(420);
    auto* layout = new QVBoxLayout(&dialog);
    auto* asked = new QLabel(question, &dialog);
    asked->setWordWrap(true);
    layout->addWidget(asked);
    QLineEdit* reason = account_field(&dialog, "reason");
    layout->addWidget(reason);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    QObject::connect(reason, &QLineEdit::textChanged, ok, [ok](const QString& text) {
        ok->setEnabled(archive::reason_suffices(text.toStdString(), true));
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return reason->text().trimmed().toStdString();
}

}  // namespace frostel::app

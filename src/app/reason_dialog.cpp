#include "app/reason_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account_fields.h"
#include "archive/record_limits.h"
#include "archive/signature_book.h"
#include "archive/signing_outlook.h"

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

bool signatures_may_end(QWidget* parent, archive::MissionArchive& archive, std::int64_t id,
                        const archive::RecordLimits& limits) {
    const std::optional<archive::RecordSignatures> record =
        archive::SignatureBook(archive).of_record(id);
    const int ended = record
                          ? archive::signatures_ended(
                                record->signatures, record->record_digest, record->limits_in_force,
                                archive::limits_lines(limits.limits, limits.delta_h_kj_per_mol))
                          : 0;
    if (ended == 0) {
        return true;
    }
    QMessageBox question(
        QMessageBox::Warning, QObject::tr("Signed Record"),
        QObject::tr("Record %1 is signed. New limits or dH end %n of its signatures, and the "
                    "record reads \"CHANGED AFTER SIGNING\" until it is signed again.",
                    nullptr, ended)
            .arg(id),
        QMessageBox::Cancel, parent);
    question.setObjectName("signatures_end_question");
    const QAbstractButton* change =
        question.addButton(QObject::tr("Change Them"), QMessageBox::AcceptRole);
    question.setDefaultButton(QMessageBox::Cancel);
    question.exec();
    return question.clickedButton() == change;
}

}  // namespace frostel::app

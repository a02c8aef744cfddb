#include "app/sign_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account_fields.h"
#include "archive/signature_book.h"
#include "archive/signing_outlook.h"
#include "dossier/archived_record.h"
#include "insight/summary.h"
#include "platform/latin1.h"

namespace frostel::app {

namespace {

using archive::Meaning;
using archive::SigningAnswer;

QString text_of(const std::string& text) {
    return QString::fromStdString(text);
}

QString limits_text(const insight::Summary& summary) {
    if (!summary.limits.any()) {
        return QStringLiteral("none");
    }
    const auto side = [](const std::optional<double>& value) {
        return value ? text_of(insight::temperature_text(*value)) : QStringLiteral("none");
    };
    return QStringLiteral("%1 to %2 \u00b0C (%3)")
        .arg(side(summary.limits.low), side(summary.limits.high), text_of(summary.limits_source()));
}

QLabel* value_label(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void offer_signing(QPushButton& button, const std::optional<archive::Person>& person) {
    button.setVisible(person.has_value());
    const bool may = person && (archive::has_right(person->role, archive::Right::kSignReviewed) ||
                                archive::has_right(person->role, archive::Right::kSignApproved));
    button.setEnabled(may);
    button.setToolTip(
        may || !person ? QString() : SignDialog::tr("Only reviewers and approvers sign records."));
}

SignDialog::SignDialog(archive::MissionArchive& archive, archive::Person person, std::int64_t id,
                       QWidget* parent)
    : QDialog(parent),
      archive_(archive),
      person_(std::move(person)),
      id_(id),
      meaning_(new QComboBox(this)),
      comment_(account_field(this, "comment")),
      password_(account_field(this, "password", true)),
      message_(refusal_label(this)) {
    setObjectName("sign_dialog");
    setWindowTitle(tr("Sign"));
    setMinimumWidth(520);
    meaning_->setObjectName("meaning");
    meaning_->setPlaceholderText(tr("choose what the signature means"));
    for (const Meaning meaning : {Meaning::kReviewed, Meaning::kApproved}) {
        const auto right = meaning == Meaning::kReviewed ? archive::Right::kSignReviewed
                                                         : archive::Right::kSignApproved;
        if (archive::has_right(person_.role, right)) {
            meaning_->addItem(text_of(std::string(archive::meaning_name(meaning))),
                              static_cast<int>(meaning));
        }
    }
    meaning_->setCurrentIndex(meaning_->findData(first_meaning()));
    auto* form = new QFormLayout;
    show_record(*form);
    form->addRow(tr("Meaning:"), meaning_);
    form->addRow(tr("Comment:"), comment_);
    form->addRow(tr("Password of %1:").arg(text_of(person_.full_name)), password_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* sign = buttons->button(QDialogButtonBox::Ok);
    sign->setText(tr("Sign"));
    // A signature's meaning is the signer's choice, never one they did not see.
    const auto offer_sign = [this, sign] { sign->setEnabled(meaning_->currentIndex() >= 0); };
    offer_sign();
    connect(meaning_, &QComboBox::currentIndexChanged, sign, offer_sign);
    connect(buttons, &QDialogButtonBox::accepted, this, &SignDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SignDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    message_->setWordWrap(true);
    layout->addWidget(message_);
    layout->addWidget(buttons);
    password_->setFocus();
}

// The meaning the person would sign as next, chosen at the start; none (-1 as its data)
// when the record's signatures cannot be read or allow none.
int SignDialog::first_meaning() {
    const std::optional<archive::RecordSignatures> record =
        archive::SignatureBook(archive_).of_record(id_);
    const std::optional<Meaning> next =
        record
            ? archive::next_meaning(person_.id, person_.full_name, person_.role, record->signatures,
                                    record->record_digest, record->limits_in_force)
            : std::nullopt;
    return next ? static_cast<int>(*next) : -1;
}

// What the signature will bind: the record as it is judged by the limits in force now.
void SignDialog::show_record(QFormLayout& form) {
    std::string why;
    const std::optional<archive::StoredMission> stored = archive_.load(id_);
    const std::optional<report::ReportInput> input =
        stored ? dossier::record_report_input(archive_, *stored, why) : std::nullopt;
    form.addRow(tr("Record:"), value_label(QString::number(id_), "record", this));
    if (!input) {
        refuse(stored ? text_of(why)
                      : tr("record %1 cannot be read: %2").arg(id_).arg(archive_.error()));
        return;
    }
    const insight::Summary summary = insight::summarize(input->summary);
    form.addRow(tr("Logger:"),
                value_label(platform::latin1_text(stored->record.logger_id), "logger", this));
    form.addRow(tr("Start:"),
                value_label(platform::latin1_text(stored->record.start_time), "start", this));
    form.addRow(tr("Verdict:"), value_label(text_of(summary.verdict), "verdict", this));
    form.addRow(tr("Limits:"), value_label(limits_text(summary), "limits", this));
    form.addRow(tr("dH:"),
                value_label(tr("%1 kJ/mol").arg(summary.delta_h_kj_per_mol), "delta_h", this));
    form.addRow(tr("Fingerprint:"),
                value_label(text_of(stored->record.fingerprint), "fingerprint", this));
}

void SignDialog::accept() {
    // The password again, checked with the signing, so the signature is the person's own
    // act, not their session's.
    if (meaning_->currentIndex() < 0) {
        refuse(tr("choose what the signature means"));
        return;
    }
    std::string password = password_->text().toStdString();
    password_->clear();
    const auto meaning = static_cast<Meaning>(meaning_->currentData().toInt());
    const SigningAnswer answer = archive::SignatureBook(archive_).sign(
        person_, id_, meaning, comment_->text().trimmed().toStdString(), std::move(password));
    switch (answer.kind) {
        case SigningAnswer::Kind::kSigned:
            QDialog::accept();
            return;
        case SigningAnswer::Kind::kRefused:
            refuse(tr("signing refused: %1").arg(text_of(answer.why)));
            return;
        case SigningAnswer::Kind::kFailed:
            break;
    }
    refuse(tr("the record was not signed: %1").arg(text_of(answer.why)));
}

void SignDialog::refuse(const QString& why) {
    message_->setText(why);
    password_->setFocus();
}

}  // namespace frostel::app

#include "app/archive_window.h"

#include <QDateEdit>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/accounts_dialog.h"
#include "app/archive_list_model.h"
#include "app/audit_trail_window.h"
#include "app/controller_ties.h"
#include "app/date_bound.h"
#include "app/record_history.h"
#include "app/sign_dialog.h"
#include "app/topmost.h"
#include "archive/account_book.h"
#include "archive/verification_token.h"
#include "dossier/record_bundle.h"
#include "report/result_palette.h"

namespace frostel::app {

namespace {

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

ArchiveWindow::ArchiveWindow(ArchiveWindowTies ties, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ties_(std::move(ties)),
      filter_(new QLineEdit(this)),
      since_(date_bound(QStringLiteral("archive_since"), this, [this] { return newest_start(); })),
      until_(date_bound(QStringLiteral("archive_until"), this, [this] { return newest_start(); })),
      list_(new QTableView(this)),
      model_(new ArchiveListModel(ties_.archive, this)),
      open_(button(QStringLiteral("archive_open"), tr("Open"), this)),
      save_(button(QStringLiteral("archive_save_as"), tr("Save As..."), this)),
      verify_(button(QStringLiteral("archive_verify"), tr("Verify"), this)),
      history_(button(QStringLiteral("archive_history"), tr("History"), this)),
      sign_(button(QStringLiteral("archive_sign"), tr("Sign"), this)),
      bundle_(button(QStringLiteral("archive_bundle"), tr("Bundle..."), this)),
      audit_trail_(button(QStringLiteral("archive_audit_trail"), tr("Audit Trail"), this)),
      result_(new QLabel(this)),
      missing_(new QLabel(this)),
      nothing_listed_(new QLabel(this)),
      status_(new QLabel(this)),
      accounts_(button(QStringLiteral("archive_accounts"), tr("Accounts..."), this)),
      shared_location_(new QLineEdit(this)),
      shared_apply_(button(QStringLiteral("archive_shared_apply"), tr("Apply"), this)) {
    setObjectName(QStringLiteral("Archive"));
    setWindowTitle(tr("Archive"));
    filter_->setObjectName(QStringLiteral("archive_filter"));
    filter_->setPlaceholderText(tr("Logger ID or text"));
    filter_->setClearButtonEnabled(true);
    list_->setObjectName(QStringLiteral("archive_list"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    // Columns sized to the rows in sight: each row shown is verified, which reads its pages.
    list_->horizontalHeader()->setResizeContentsPrecision(0);
    list_->setWordWrap(false);
    result_->setObjectName(QStringLiteral("verify_result"));
    result_->setAlignment(Qt::AlignCenter);
    result_->setMinimumWidth(90);
    result_->setAutoFillBackground(true);
    result_->hide();
    missing_->setObjectName(QStringLiteral("archive_missing_records"));
    missing_->setStyleSheet(report::result_style(report::ResultKind::kFail));
    missing_->setWordWrap(true);
    missing_->hide();
    nothing_listed_->setObjectName(QStringLiteral("archive_nothing_listed"));
    nothing_listed_->setAlignment(Qt::AlignCenter);
    nothing_listed_->hide();
    status_->setObjectName(QStringLiteral("archive_status"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    shared_location_->setObjectName(QStringLiteral("archive_shared_location"));
    shared_location_->setPlaceholderText(
        tr("postgresql://HOST/DATABASE or service=NAME, or empty for the data folder's archive"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(tr("Filter:"), this));
    filters->addWidget(filter_, 1);
    filters->addWidget(new QLabel(tr("Started from"), this));
    filters->addWidget(since_);
    filters->addWidget(any_date_button(*since_));
    filters->addWidget(new QLabel(tr("to"), this));
    filters->addWidget(until_);
    filters->addWidget(any_date_button(*until_));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open_);
    buttons->addWidget(save_);
    buttons->addWidget(verify_);
    buttons->addWidget(result_);
    buttons->addWidget(history_);
    buttons->addWidget(sign_);
    buttons->addWidget(bundle_);
    buttons->addStretch(1);
    buttons->addWidget(audit_trail_);
    buttons->addWidget(accounts_);
    auto* sharing = new QHBoxLayout;
    auto* shared_label = new QLabel(tr("Shared archive:"), this);
    shared_label->setBuddy(shared_location_);
    sharing->addWidget(shared_label);
    sharing->addWidget(shared_location_, 1);
    sharing->addWidget(shared_apply_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(missing_);
    layout->addWidget(list_, 1);
    layout->addWidget(nothing_listed_);
    layout->addLayout(buttons);
    layout->addLayout(sharing);
    layout->addWidget(status_);
    // Wide enough for every column of a mission with excursions, where the screen allows.
    resize(QSize(1180, 520).boundedTo(screen()->availableGeometry().size()));

    connect(filter_, &QLineEdit::textChanged, this, &ArchiveWindow::refresh);
    connect(since_, &QDateEdit::dateChanged, this, &ArchiveWindow::refresh);
    connect(until_, &QDateEdit::dateChanged, this, &ArchiveWindow::refresh);
    const auto with_chosen = [this](const std::function<void(std::int64_t)>& action) {
        return [this, action] {
            if (const auto id = chosen_id()) {
                action(*id);
            }
        };
    };
    connect(open_, &QPushButton::clicked, this, with_chosen(ties_.open));
    connect(list_, &QTableView::doubleClicked, this, [this] {
        if (open_->isEnabled()) {
            open_->click();
        }
    });
    connect(save_, &QPushButton::clicked, this, with_chosen(ties_.save_as));
    connect(verify_, &QPushButton::clicked, this, &ArchiveWindow::verify_chosen);
    connect(history_, &QPushButton::clicked, this,
            with_chosen([this](std::int64_t id) { show_history(id); }));
    connect(sign_, &QPushButton::clicked, this, &ArchiveWindow::sign_chosen);
    connect(bundle_, &QPushButton::clicked, this, &ArchiveWindow::bundle_chosen);
    connect(accounts_, &QPushButton::clicked, this, &ArchiveWindow::show_accounts);
    connect(audit_trail_, &QPushButton::clicked, this, &ArchiveWindow::show_audit_trail);
    connect(shared_apply_, &QPushButton::clicked, this, &ArchiveWindow::share);
    connect(shared_location_, &QLineEdit::returnPressed, shared_apply_, &QPushButton::click);
}

void ArchiveWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

// Back from the summary window or another program, the limits or signatures of the records
// listed may have changed.
void ArchiveWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        read_standings_again();
    }
    QWidget::changeEvent(event);
}

void ArchiveWindow::read_standings_again() {
    model_->forget_standings();
    for (const int column : {ArchiveListModel::kVerdict, ArchiveListModel::kSigned}) {
        list_->resizeColumnToContents(column);
    }
}

archive::MissionFilter ArchiveWindow::filter() const {
    archive::MissionFilter filter;
    filter.text = filter_->text().trimmed().toStdString();
    filter.since = bound_of(*since_);
    filter.until = bound_of(*until_);
    return filter;
}

void ArchiveWindow::refresh() {
    archive::MissionArchive& archive = ties_.archive();
    const bool audit_trail = may_read_audit_trail();
    audit_trail_->setEnabled(audit_trail);
    audit_trail_->setToolTip(
        audit_trail ? QString()
                    : tr("Only administrators, approvers and reviewers may read the audit trail"));
    result_->hide();
    offer_sharing();
    const archive::MissionFilter shown = filter();
    model_->show(shown);
    say_nothing_listed(shown, archive.is_open());
    if (!archive.is_open()) {
        status_->setText(
            tr("The archive %1 cannot be used: %2").arg(archive.path(), archive.error()));
        return;
    }
    status_->setText(archive.notice().isEmpty() ? archive.path() : archive.notice());
    show_missing_records(archive.missing_records());
    offer_accounts();
    offer_signing(*sign_, ties_.person ? ties_.person() : std::nullopt);
    if (model_->rowCount() > 0) {
        list_->selectRow(0);
    }
    // The mission text, last, takes the room the others leave; a long one is cut short
    // there rather than push the other columns out of sight.
    for (int column = 0; column < ArchiveListModel::kText; ++column) {
        list_->resizeColumnToContents(column);
    }
}

void ArchiveWindow::say_nothing_listed(const archive::MissionFilter& shown, bool open) {
    const bool filtered = !shown.text.empty() || shown.since.isValid() || shown.until.isValid();
    nothing_listed_->setText(filtered ? tr("No missions match")
                                      : tr("This archive keeps no missions yet"));
    nothing_listed_->setVisible(open && model_->rowCount() == 0);
}

QDate ArchiveWindow::newest_start() const {
    if (model_->rowCount() == 0) {
        return {};
    }
    return QDate::fromString(QString::fromStdString(model_->record(0).start_time.substr(0, 10)),
                             Qt::ISODate);
}

std::optional<std::int64_t> ArchiveWindow::chosen_id() {
    // Ids listed from another data folder's archive would name other records here.
    if (model_->listed_path() != ties_.archive().path()) {
        refresh();
        return std::nullopt;
    }
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return model_->record(rows.front().row()).id;
}

void ArchiveWindow::verify_chosen() {
    const std::optional<std::int64_t> id = chosen_id();
    if (!id) {
        return;
    }
    const std::optional<archive::Verification> verdict = ties_.archive().verify(*id);
    if (!verdict) {
        show_result(tr("VERIFY ERROR !"), true);
        return;
    }
    switch (*verdict) {
        case archive::Verification::kIntact:
            show_result(QStringLiteral("INTACT"), false);
            break;
        case archive::Verification::kIntactWithoutDigest:
            show_result(tr("INTACT (NO RECORD DIGEST)"), false);
            break;
        case archive::Verification::kAltered:
            show_result(QStringLiteral("ALTERED"), true);
            break;
    }
    // The trail keeps the result's own token, not the text shown in the window's language.
    ties_.note(archive::record_verified(*id, archive::verification_token(*verdict)));
}

void ArchiveWindow::show_history(std::int64_t id) {
    archive::MissionArchive& archive = ties_.archive();
    const std::optional<std::vector<archive::ShownEvent>> events = archive.record_history(id);
    if (history_window_.isNull()) {
        history_window_ = new RecordHistory(this);
    }
    history_window_->show_events(id, events.value_or(std::vector<archive::ShownEvent>{}),
                                 events ? QString() : archive.error());
    show_in_role(history_window_, WindowRole::kOrdinary);
}

void ArchiveWindow::sign_chosen() {
    const std::optional<std::int64_t> id = chosen_id();
    const std::optional<archive::Person> person = ties_.person ? ties_.person() : std::nullopt;
    if (!id || !person) {
        return;
    }
    SignDialog dialog(ties_.archive(), *person, *id, this);
    if (dialog.exec() == QDialog::Accepted) {
        read_standings_again();
    }
}

void ArchiveWindow::bundle_chosen() {
    const std::optional<std::int64_t> id = chosen_id();
    const QString folder = id ? ties_.bundle_folder(this) : QString();
    if (folder.isEmpty()) {
        return;
    }
    archive::MissionArchive& archive = ties_.archive();
    const std::optional<archive::StoredMission> stored = archive.load(*id);
    const dossier::BundleAnswer answer =
        stored ? dossier::write_bundle(archive, *stored, QFile::encodeName(folder).toStdString())
               : dossier::BundleAnswer{dossier::BundleAnswer::Kind::kFailed,
                                       archive.error().toStdString()};
    if (answer.kind != dossier::BundleAnswer::Kind::kWritten) {
        show_warning(
            this, "bundle_refused", tr("Bundle"),
            tr("Record %1 was not bundled:\n%2").arg(*id).arg(QString::fromStdString(answer.why)));
        return;
    }
    ties_.note(archive::file_written("bundle", QFileInfo(folder).absoluteFilePath().toStdString(),
                                     stored->record.fingerprint));
    status_->setText(tr("Record %1 was bundled in %2.").arg(*id).arg(shown_path(folder)));
}

AccountsOffer ArchiveWindow::accounts_offered() const {
    return accounts_offer(archive::AccountBook(ties_.archive()).accounts_on(),
                          ties_.person ? ties_.person() : std::nullopt);
}

void ArchiveWindow::offer_accounts() {
    const AccountsOffer offer = accounts_offered();
    accounts_->setEnabled(offer.work != AccountsOffer::Work::kNone);
    accounts_->setToolTip(offer.why);
}

void ArchiveWindow::show_accounts() {
    switch (accounts_offered().work) {
        case AccountsOffer::Work::kTurnOn: {
            AccountsDialog dialog(ties_.archive(), this);
            if (dialog.exec() == QDialog::Accepted) {
                status_->setText(tr("Accounts are on: everyone signs in from the next start."));
            }
            break;
        }
        case AccountsOffer::Work::kManage: {
            AccountsWindow window(ties_.archive(), *ties_.person(), this);
            window.exec();
            break;
        }
        case AccountsOffer::Work::kNone:
            break;
    }
    offer_accounts();
}

void ArchiveWindow::offer_sharing() {
    const bool may =
        holds_right(ties_.person ? ties_.person() : std::nullopt, archive::Right::kChangeAccounts);
    const QString why = may ? QString() : tr("Only an administrator may change the shared archive");
    for (QWidget* control :
         {static_cast<QWidget*>(shared_location_), static_cast<QWidget*>(shared_apply_)}) {
        control->setEnabled(may);
        control->setToolTip(why);
    }
    if (!shared_location_->hasFocus()) {
        shared_location_->setText(ties_.shared_location());
    }
}

void ArchiveWindow::share() {
    if (!shared_apply_->isEnabled()) {
        return;
    }
    const QString location = shared_location_->text().trimmed();
    const QString problem = ties_.share(location);
    if (!problem.isEmpty()) {
        show_warning(this, "shared_archive_refused", tr("Shared archive"),
                     tr("The archive was not changed:\n%1").arg(problem));
        return;
    }
    shared_location_->clearFocus();
    refresh();
}

bool ArchiveWindow::may_read_audit_trail() const {
    return holds_right(ties_.person ? ties_.person() : std::nullopt,
                       archive::Right::kReadAuditTrail);
}

void ArchiveWindow::show_audit_trail() {
    if (!may_read_audit_trail()) {
        return;
    }
    if (audit_trail_window_.isNull()) {
        audit_trail_window_ = new AuditTrailWindow(ties_.archive, this);
    }
    if (audit_trail_window_->isVisible()) {
        audit_trail_window_->refresh();
    }
    show_in_role(audit_trail_window_, WindowRole::kOrdinary);
}

void ArchiveWindow::show_missing_records(const std::optional<std::vector<std::int64_t>>& missing) {
    missing_->setVisible(!missing || !missing->empty());
    if (!missing) {
        missing_->setText(
            tr("The audit trail cannot be read, so records removed from the archive "
               "cannot be found."));
        return;
    }
    QStringList ids;
    for (const std::int64_t id : *missing) {
        ids << QString::number(id);
    }
    missing_->setText(ids.size() == 1
                          ? tr("Record %1 is named in the audit trail but missing from this "
                               "archive.")
                                .arg(ids.front())
                          : tr("Records %1 are named in the audit trail but missing from this "
                               "archive.")
                                .arg(ids.join(QStringLiteral(", "))));
}

void ArchiveWindow::show_result(const QString& text, bool failure) {
    result_->setStyleSheet(
        report::result_style(failure ? report::ResultKind::kFail : report::ResultKind::kPass));
    result_->setText(text);
    result_->show();
}

}  // namespace frostel::app

#include "app/window_session.h"

#include <QApplication>
#include <QEvent>

#include "app/controller_ties.h"
#include "app/main_window.h"
#include "app/sign_in_dialog.h"
#include "app/topmost.h"

namespace frostel::app {

namespace {

// How often the idle time is looked at: a lock comes at most this late.
constexpr std::chrono::seconds kIdleCheck{5};

bool is_input(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
            return true;
        default:
            return false;
    }
}

}  // namespace

WindowSession::WindowSession(WindowArchive& archive, const QString& data_folder, link::Clock& clock,
                             QObject* parent)
    : QObject(parent), archive_(archive), clock_(clock) {
    if (!archive::accounts_are_on(archive.location(data_folder))) {
        return;
    }
    accounts_on_ = true;
    (void)archive_.open(data_folder, archive::os_actor());
    idle_limit_ = std::chrono::minutes(book().site_settings().idle_minutes);
    idle_timer_.setInterval(kIdleCheck);
    connect(&idle_timer_, &QTimer::timeout, this, &WindowSession::check_idle);
}

WindowSession::~WindowSession() {
    delete lock_dialog_.data();
    sign_out();
}

void WindowSession::sign_out() {
    if (person_) {
        (void)book().note_session(*person_, "sign-out");
        person_.reset();
    }
}

bool WindowSession::sign_in(QWidget* parent) {
    archive::AccountBook accounts = book();
    SignInDialog dialog(accounts, "Sign in to use Frostel.", {}, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    begin(*dialog.person());
    return true;
}

void WindowSession::begin(const archive::Person& person) {
    person_ = person;
    archive_.current().act_as(actor());
    last_input_ = clock_.now();
    qApp->installEventFilter(this);
    idle_timer_.start();
    show_person();
}

archive::Actor WindowSession::actor() const {
    return actor_at_window(person_);
}

void WindowSession::watch(MainWindow& window) {
    window_ = &window;
    title_ = window.windowTitle();
    show_person();
}

void WindowSession::show_person() {
    if (window_ && person_) {
        window_->setWindowTitle(title_ + "   " + QString::fromStdString(person_->full_name));
        window_->show_rights();
    }
}

bool WindowSession::eventFilter(QObject* watched, QEvent* event) {
    if (is_input(event->type()) && !lock_dialog_) {
        last_input_ = clock_.now();
    }
    // Closing the window ends the process at once, before any destructor runs.
    if (watched == window_ && event->type() == QEvent::Close) {
        sign_out();
    }
    return QObject::eventFilter(watched, event);
}

void WindowSession::check_idle() {
    if (person_ && !lock_dialog_ && clock_.now() - last_input_ >= idle_limit_) {
        lock();
    }
}

void WindowSession::lock() {
    (void)book().note_session(*person_, "session-locked");
    lock_book_ = std::make_unique<archive::AccountBook>(archive_.current());
    lock_dialog_ = new SignInDialog(*lock_book_,
                                    QString("Locked after %1 %2 without input.")
                                        .arg(idle_limit_.count())
                                        .arg(idle_limit_.count() == 1 ? "minute" : "minutes"),
                                    QString::fromStdString(person_->id));
    lock_dialog_->setWindowModality(Qt::ApplicationModal);
    lock_dialog_->setAttribute(Qt::WA_DeleteOnClose);
    // The windows are hidden meanwhile: the dialog's closing must not end the program.
    lock_dialog_->setAttribute(Qt::WA_QuitOnClose, false);
    connect(lock_dialog_, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted) {
            show_windows();
            resume(*lock_dialog_->person());
        } else if (window_) {
            // Nobody signed in again: the program ends rather than stay open.
            window_->close();
        }
    });
    hide_windows();
    show_topmost(lock_dialog_);
}

// A dialog that may wait for an answer is blanked instead, below the lock: hiding it would
// answer it.
void WindowSession::hide_windows() {
    hidden_.clear();
    if (window_ && window_->isVisible()) {
        hidden_.emplace_back(window_.data());
    }
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown == window_ || shown == lock_dialog_ || !shown->isVisible()) {
            continue;
        }
        if (shown->isModal()) {
            auto* blank = new QWidget(shown);
            blank->setObjectName("locked_blank");
            blank->setAutoFillBackground(true);
            blank->setGeometry(shown->rect());
            blank->show();
            blanks_.emplace_back(blank);
        } else {
            hidden_.emplace_back(shown);
        }
    }
    for (const QPointer<QWidget>& shown : hidden_) {
        shown->hide();
    }
}

void WindowSession::show_windows() {
    for (const QPointer<QWidget>& hidden : hidden_) {
        if (hidden) {
            hidden->show();
        }
    }
    hidden_.clear();
    for (const QPointer<QWidget>& blank : blanks_) {
        delete blank.data();
    }
    blanks_.clear();
}

// The dialog entered the person's return, or the other person's sign-in.
void WindowSession::resume(const archive::Person& person) {
    if (person.id != person_->id) {
        sign_out();
    }
    person_ = person;
    archive_.current().act_as(actor());
    last_input_ = clock_.now();
    show_person();
}

}  // namespace frostel::app

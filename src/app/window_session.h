#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "app/sign_in_dialog.h"
#include "app/window_archive.h"
#include "archive/account_book.h"
#include "link/clock.h"

namespace frostel::app {

// With accounts on, who works at the main window: asked before anything else, named in the
// window's title, and asked again once the site's idle limit passes without input, counted
// on the window's clock. Another person may sign in instead, which ends the first session.
class MainWindow;

class WindowSession final : public QObject {
    Q_OBJECT

  public:
    // The accounts of the window's archive for `data_folder`, which the sign-in opens first.
    WindowSession(WindowArchive& archive, const QString& data_folder, link::Clock& clock,
                  QObject* parent = nullptr);
    ~WindowSession() override;

    [[nodiscard]] bool accounts_on() const { return accounts_on_; }
    // Asks until a person signs in; false when the person gave up.
    [[nodiscard]] bool sign_in(QWidget* parent = nullptr);
    // Who works now; the operating-system user without accounts.
    [[nodiscard]] archive::Actor actor() const;
    [[nodiscard]] const std::optional<archive::Person>& person() const { return person_; }
    // The window that shows who works and what they may do, and that locks.
    void watch(MainWindow& window);
    // Locks when the idle limit has passed since the last input; run every few seconds.
    void check_idle();
    // The dialog that asks for the password again while the window is locked: above every
    // window of the program, which are hidden until someone signs in.
    [[nodiscard]] SignInDialog* lock_dialog() const { return lock_dialog_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void begin(const archive::Person& person);
    void lock();
    // Hides every window that could show a record, or blanks it, until show_windows().
    void hide_windows();
    void show_windows();
    void resume(const archive::Person& person);
    void sign_out();
    // In the window's title and rights.
    void show_person();

    // The accounts of the archive the window works on now.
    [[nodiscard]] archive::AccountBook book() { return archive::AccountBook(archive_.current()); }

    WindowArchive& archive_;
    link::Clock& clock_;
    bool accounts_on_ = false;
    // What the lock dialog signs in through, for as long as it is open.
    std::unique_ptr<archive::AccountBook> lock_book_;
    std::optional<archive::Person> person_;
    std::chrono::minutes idle_limit_{};
    std::chrono::steady_clock::time_point last_input_;
    QTimer idle_timer_;
    QPointer<MainWindow> window_;
    QString title_;
    QPointer<SignInDialog> lock_dialog_;
    // The windows hidden while the session is locked, the main window first.
    std::vector<QPointer<QWidget>> hidden_;
    // What covers the dialogs that wait for an answer meanwhile.
    std::vector<QPointer<QWidget>> blanks_;
};

}  // namespace frostel::app

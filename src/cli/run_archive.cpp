#include "cli/run_archive.h"

#include "archive/account_book.h"
#include "archive/outbox.h"
#include "archive/pg_address.h"

namespace frostel::cli {

bool RunArchive::shared() const {
    return archive::looks_like_pg_uri(location_.toStdString());
}

std::optional<bool> RunArchive::accounts_on() {
    if (!archive_ && !shared()) {
        return archive::accounts_are_on(location_);
    }
    archive::MissionArchive& opened = archive();
    if (!opened.is_open()) {
        return shared() ? std::nullopt : std::optional(true);
    }
    const std::optional<bool> on = archive::AccountBook(opened).accounts_on();
    if (shared()) {
        shared_accounts_ = on;
    }
    return on;
}

archive::Actor RunArchive::offline_actor() const {
    return shared_accounts_ == false ? archive::os_actor() : archive::not_signed_in();
}

archive::MissionArchive& RunArchive::archive() {
    if (!archive_) {
        const bool writes = writes_ || shared() || archive::accounts_are_on(location_);
        archive_.emplace(location_, writes ? archive::MissionArchive::Access::kReadWrite
                                           : archive::MissionArchive::Access::kReadOnly);
        held_ = archive_->hold();
    }
    return *archive_;
}

bool RunArchive::work_offline(QString local) {
    const archive::Actor actor = offline_actor();
    location_ = std::move(local);
    writes_ = true;
    held_.reset();
    archive_.reset();
    archive().act_as(actor);
    return archive().set_offline(true);
}

}  // namespace frostel::cli

#pragma once

#include <QString>
#include <functional>

namespace frostel::platform {

// The name the per-user folders are kept under; both programs set it at start.
inline constexpr char kApplicationName[] = "frostel";

// Whether a file can be created in `folder`, tried for real: permission bits, ownership
// and a read-only file system all count, for root as for anyone else.
[[nodiscard]] bool folder_can_be_written(const QString& folder);

using FolderCheck = std::function<bool(const QString& folder)>;

// Where the files kept beside the program live: the executable's own folder when it can be
// written (a portable copy); otherwise, as when installed system-wide, the per-user folder,
// created here on first use.
[[nodiscard]] QString choose_program_folder(const QString& executable_folder,
                                            const QString& per_user_folder,
                                            const FolderCheck& can_write);

// The rule above for this process (QStandardPaths::AppConfigLocation as the per-user folder).
[[nodiscard]] QString program_folder();

// Who works on this PC, as "user@host", for what a download keeps of its origin.
[[nodiscard]] QString pc_user_at_host();

// The data folder while the settings name none: the user's documents folder.
[[nodiscard]] QString default_data_folder();

}  // namespace frostel::platform

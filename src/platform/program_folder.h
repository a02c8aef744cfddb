#pragma once

#include <QString>
#include <functional>

namespace frostel::platform {

// The name the per-user folders are kept under; both programs set it at start.
inline constexpr char kApplicationName[] = "frostel";

// Whether a file can be created in `folder`, tried for real: permission bits, ownership
// and a read-only file system all count, for root as for anyone else.
[[nodiscard]] bool folder_can_be_written(const QString& folder);

// Whether the program in `executable_folder` is an installed copy: a "bin" folder whose
// "share" beside it holds the program's desktop entry, wherever it was installed to.
[[nodiscard]] bool is_installed_copy(const QString& executable_folder);

using FolderCheck = std::function<bool(const QString& folder)>;

// The folder the files kept beside the program live in, or why there is none.
struct ProgramFolder {
    QString path;     // empty when there is none
    QString problem;  // what the user is told then
};

// The executable's own folder when `portable` says it may be used (a portable copy);
// otherwise, as when installed system-wide, the per-user folder under `home`, created here on
// first use. None when `home` is not set or is the root folder (no user's own), or when the
// per-user folder cannot be made or written.
[[nodiscard]] ProgramFolder choose_program_folder(const QString& executable_folder,
                                                  const QString& per_user_folder,
                                                  const QString& home, const FolderCheck& portable);

// The rule above for this process: HOME, and QStandardPaths::AppConfigLocation as the
// per-user folder.
[[nodiscard]] ProgramFolder program_folder();

// Who works on this PC, as "user@host", for what a download keeps of its origin.
[[nodiscard]] QString pc_user_at_host();

// The data folder while the settings name none: the user's documents folder.
[[nodiscard]] QString default_data_folder();

}  // namespace frostel::platform

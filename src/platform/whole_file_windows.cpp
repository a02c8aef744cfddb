// The whole-file writer on Windows (a new file, FlushFileBuffers, ReplaceFileW).
#include "platform/whole_file_replace.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <string>

namespace frostel::platform {

namespace fs = std::filesystem;

namespace {

// Names tried for the new file before the write gives up.
constexpr int kTemporaryNameAttempts = 100;
// WriteFile takes a 32-bit count; larger contents go in pieces. (std::min) in brackets,
// as <windows.h> may define a macro min.
constexpr std::size_t kMaxWrite = std::size_t{1} << 30;

// A new file beside `target`, named in `name`; INVALID_HANDLE_VALUE when none can be made.
HANDLE create_beside(const fs::path& target, std::wstring& name) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = temporary_name_beside(target, GetCurrentProcessId(), attempt).native();
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

bool write_all(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const auto piece = static_cast<DWORD>((std::min)(content.size(), kMaxWrite));
        DWORD written = 0;
        if (!WriteFile(file, content.data(), piece, &written, nullptr) || written == 0) {
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

// ReplaceFileW keeps the old file's attributes and access rights; a new name is a move.
bool put_in_place(const std::wstring& written, const fs::path& target) {
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return ReplaceFileW(target.c_str(), written.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
    }
    return MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool replace_whole_file(const fs::path& target, std::string_view content) {
    std::wstring temporary;
    const HANDLE file = create_beside(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool written = write_all(file, content) && FlushFileBuffers(file) != 0;
    const bool closed = CloseHandle(file) != 0;
    if (written && closed && put_in_place(temporary, target)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace frostel::platform

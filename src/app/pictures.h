#pragma once

#include <QIcon>
#include <QPixmap>

namespace frostel::app {

// The program's pictures, drawn rather than shipped, so they scale and need no files.
enum class Flag { kEnglish, kGerman, kFrench, kDanish };

[[nodiscard]] QIcon thermometer_icon();
[[nodiscard]] QIcon zoom_icon();
[[nodiscard]] QIcon undo_zoom_icon();
[[nodiscard]] QIcon pan_icon();
[[nodiscard]] QIcon copy_icon();
[[nodiscard]] QIcon print_icon();
[[nodiscard]] QIcon edit_icon();
// A page with a curve and a signature line; a small table.
[[nodiscard]] QIcon report_icon();
[[nodiscard]] QIcon summary_icon();
[[nodiscard]] QIcon fit_icon();
[[nodiscard]] QIcon table_icon();
[[nodiscard]] QIcon archive_icon();
[[nodiscard]] QIcon flag_icon(Flag flag);
// The snowflake and thermometer of the about box and the unit dialog.
[[nodiscard]] QPixmap logo_picture(int size);

}  // namespace frostel::app

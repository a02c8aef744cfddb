#pragma once

#include <QString>
#include <optional>

namespace frostel::datafile {

// A data file larger than this is not one of ours (the mission text is 478 characters).
inline constexpr qint64 kMaxDataFileBytes = 4LL * 1024 * 1024;

// The chart document saved beside a data file: its full name with the last three
// characters replaced by "tee" (m1.frd goes with m1.tee, mission with misstee).
[[nodiscard]] QString chart_document_name(const QString& data_file_name);

// The data file a save writes under a chosen name: ".frd" added unless the name already ends
// in it, in any case ("run.49" saves "run.49.frd" beside "run.49.tee"), so that no two chosen
// names share one chart document. A name ending in "." gets "frd" alone.
[[nodiscard]] QString data_file_name(const QString& chosen);

// The mission text and CR LF, one byte per character (characters beyond Latin-1 become
// "?"), written whole or not at all.
[[nodiscard]] bool write_data_file(const QString& path, const QString& mission_text);

// The file's lines (each ending at CR LF, the last one also at the end of the file), each
// followed by one CR; nothing when it cannot be read or is too large to be ours.
[[nodiscard]] std::optional<QString> read_data_file(const QString& path);
// The same from the file's bytes.
[[nodiscard]] QString data_file_text(const QByteArray& bytes);

}  // namespace frostel::datafile

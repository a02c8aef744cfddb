#pragma once

#include <QString>
#include <QStringList>
#include <QTextBrowser>

namespace frostel::app {

// The user's manual: the README from its "Using it" section on, as markdown; the whole text
// when it has no such section.
[[nodiscard]] QString manual_text(const QString& readme);

// Where the manual is looked for, first found first: installed beside the program
// (<prefix>/share/frostel/manual.md for <prefix>/bin), then the README of the source tree
// the program was built from, for a copy run from its build folder.
[[nodiscard]] QStringList manual_locations(const QString& program_folder);

// The manual in a window of its own, its links opened in the desktop's browser.
class ManualWindow final : public QTextBrowser {
    Q_OBJECT

  public:
    explicit ManualWindow(const QStringList& locations, QWidget* parent = nullptr);
};

}  // namespace frostel::app

#pragma once

#include <QFrame>
#include <array>
#include <functional>
#include <string>

class QAction;
class QPaintDevice;
class QToolBar;

namespace frostel::app {

class ChartEditor;
class ChartView;
class FileNameDialogs;

// The command bar (TeeCommander1): the panel that carries the window's tool buttons, with
// the chart's own tools on it: zoom, undo zoom, pan, copy picture, save picture as PNG,
// print and edit. The tools do nothing until a chart is attached.
class CommandBar final : public QFrame {
    Q_OBJECT

  public:
    CommandBar(FileNameDialogs& dialogs, QWidget* parent = nullptr);

    // `allows` says whether the person at the window may do what a tool does ("print the
    // chart"): the tools that take the chart out of the program ask it first.
    void attach(ChartView* chart, std::function<bool(const std::string& what)> allows);
    void set_editor(ChartEditor* editor);
    [[nodiscard]] QToolBar* tools() const { return tools_; }
    // The tools that take the chart out of the program: the picture copied or saved, the
    // chart printed (to a file too).
    [[nodiscard]] std::array<QAction*, 3> file_tools() const { return {copy_, save_, print_}; }

  private:
    QAction* add_tool(const QString& name, const QIcon& icon, const QString& tip);
    void copy_picture();
    void save_picture();
    void print_chart();

    FileNameDialogs& dialogs_;
    QToolBar* tools_;
    ChartView* chart_ = nullptr;
    std::function<bool(const std::string& what)> allows_;
    ChartEditor* editor_ = nullptr;
    QAction* zoom_;
    QAction* undo_zoom_;
    QAction* pan_;
    QAction* copy_;
    QAction* save_;
    QAction* print_;
    QAction* edit_;
};

// Paints `widget` as large as fits on `page`, keeping its proportions: a wide window would
// otherwise run off the paper. False when the page cannot be painted on (a printer that
// cannot print).
[[nodiscard]] bool paint_to_fit(QWidget& widget, QPaintDevice& page);

}  // namespace frostel::app

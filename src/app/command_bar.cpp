#include "app/command_bar.h"

#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "app/chart_editor.h"
#include "app/chart_view.h"
#include "app/file_name_dialogs.h"
#include "app/pictures.h"
#include "app/topmost.h"

namespace frostel::app {

CommandBar::CommandBar(FileNameDialogs& dialogs, QWidget* parent)
    : QFrame(parent), dialogs_(dialogs), tools_(new QToolBar(this)) {
    setObjectName("TeeCommander1");
    setFrameShape(QFrame::StyledPanel);
    tools_->setObjectName("chart_tools");
    tools_->setIconSize({16, 16});
    tools_->setMovable(false);
    // Seven tools in the gap between "About Frostel" and "Set Path".
    tools_->setStyleSheet(
        "QToolBar { border: none; spacing: 0px; padding: 0px; }"
        "QToolButton { padding: 0px; margin: 0px; min-width: 16px; max-width: 16px; }");
    tools_->setContentsMargins(0, 0, 0, 0);
    zoom_ = add_tool("zoom_tool", zoom_icon(), tr("Zoom"));
    undo_zoom_ = add_tool("undo_zoom_tool", undo_zoom_icon(), tr("Undo Zoom"));
    pan_ = add_tool("pan_tool", pan_icon(), tr("Pan"));
    copy_ = add_tool("copy_tool", copy_icon(), tr("Copy Picture"));
    save_ = add_tool("save_picture_tool", style()->standardIcon(QStyle::SP_DialogSaveButton),
                     tr("Save Picture as PNG"));
    print_ = add_tool("print_tool", print_icon(), tr("Print"));
    edit_ = add_tool("edit_tool", edit_icon(), tr("Edit Chart"));
    zoom_->setCheckable(true);
    pan_->setCheckable(true);
    zoom_->setChecked(true);
    auto* mouse_modes = new QActionGroup(this);
    mouse_modes->addAction(zoom_);
    mouse_modes->addAction(pan_);

    connect(zoom_, &QAction::triggered, this, [this] { chart_->set_pan_mode(false); });
    connect(pan_, &QAction::triggered, this, [this] { chart_->set_pan_mode(true); });
    connect(undo_zoom_, &QAction::triggered, this, [this] { chart_->undo_zoom(); });
    connect(copy_, &QAction::triggered, this, &CommandBar::copy_picture);
    connect(save_, &QAction::triggered, this, &CommandBar::save_picture);
    connect(print_, &QAction::triggered, this, &CommandBar::print_chart);
    connect(edit_, &QAction::triggered, this, [this] {
        if (editor_ != nullptr) {
            editor_->edit();
        }
    });
}

QAction* CommandBar::add_tool(const QString& name, const QIcon& icon, const QString& tip) {
    QAction* action = tools_->addAction(icon, tip);
    action->setObjectName(name);
    action->setToolTip(tip);
    action->setEnabled(false);
    return action;
}

void CommandBar::attach(ChartView* chart, std::function<bool(const std::string& what)> allows) {
    chart_ = chart;
    allows_ = std::move(allows);
    for (QAction* tool : {zoom_, undo_zoom_, pan_, copy_, save_, print_}) {
        tool->setEnabled(true);
    }
}

void CommandBar::set_editor(ChartEditor* editor) {
    editor_ = editor;
    edit_->setEnabled(true);
}

void CommandBar::copy_picture() {
    if (!allows_("copy the chart")) {
        return;
    }
    QGuiApplication::clipboard()->setPixmap(chart_->grab());
}

void CommandBar::save_picture() {
    if (!allows_("save the chart")) {
        return;
    }
    const QString name = with_extension(
        dialogs_.save_name(window(), QString(), tr("PNG picture (*.png)")), QStringLiteral("png"));
    if (!name.isEmpty() && !chart_->grab().save(name, "PNG")) {
        show_not_saved(window(), "picture_not_saved", tr("Save Picture as PNG"), name);
    }
}

void CommandBar::print_chart() {
    if (!allows_("print the chart")) {
        return;
    }
    QPrinter printer;
    QPrintDialog dialog(&printer, window());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (!paint_to_fit(*chart_, printer)) {
        show_not_printed(window(), "chart_not_printed", tr("Print"), printer);
    }
}

bool paint_to_fit(QWidget& widget, QPaintDevice& page) {
    const QSize size = widget.size();
    if (size.isEmpty() || page.width() <= 0 || page.height() <= 0) {
        return true;  // nothing to paint
    }
    const double scale = std::min(static_cast<double>(page.width()) / size.width(),
                                  static_cast<double>(page.height()) / size.height());
    QPainter painter;
    if (!painter.begin(&page)) {
        return false;
    }
    painter.scale(scale, scale);
    widget.render(&painter);
    return true;
}

}  // namespace frostel::app

#include "app/held_mission_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace frostel::app {

programming::HeldMissionChoice ask_in_message_box(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QObject::tr("Programming"), question,
                    QMessageBox::NoButton, parent);
    box.setObjectName("held_mission_question");
    box.setInformativeText(
        QObject::tr("The logger is stopped now. Cancel writes nothing: the logger stays stopped, "
                    "its samples kept, until it is programmed."));
    QPushButton* download = box.addButton(QObject::tr("Download first"), QMessageBox::AcceptRole);
    QPushButton* program =
        box.addButton(QObject::tr("Program anyway"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(download);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == download) {
        return programming::HeldMissionChoice::kDownloadFirst;
    }
    return box.clickedButton() == program ? programming::HeldMissionChoice::kProgramAnyway
                                          : programming::HeldMissionChoice::kCancel;
}

}  // namespace frostel::app

#include "app/signatures_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/result_palette.h"

namespace frostel::app {

SignaturesBox::SignaturesBox(QWidget* parent)
    : QGroupBox(tr("Electronic signatures"), parent),
      lines_(new QLabel(this)),
      changed_(new QLabel(QStringLiteral("CHANGED AFTER SIGNING"), this)),
      sign_(new QPushButton(tr("Sign"), this)) {
    setObjectName("signatures");
    lines_->setObjectName("signature_lines");
    lines_->setTextFormat(Qt::PlainText);
    lines_->setWordWrap(true);
    lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    changed_->setObjectName("changed_after_signing");
    changed_->setStyleSheet(report::result_style(report::ResultKind::kFail) +
                            QStringLiteral(" padding: 2px 6px;"));
    changed_->hide();
    sign_->setObjectName("summary_sign");
    auto* top = new QHBoxLayout;
    top->addWidget(changed_);
    top->addStretch(1);
    top->addWidget(sign_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lines_);
}

void SignaturesBox::show_signatures(const QStringList& lines, bool changed_after_signing) {
    lines_->setText(lines.isEmpty() ? tr("Not signed.") : lines.join('\n'));
    changed_->setVisible(changed_after_signing);
}

}  // namespace frostel::app

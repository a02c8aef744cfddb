#include "app/signatures_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/signature_rules.h"
#include "report/result_palette.h"

namespace frostel::app {

SignaturesBox::SignaturesBox(QWidget* parent)
    : QGroupBox(tr("Electronic signatures"), parent),
      lines_(new QPlainTextEdit(this)),
      changed_(new QLabel(QString::fromUtf8(archive::kChangedAfterSigning.data(),
                                            archive::kChangedAfterSigning.size()),
                          this)),
      sign_(new QPushButton(tr("Sign"), this)) {
    setObjectName("signatures");
    lines_->setObjectName("signature_lines");
    // A few lines high whatever they hold: long comments wrap and scroll there rather than
    // push the summary's other parts out of the window.
    lines_->setReadOnly(true);
    lines_->setFixedHeight(
        4 * lines_->fontMetrics().lineSpacing() +
        2 * (lines_->frameWidth() + qRound(lines_->document()->documentMargin())));
    changed_->setObjectName("changed_after_signing");
    changed_->setStyleSheet(report::result_style(report::ResultKind::kFail) +
                            QStringLiteral(" padding: 2px 6px;"));
    changed_->hide();
    sign_->setObjectName("summary_sign");
    auto* lines = new QVBoxLayout;
    lines->addWidget(changed_, 0, Qt::AlignLeft);
    lines->addWidget(lines_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(lines, 1);
    layout->addWidget(sign_, 0, Qt::AlignTop);
}

void SignaturesBox::show_signatures(const QStringList& lines, bool changed_after_signing) {
    lines_->setPlainText(lines.isEmpty() ? tr("Not signed.") : lines.join('\n'));
    changed_->setVisible(changed_after_signing);
}

}  // namespace frostel::app

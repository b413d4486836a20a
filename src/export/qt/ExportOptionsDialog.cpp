#include "export/qt/ExportOptionsDialog.h"

#include "platform/qt/HelpViewer.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tallix {

ExportOptionsDialog::ExportOptionsDialog(SettingsStore& settings, const QString& title,
                                         int helpContext, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings), helpContext_(helpContext) {
    setWindowTitle(title);
    setHelpContext(this, helpContext);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {btnOK, btnCancel, btnHelp}) {
        b->setFixedWidth(84);
        buttons->addWidget(b);
    }

    boxes_ = new QVBoxLayout;
    boxes_->setSpacing(10);
    boxes_->setContentsMargins(8, 4, 8, 4);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(8);
    layout->addLayout(boxes_);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] { showHelpContext(helpContext_); });
}

QCheckBox* ExportOptionsDialog::addCheckBox(const QString& caption, const char* name) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QString::fromLatin1(name));
    boxes_->addWidget(box);
    return box;
}

void ExportOptionsDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void ExportOptionsDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(helpContext_);
        return;
    }
    QDialog::keyPressEvent(e);
}

void ExportOptionsDialog::done(int r) {
    FormClose();
    QDialog::done(r);
}

} // namespace tallix

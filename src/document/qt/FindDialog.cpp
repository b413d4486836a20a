#include "document/qt/FindDialog.h"

#include "platform/qt/HelpViewer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallix {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);
    setHelpContext(this, HelpContext);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    editFindText = new QLineEdit(this);
    editFindText->setObjectName(QStringLiteral("editFindText"));
    label->setBuddy(editFindText);
    btnFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnFindNext->setDefault(true);
    btnFindNext->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(editFindText, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnFindNext);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addLayout(buttons);

    // Find Next needs something to find.
    connect(editFindText, &QLineEdit::textChanged, this,
            [this](const QString& text) { btnFindNext->setEnabled(!text.isEmpty()); });
    connect(btnFindNext, &QPushButton::clicked, this, [this] {
        if (!findText().isEmpty())
            emit findNext();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString FindDialog::findText() const { return editFindText->text(); }

void FindDialog::setFindText(const QString& text) { editFindText->setText(text); }

void FindDialog::present() {
    show();
    raise();
    activateWindow();
    editFindText->setFocus();
    editFindText->selectAll();
}

void FindDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(HelpContext);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace tallix

#include "library/TfrmUsefulText.h"
#include "platform/qt/QtStrings.h"

#include "platform/qt/HelpViewer.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace tallix {

TfrmUsefulText::TfrmUsefulText(QWidget* mainWindow, QPlainTextEdit* notes)
    : LibraryWindow(library::TextLibrary, snippets_, mainWindow, notes) {
    setObjectName(QStringLiteral("frmUsefulText"));
    setWindowTitle(QStringLiteral("Database of commonly-used text"));

    grpCurrent->setTitle(QStringLiteral("Current Item"));
    grpCurrent->setGeometry(236, 4, 316, 184);
    lblText = fieldLabel(QStringLiteral("Text:"), grpCurrent, 10, 52);
    lblText->setObjectName(QStringLiteral("lblText"));
    mmoText = new QPlainTextEdit(grpCurrent);
    mmoText->setObjectName(QStringLiteral("mmoText"));
    mmoText->setGeometry(60, 48, 246, 126);
    mmoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoText->setTabChangesFocus(false); // tabs belong in the text
    lblText->setBuddy(mmoText);
    // The window's own writes into the box block its signals: a change is the
    // teacher's.
    connect(mmoText, &QPlainTextEdit::textChanged, this, [this] { fieldsEdited(); });

    btnAccept = button(QStringLiteral("&OK to changes"), "btnAccept",
                       QStringLiteral("Accept changes to the current link"), this, 236, 196, 155);
    btnCancel = button(QStringLiteral("&Cancel changes"), "btnCancel",
                       QStringLiteral("Cancel changes made to the current link"), this, 397, 196, 155);
    btnNew = button(QStringLiteral("&New"), "btnNew", QStringLiteral("Add a new link"), this, 236,
                    228, 155);
    btnDelete = button(QStringLiteral("&Delete"), "btnDelete",
                       QStringLiteral("Delete the selected link"), this, 397, 228, 155);
    btnSave = button(QStringLiteral("&Save"), "btnSave", QStringLiteral("Save changes to the database"),
                     this, 236, 265, 74);
    btnHelp = button(QStringLiteral("&Help"), "btnHelp",
                     QStringLiteral("Help on using the database of useful links"), this, 317, 265, 74);
    btnUse = button(QStringLiteral("&Use"), "btnUse",
                    QStringLiteral("Insert the current link into marking feedback"), this, 398, 265, 74);
    btnClose = button(QStringLiteral("C&lose"), "btnClose", QStringLiteral("Close this screen"), this,
                      478, 265, 74);
    setFixedSize(560, 300);

    connect(btnAccept, &QPushButton::clicked, this, [this] { btnAcceptClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnNew, &QPushButton::clicked, this, [this] { btnNewClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { SaveStuff(); });
    connect(btnHelp, &QPushButton::clicked, this,
            [this] { showHelpContext(this, library::TextLibrary.helpContext); });
    connect(btnUse, &QPushButton::clicked, this, [this] { btnUseClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    FormCreate();
}

void TfrmUsefulText::showFields(int entry) {
    editTitle->setText(qs(snippets_.title(entry)));
    const QSignalBlocker quiet(mmoText);
    mmoText->setPlainText(toMemoLines(snippets_.text(entry)));
}

void TfrmUsefulText::clearFields() {
    editTitle->clear();
    const QSignalBlocker quiet(mmoText);
    mmoText->clear();
}

void TfrmUsefulText::storeFields(int entry) {
    snippets_.setSnippet(entry, u16(editTitle->text()), fromMemoLines(mmoText->toPlainText()));
}

int TfrmUsefulText::addNewEntry() { return snippets_.addNewSnippet(); }

// The stored text, not what the text box shows now.
std::u16string TfrmUsefulText::useText(int entry) const { return snippets_.text(entry); }

} // namespace tallix

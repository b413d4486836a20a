#include "library/TfrmDatabase.h"
#include "platform/qt/QtStrings.h"

#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tallix {

TfrmDatabase::TfrmDatabase(QWidget* mainWindow, QPlainTextEdit* notes)
    : LibraryWindow(library::LinksLibrary, links_, mainWindow, notes) {
    setObjectName(QStringLiteral("frmDatabase"));
    setWindowTitle(QStringLiteral("Database of helpful links"));

    grpCurrent->setTitle(QStringLiteral("Current Link Item"));
    grpCurrent->setGeometry(236, 4, 316, 112);
    lblURL = fieldLabel(QStringLiteral("URL:"), grpCurrent, 10, 52);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    editURL = new QLineEdit(grpCurrent);
    editURL->setObjectName(QStringLiteral("editURL"));
    editURL->setGeometry(60, 48, 246, 24);
    lblURL->setBuddy(editURL);
    lblNotes = fieldLabel(QStringLiteral("Notes:"), grpCurrent, 10, 80);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    editNotes = new QLineEdit(grpCurrent);
    editNotes->setObjectName(QStringLiteral("editNotes"));
    editNotes->setGeometry(60, 76, 246, 24);
    lblNotes->setBuddy(editNotes);
    for (QLineEdit* e : {editURL, editNotes})
        connect(e, &QLineEdit::textEdited, this, [this] { fieldsEdited(); });

    btnAccept = button(QStringLiteral("&OK to changes"), "btnAccept",
                       QStringLiteral("Accept changes to the current link"), this, 236, 124, 155);
    btnCancel = button(QStringLiteral("&Cancel changes"), "btnCancel",
                       QStringLiteral("Cancel changes made to the current link"), this, 397, 124, 155);
    btnNew = button(QStringLiteral("&New"), "btnNew", QStringLiteral("Add a new link"), this, 236,
                    156, 155);
    btnDelete = button(QStringLiteral("&Delete"), "btnDelete",
                       QStringLiteral("Delete the selected link"), this, 397, 156, 155);

    grpImport = new QGroupBox(QStringLiteral("Import"), this);
    grpImport->setObjectName(QStringLiteral("grpImport"));
    grpImport->setGeometry(236, 190, 316, 60);
    btnBookmarks = button(QStringLiteral("&Bookmarks"), "btnBookmarks",
                          QStringLiteral("Import Netscape bookmarks file"), grpImport, 10, 24, 143);
    btnFavourites = button(QStringLiteral("&Favorites"), "btnFavourites",
                           QStringLiteral("Import Internet Explorer favorites list"), grpImport,
                           163, 24, 143);

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
    connect(btnBookmarks, &QPushButton::clicked, this, [this] { btnBookmarksClick(); });
    connect(btnFavourites, &QPushButton::clicked, this, [this] { btnFavouritesClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { SaveStuff(); });
    connect(btnHelp, &QPushButton::clicked, this,
            [this] { showHelpContext(this, library::LinksLibrary.helpContext); });
    connect(btnUse, &QPushButton::clicked, this, [this] { btnUseClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    chooseFavouritesFolder = [this]() -> std::optional<QString> {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Choose the folder of your favorites (.url files)"),
            QDir::homePath());
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    };

    FormCreate();
}

void TfrmDatabase::showFields(int entry) {
    editTitle->setText(qs(links_.title(entry)));
    editURL->setText(qs(links_.url(entry)));
    editNotes->setText(qs(links_.notes(entry)));
}

void TfrmDatabase::clearFields() {
    editTitle->clear();
    editURL->clear();
    editNotes->clear();
}

void TfrmDatabase::storeFields(int entry) {
    links_.setLink(entry, u16(editTitle->text()), u16(editURL->text()), u16(editNotes->text()));
}

int TfrmDatabase::addNewEntry() { return links_.addNewLink(); }

std::u16string TfrmDatabase::useText(int entry) const {
    return u"{{" + links_.title(entry) + u"}}";
}

void TfrmDatabase::AddLink(const std::u16string& title, const std::u16string& url) {
    const int i = links_.addLink(title, url);
    lbTitles->addItem(qs(links_.title(i)));
    setChanged();
}

void TfrmDatabase::addImported(const std::vector<library::ImportedLink>& links) {
    for (const library::ImportedLink& l : links)
        AddLink(l.title, l.url);
    showFirst();
}

// ====================================================================== bookmarks

void TfrmDatabase::btnBookmarksClick() {
    if (showMessage(this, QString::fromUtf16(library::BookmarksQuestion), MessageType::Information,
                    buttons::OkCancel, library::LinksLibrary.helpContext) == Button::Cancel)
        return;
    LoadBookmarks();
}

void TfrmDatabase::LoadBookmarks() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editTitle->setText(QString::fromUtf16(library::LookingForBookmarks));
    repaintNow();
    QApplication::restoreOverrideCursor();
    // Browsers keep no path to their bookmark file where another program could
    // look it up; the teacher names the file the browser exported.
    FileRequest r;
    r.title = QStringLiteral("Locate your bookmarks file");
    r.filter = QStringLiteral("Bookmark files (*.html;*.htm)|*.html;*.htm|All files (*)|*");
    r.initialPath = QDir::homePath();
    r.helpContext = library::LinksLibrary.helpContext;
    const std::optional<QString> path = askFileName(this, r);
    if (!path || path->isEmpty()) {
        showFirst();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::vector<library::ImportedLink>> links =
        library::readBookmarkFile(path->toStdString(), [this] {
            editTitle->setText(editTitle->text() + QLatin1Char('.'));
            repaintNow();
        });
    QApplication::restoreOverrideCursor();
    if (!links || links->empty()) {
        showFirst();
        showMessage(this, QString::fromUtf16(library::NoBookmarkFileMessage), MessageType::Warning,
                    buttons::OkHelp, library::LinksLibrary.helpContext);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    addImported(*links);
    QApplication::restoreOverrideCursor();
}

// ====================================================================== favourites

void TfrmDatabase::btnFavouritesClick() {
    if (showMessage(this, QString::fromUtf16(library::FavouritesQuestion), MessageType::Information,
                    buttons::OkCancel, library::LinksLibrary.helpContext) == Button::Cancel)
        return;
    LoadFavorites();
}

void TfrmDatabase::LoadFavorites() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editTitle->setText(QString::fromUtf16(library::LookingForFavourites));
    repaintNow();
    std::optional<std::string> folder = library::favouritesFolder();
    if (!folder) {
        QApplication::restoreOverrideCursor();
        const std::optional<QString> chosen =
            chooseFavouritesFolder ? chooseFavouritesFolder() : std::nullopt;
        if (!chosen || chosen->isEmpty()) {
            showFirst();
            showPlainMessage(this, QString::fromUtf16(library::NoFavouritesFolderMessage));
            return;
        }
        folder = chosen->toStdString();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    const std::optional<std::vector<library::ImportedLink>> links =
        library::readFavouritesFolder(*folder, [this] { repaintNow(); });
    QApplication::restoreOverrideCursor();
    if (!links) {
        showFirst();
        showPlainMessage(this, QString::fromUtf16(library::NoFavouritesFolderMessage));
        return;
    }
    if (links->empty()) {
        showFirst();
        showPlainMessage(this, qs(library::noShortcutsMessage(*folder)));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    addImported(*links);
    QApplication::restoreOverrideCursor();
}

} // namespace tallix

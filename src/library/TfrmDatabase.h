#pragma once
// "Database of helpful links": the useful links, their editing, the imports from
// a browser's bookmark file and from a folder of shortcuts, and "&Use", which puts
// a reference to the current link into the comment or feedback being written.
#include "library/LinkImport.h"
#include "library/LinkList.h"
#include "library/qt/LibraryWindow.h"

#include <functional>
#include <optional>

class QGroupBox;

namespace tallix {

class TfrmDatabase : public LibraryWindow {
    Q_OBJECT
public:
    // Reads "reflinks.mdb" from the program folder (once, for the whole run).
    TfrmDatabase(QWidget* mainWindow, QPlainTextEdit* notes);

    // The links as they stand in memory, saved or not: the exports expand link
    // references from these.
    const library::LinkList& linkList() const { return links_; }
    bool LinksChanged() const { return changed(); }

    // AddLink: a link from an import.
    void AddLink(const std::u16string& title, const std::u16string& url);
    void btnBookmarksClick();
    void btnFavouritesClick();
    void LoadBookmarks();
    void LoadFavorites();

    // Asks for a folder of shortcut files when there is no Favorites folder;
    // nullopt when the teacher cancels. Tests replace it.
    std::function<std::optional<QString>()> chooseFavouritesFolder;

    QLabel *lblURL = nullptr, *lblNotes = nullptr;
    QLineEdit *editURL = nullptr, *editNotes = nullptr;
    QGroupBox* grpImport = nullptr;
    QPushButton *btnBookmarks = nullptr, *btnFavourites = nullptr;

protected:
    void showFields(int entry) override;
    void clearFields() override;
    void storeFields(int entry) override;
    int addNewEntry() override;
    std::u16string useText(int entry) const override;

private:
    // Adds the links found by an import and shows the first link; the list changes
    // only when something was found.
    void addImported(const std::vector<library::ImportedLink>& links);

    library::LinkList links_;
};

} // namespace tallix

#pragma once
// What the useful links window and the useful text window share: the list of
// titles, the current entry's fields, the list editing (OK to changes, Cancel
// changes, New, Delete), saving, closing with its question, Help and Use. Each
// window adds its own fields and, for links, the imports.
#include "library/ReferenceList.h"

#include <QDialog>

#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tallix {

class LibraryWindow : public QDialog {
    Q_OBJECT
public:
    // mainWindow is the marking window and notes its notes box: "&Use" writes
    // there, and only when the notes box is the marking window's focused control.
    // list belongs to the derived window; nothing reads it before FormCreate.
    LibraryWindow(const library::LibraryKind& kind, library::ReferenceList& list,
                  QWidget* mainWindow, QPlainTextEdit* notes);

    // The library's file: "reflinks.mdb" or "reftext.mdb" in the program folder.
    const std::string& filePath() const { return path_; }
    // Set by every change to the list; cleared by a successful save or a load.
    bool changed() const { return changed_; }

    // The commands, as the buttons run them.
    void UpdateListBox();
    void lbTitlesClick();
    void btnAcceptClick();
    void btnCancelClick();
    void btnNewClick();
    void btnDeleteClick();
    // SaveStuff: writes the list; false (after the warning) when that failed.
    bool SaveStuff();
    void btnUseClick();

    QListWidget* lbTitles = nullptr;
    QGroupBox* grpCurrent = nullptr;
    QLabel* lblTitle = nullptr;
    QLineEdit* editTitle = nullptr;
    QPushButton *btnAccept = nullptr, *btnCancel = nullptr, *btnNew = nullptr,
                *btnDelete = nullptr, *btnSave = nullptr, *btnHelp = nullptr,
                *btnUse = nullptr, *btnClose = nullptr;

protected:
    // Reads the file (telling the teacher when it is missing or damaged) and
    // shows the list; the derived window calls it once its controls exist.
    void FormCreate();

    // The derived window's fields.
    virtual void showFields(int entry) = 0;
    virtual void clearFields() = 0;
    virtual void storeFields(int entry) = 0;
    virtual int addNewEntry() = 0;
    // What "&Use" puts into the notes box for the entry, with CR LF line breaks.
    virtual std::u16string useText(int entry) const = 0;

    // A label for a field, in the colour of field labels.
    QLabel* fieldLabel(const QString& text, QWidget* parent, int x, int y);
    QPushButton* button(const QString& caption, const char* name, const QString& hint,
                        QWidget* parent, int x, int y, int w);
    // Makes entry current and the only one selected, and shows it.
    void makeCurrent(int entry);
    // Empties the fields; the first entry, if any, becomes current and is shown.
    void showFirst();
    void setChanged() { changed_ = true; }
    // Lets the window repaint during long work.
    void repaintNow();
    // A field was edited by the teacher: "&OK to changes" stores what is shown.
    void fieldsEdited() { fieldsShown_ = true; }

    bool FormCloseQuery();
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* e) override;

    const library::LibraryKind& kind_;
    library::ReferenceList& list_;

private:
    QWidget* mainWindow_;
    QPlainTextEdit* notes_;
    std::string path_;
    bool changed_ = false;
    // Whether the fields show an entry (or the teacher's edits of one); false
    // once "&OK to changes" has emptied them, so a second press changes nothing.
    bool fieldsShown_ = false;
};

// The memo shows line breaks as LF; the libraries keep CR LF.
QString toMemoLines(const std::u16string& s);
std::u16string fromMemoLines(const QString& s);

} // namespace tallix

#pragma once
// The annotation button editor: the teacher changes the caption, short text and
// long text of the 32 buttons and the title of the set, inserts and deletes
// entries, opens and saves button files, accepts the set into the marking window
// and makes the button file the one read at start-up.
//
// The window edits a copy of the marking window's set (the rules are those of
// ButtonSetEditor); only Accept hands the copy over, in one change. Each showing
// starts again from the set in use.
#include "annotations/ButtonKeys.h"
#include "annotations/ButtonSetEditing.h"

#include <QDialog>

#include <array>

class QAction;
class QFrame;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QToolButton;

namespace tallix {

class SettingsStore;
class TfrmTallix32;

class TfrmAnnButtons : public QDialog {
    Q_OBJECT
public:
    TfrmAnnButtons(TfrmTallix32& mainWindow, SettingsStore& settings, QWidget* parent = nullptr);

    // The working state: the edited copy, the current entry, ButtonSetChanged.
    const ButtonSetEditor& editor() const { return editor_; }
    bool ButtonSetChanged() const { return editor_.changed(); }
    int CurrentEditorButton() const { return editor_.current(); }

    // --- commands ------------------------------------------------------------------
    // Selecting an entry (any of the 32 buttons).
    void btnEntryClick(int n);
    void btnInsertClick();
    void btnDeleteClick();
    void spdOpenClick();
    // Save to the file in use; false when it could not be written.
    bool spdSaveClick();
    void spdSaveAsClick();
    // Accept and close (btnOK, spdOK, mnuAccept).
    void btnOKClick();
    // Close without accepting (spdCancel, mnuClose, mnuCancel).
    void spdCancelClick();
    void spdDefaultClick();

    // --- operations ----------------------------------------------------------------
    // Reads a button file over the edited copy and makes it the file in use; false
    // (with a message shown) when it could not be read.
    bool ReadButtonFile(const QString& path);
    // Writes the edited copy (with the title field) to path and makes it the file
    // in use; false (with a message shown, and nothing else changed) on failure.
    bool WriteButtonFile(const QString& path);
    // Hands the edited copy, with the fields and the title committed, to the
    // marking window.
    void AcceptButtons();
    // The warning about nested short texts, or an empty string.
    QString CheckAnnotations() const;

    // --- button keys ---------------------------------------------------------------
    // The keys being edited (they go to the marking window with the set on accept,
    // and to the settings store for the button file then and when it is saved).
    const ButtonKeys& keys() const { return keys_; }
    // Gives the current entry the key (Qt's portable text; empty: no key). False,
    // after a message saying why, when a menu command or another button has it or
    // it would type in the essay; the entry keeps its key then.
    bool setCurrentKey(const QString& key);
    QLabel* lblKey = nullptr;
    QKeySequenceEdit* editKey = nullptr;
    QPushButton* btnClearKey = nullptr;

    // --- controls (named as the objects they are) ----------------------------------
    QMenuBar* MainMenu1 = nullptr;
    QAction *mnuOpen = nullptr, *mnuSave = nullptr, *mnuSaveAs = nullptr, *mnuClose = nullptr;
    QAction *mnuAccept = nullptr, *mnuSetAsDefault = nullptr, *mnuCancel = nullptr;
    QWidget* pnlToolbar = nullptr;
    QToolButton *spdOpen = nullptr, *spdSave = nullptr, *spdSaveAs = nullptr, *spdOK = nullptr,
                *spdCancel = nullptr, *spdDefault = nullptr, *spdHelp = nullptr;
    QFrame* pnlButtons = nullptr;
    std::array<QPushButton*, 28> btnErr{};
    std::array<QPushButton*, 4> btnGood{};
    QTextEdit* mmoTitle = nullptr;
    QLabel *lblCaption = nullptr, *lblShortDesc = nullptr, *lblLongDesc = nullptr;
    QLineEdit* editCaption = nullptr;
    QLineEdit* editShortDesc = nullptr;
    QPlainTextEdit* mmoLongDesc = nullptr;
    QPushButton *btnInsert = nullptr, *btnDelete = nullptr, *btnOK = nullptr;
    QLabel* StatusBar1 = nullptr;

    // Entry n's button (1 to 32).
    QPushButton* entryButton(int n) const;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormShow();
    void buildMenus();
    void buildToolbar();
    void buildButtonPanel();
    void buildFields();

    // What the three fields hold now.
    AnnotationEntry typedFields() const;
    void takeTitle();
    // Shows the edited copy: the buttons' captions and hints, the mark of the
    // current entry, its fields and their colour.
    void showButtons();
    void showCurrentMark();
    void loadFields();
    void showTitle();
    void showFileInUse();
    void makeFirstEntryCurrent();
    void longDescChanged();

    void loadKey();
    void storeKeys(const std::string& buttonFile);

    TfrmTallix32& main_;
    SettingsStore& settings_;
    ButtonSetEditor editor_;
    ButtonKeys keys_;
    bool syncing_ = false; // set while the window writes into its own fields
};

} // namespace tallix

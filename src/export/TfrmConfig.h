#pragma once
// The titles and prompts window: the eight titles of the exports in edit boxes,
// loaded from and saved to titles files (".cfg"), and applied to the marking
// window by OK.
#include "export/OutputTitles.h"

#include <QDialog>

#include <array>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace tallix {

class SettingsStore;

class TfrmConfig : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 20000;
    static inline const QString FileFilter = QStringLiteral("Configuration files (*.cfg)|*.cfg");

    // output is what the marking window holds: OK copies the titles and the file
    // into it, and stores the file's path in settings.
    TfrmConfig(OutputSettings& output, SettingsStore& settings, QWidget* parent = nullptr);

    // The window's own path of the titles file, and whether the edit boxes differ
    // from what was last shown, loaded or saved.
    const std::string& path() const { return path_; }
    bool ConfigChanged = false;

    // The titles in the edit boxes.
    OutputTitles editedTitles() const;

    // Asks whether to save changed titles; true when the caller may go on.
    bool AskSaveConfig();
    // Saves to the window's path (Save As when there is none); false when nothing
    // was saved.
    bool SaveConfig();
    bool SaveConfigAs();
    void btnLoadClick();
    void btnOKClick();

    QLabel* lblHeading = nullptr;
    std::array<QLabel*, TitleCount> pnlLabels{};
    QLineEdit *editComment = nullptr, *editCommentList = nullptr, *editErrorType = nullptr,
              *editErrorStats = nullptr, *editGrade = nullptr, *editContinued = nullptr,
              *editGoBack = nullptr, *editNoPrint = nullptr;
    // The eight boxes in row order.
    std::array<QLineEdit*, TitleCount> edits{};
    QPushButton *btnLoad = nullptr, *btnSave = nullptr, *btnSaveAs = nullptr, *btnOK = nullptr,
                *btnCancel = nullptr, *btnHelp = nullptr;
    QMenuBar* MainMenu = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction *mnuCut = nullptr, *mnuCopy = nullptr, *mnuPaste = nullptr,
            *mnuSelectAll = nullptr;

signals:
    // OK has put new titles and a new file into the marking window's settings.
    void titlesApplied();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void FormShow();
    void showTitles(const OutputTitles& t);
    // Writes the boxes to path; false (after the error report) when it could not.
    bool WriteConfigFile(const std::string& path);
    // The focused control when it is one of the edit boxes.
    QLineEdit* focusedEdit() const;

    OutputSettings& output_;
    SettingsStore& settings_;
    std::string path_;
    bool filling_ = false;
};

} // namespace tallix

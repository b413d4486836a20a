#pragma once
// The marking window: the essay, the annotation buttons, the notes area, the
// toolbar, the menus and the status bar. Every command asks the core to do the
// work and shows the outcome; the rules live in the core.
#include "annotations/AnnotationSet.h"
#include "document/DocumentCommands.h"
#include "document/MarkedDocument.h"
#include "export/OutputColours.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace tallix {

class EssayGuard;
class FindDialog;
class MarkRichEdit;
class SettingsStore;
using MarkRichEditView = MarkRichEdit;

// The file dialogs of the document commands.
enum class FileDialogKind { OpenTlx, SaveTlx, OpenRtf, OpenText };

class TfrmTallix32 : public QMainWindow, private DocumentPrompts {
    Q_OBJECT
public:
    // Reads the settings (FormCreate). `openAtShow` is the marked file to open
    // when the window is first shown (the command-line argument), if any.
    explicit TfrmTallix32(SettingsStore& settings, QString openAtShow = {},
                          QWidget* parent = nullptr);
    ~TfrmTallix32() override;

    MarkedDocument& document() { return doc_; }
    AnnotationSet& annotationSet() { return buttons_; }
    const OutputColours& outputColours() const { return colours_; }
    const std::string& buttonFilePath() const { return buttonFilePath_; }
    const std::string& configFile() const { return configFile_; }

    // --- commands ------------------------------------------------------------------
    void NewDocument();
    void spdOpenClick();
    void spdSaveClick();
    void mnuSaveAsClick();
    void mnuImportRTFClick();
    void mnuImportTextFileClick();
    void mnuLastFileClick(int n);
    bool LoadTlxFile(const QString& path);
    void annotationButtonClick(int tag);
    void spdDeleteAnnotationClick();
    void spdAddCommentClick();
    void spdDeleteCommentClick();
    void spdCommentClick();
    void spdFeedbackClick(int which);
    void mnuShowCommentsClick();
    void mnuShowFeedbackClick(int which);
    void alignClick(Alignment a);
    void spdIndentClick();
    void spdOutdentClick();
    void mnuCopyClick();
    void mnuCutClick();
    void mnuPasteClick();
    void mnuDeleteClick();
    void spdUndoClick();
    void RTFPopUpPopup();
    void mnuAddBookmarkClick();
    void mnuDeleteBookmarkClick();
    void mnuBookClick(int n);
    void refreshBookmarkMenu();
    void mnuFindClick();
    void FindDialog1Find();
    void mnuFindAgainClick();
    void mnuGoToLineClick();
    void mnuFeedFontClick();
    void mnuBodyFontClick();
    void mnuHelpContentsClick();
    void mnuSearchClick();
    void mnuTutorialClick();
    void mnuCharacterMapClick();
    void mnuAboutClick();

    // --- text clean-up (TfrmTallix32Tools.cpp) --------------------------------------
    void mnuStripReturnsClick();
    void mnuDeMacifyClick();
    void mnuConvertAllMacClick();

    // Lays the controls out for the current size (FormResize).
    void FormResize();
    // Shows the document state: caption, notes area, grade, recent files.
    void refreshFromDocument();

    // --- controls (named as the objects they are) ----------------------------------
    QWidget* pnlToolbar = nullptr;
    QToolButton *spdNew = nullptr, *spdOpen = nullptr, *spdSave = nullptr, *spdCut = nullptr,
                *spdCopy = nullptr, *spdPaste = nullptr, *spdUndo = nullptr,
                *spdAlignLeft = nullptr, *spdAlignCentre = nullptr, *spdAlignRight = nullptr,
                *spdIndent = nullptr, *spdOutdent = nullptr, *spdAddComment = nullptr,
                *spdDeleteComment = nullptr, *spdDeleteAnnotation = nullptr,
                *spdComment = nullptr, *spdFeedback1 = nullptr, *spdFeedback2 = nullptr,
                *spdToWeb = nullptr, *spdToRTF = nullptr, *spdToText = nullptr;
    MarkRichEditView* MarkRichEdit = nullptr;
    QLabel* pnlNotes = nullptr;
    QPlainTextEdit* mmoNotes = nullptr;
    QSpinBox* spinComments = nullptr;
    QWidget* pnlButtons = nullptr;
    std::array<QPushButton*, 28> btnErr{};
    std::array<QPushButton*, 4> btnGood{};
    QLabel* lblGrade = nullptr;
    QLineEdit* editGrade = nullptr;
    QWidget* pnlProgress = nullptr;
    QProgressBar* pgsMakeWeb = nullptr;
    QWidget* StatusBar1 = nullptr;
    std::array<QLabel*, 3> statusPanels{};
    QMenu* RTFPopUp = nullptr;
    QMenu* NotesPopUp = nullptr;

    QAction *mnuNew = nullptr, *mnuOpen = nullptr, *mnuSave = nullptr, *mnuSaveAs = nullptr,
            *mnuImportRTF = nullptr, *mnuImportTextFile = nullptr, *mnuExportWeb = nullptr,
            *mnuExportRTF = nullptr, *mnuExportText = nullptr, *mnuLastFileDivider = nullptr,
            *mnuExit = nullptr;
    std::array<QAction*, 5> mnuLastFile{};
    QAction *mnuUndo = nullptr, *mnuCut = nullptr, *mnuCopy = nullptr, *mnuPaste = nullptr,
            *mnuDelete = nullptr, *mnuFind = nullptr, *mnuFindAgain = nullptr,
            *mnuGoToLine = nullptr;
    QAction *mnuRemoveAnnotation = nullptr, *mnuAddComment = nullptr,
            *mnuDeleteComment = nullptr, *mnuShowComments = nullptr,
            *mnuShowFeedback1 = nullptr, *mnuShowFeedback2 = nullptr;
    QAction *mnuAddBookmark = nullptr, *mnuDeleteBookmark = nullptr;
    std::array<QAction*, 10> mnuBook{};
    QAction *mnuAnnotationButtons = nullptr, *mnuOutputTitles = nullptr,
            *mnuOutputColours = nullptr, *mnuFeedFont = nullptr, *mnuBodyFont = nullptr;
    QAction *mnuCountWords = nullptr, *mnuErrorStats = nullptr, *mnuUsefulLinks = nullptr,
            *mnuUsefulText = nullptr, *mnuStripReturns = nullptr, *mnuDeMacify = nullptr,
            *mnuConvertAllMac = nullptr, *mnuMultiStats = nullptr, *mnuCharacterMap = nullptr;
    QAction *mnuHelpContents = nullptr, *mnuSearch = nullptr, *mnuTutorial = nullptr,
            *mnuAbout = nullptr;
    QAction *popmnuCut = nullptr, *popmnuCopy = nullptr, *popmnuPaste = nullptr,
            *popmnuDelete = nullptr, *popmnuDeleteAnnotation = nullptr, *popmnuFind = nullptr,
            *popmnuFindAgain = nullptr, *popmnuGoToLine = nullptr, *popUndo = nullptr;
    FindDialog* FindDialog1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // DocumentPrompts
    Answer askSaveChanges() override;
    std::optional<std::string> askSavePath(const std::string& current) override;
    void showMessage(const Message& m) override;

    void FormCreate();
    void FormShow();
    void FormClose();
    void buildToolbar();
    void buildMenus();
    void buildButtonPanel();
    void buildNotesArea();
    void buildStatusBar();
    void showButtonSet();
    void showRecentFiles();
    void showNotesArea();
    void updateCaretStatus();
    void applyColourTints();
    std::optional<QString> chooseFile(FileDialogKind kind, const QString& current);
    void memoTextChanged();
    void showMessageWithHelp(const Message& m, bool helpButton);
    void withHourglass(const std::function<void()>& work);
    void runDocumentCommand(const std::function<void()>& command);
    void importEssay(ImportKind kind);
    void showOutcome(const std::optional<Message>& m);
    void focusEssay();

    // --- text clean-up (TfrmTallix32Tools.cpp) --------------------------------------
    // Lets the window repaint during a long clean-up.
    std::function<void(int, int)> cleanupProgress();
    // Puts the essay back as it was before a clean-up: its RTF, the selection, the
    // line at the top of the view and whether the document had unsaved changes.
    void restoreEssay(const std::string& rtf, bool changed, int selStart, int selLength,
                      int topLine);

    SettingsStore& settings_;
    MarkedDocument doc_;
    DocumentCommands commands_;
    AnnotationSet buttons_;
    OutputColours colours_;
    std::string buttonFilePath_;
    std::string configFile_;
    QString openAtShow_;
    bool shown_ = false;
    bool syncing_ = false; // set while the window writes into its own controls
    bool caretStatusPending_ = false;
};

} // namespace tallix

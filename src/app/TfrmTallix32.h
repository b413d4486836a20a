#pragma once
// The marking window: the essay, the annotation buttons, the notes area, the
// toolbar, the menus and the status bar. Every command asks the core to do the
// work and shows the outcome; the rules live in the core.
#include "annotations/AnnotationSet.h"
#include "annotations/ButtonKeys.h"
#include "document/MarkupMoves.h"
#include "stats/ClassQueue.h"
#include "document/DocumentCommands.h"
#include "document/MarkedDocument.h"
#include "export/OutputTitles.h"
#include "export/OutputColours.h"
#include "export/ExportInputs.h"
#include "export/web/WebText.h"
#include "stats/ErrorCounting.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QDockWidget;
class QTreeWidget;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;

namespace tallix {

class EssayGuard;
class FindDialog;
class TfrmDatabase;
class TfrmUsefulText;
namespace library {
class LinkList;
}
class MarkRichEdit;
class SettingsStore;
class TfrmConfig;
class TfrmOutputColours;
class TfrmWebOptions;
class TfrmTextOptions;
class TfrmRTFOptions;
class TfrmHandBackOptions;
class TfrmErrors;
class TfrmMultiStats;
using MarkRichEditView = MarkRichEdit;

// The file dialogs of the document commands.
enum class FileDialogKind { OpenTlx, SaveTlx, OpenRtf, OpenText, OpenPdf };

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
    const std::string& buttonFilePath() const { return buttonFilePath_; }
    // The class to open when the window is first shown (a folder, or several files
    // given on the command line), in place of openAtShow.
    void openClassAtShow(const QStringList& paths) { classAtShow_ = paths; }

    // --- commands ------------------------------------------------------------------
    void NewDocument();
    void spdOpenClick();
    void spdSaveClick();
    void mnuSaveAsClick();
    void mnuImportRTFClick();
    void mnuImportTextFileClick();
    void mnuImportPDFClick();
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

    // --- annotation button editor (TfrmTallix32Buttons.cpp) -------------------------
    // Opens the button editor on the set in use, modally. The editor is made on
    // first use and kept, so it is the same window every time.
    void mnuButtonsClick();
    // Makes set the set in use, in one change: the buttons' captions and hints,
    // the short texts and the status bar's button file follow at once.
    void AcceptButtons(const AnnotationSet& set);
    // The button file in use (read at start, saved to by the editor, made the
    // start-up file by its Set As Default). Changing it does not read the file.
    void setButtonFilePath(std::string path) { buttonFilePath_ = std::move(path); }
    class TfrmAnnButtons* frmAnnButtons = nullptr;
    // --- end of annotation button editor ---------------------------------------------
    // --- text clean-up (TfrmTallix32Tools.cpp) --------------------------------------
    void mnuStripReturnsClick();
    void mnuDeMacifyClick();
    void mnuConvertAllMacClick();

    // Lays the controls out for the current size (FormResize).
    void FormResize();
    // The least client size at which the toolbar, the annotation buttons and the
    // grade box are all in view.
    QSize minimumClientSize() const;
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
                *spdToWeb = nullptr, *spdToRTF = nullptr, *spdToText = nullptr,
                *spdToPDF = nullptr, *spdToWord = nullptr;
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
            *mnuImportRTF = nullptr, *mnuImportTextFile = nullptr, *mnuImportPDF = nullptr,
            *mnuExportWeb = nullptr, *mnuExportRTF = nullptr, *mnuExportText = nullptr,
            *mnuExportPDF = nullptr, *mnuExportWord = nullptr, *mnuCommentAuthor = nullptr,
            *mnuLastFileDivider = nullptr,
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
    QAction *mnuCountWords = nullptr, *mnuViewErrorStats = nullptr, *mnuUsefulLinks = nullptr,
            *mnuUsefulText = nullptr, *mnuStripReturns = nullptr, *mnuDeMacify = nullptr,
            *mnuConvertAllMac = nullptr, *mnuMultiStats = nullptr, *mnuCharacterMap = nullptr;
    QAction *mnuHelpContents = nullptr, *mnuSearch = nullptr, *mnuTutorial = nullptr,
            *mnuAbout = nullptr;
    QAction *popmnuCut = nullptr, *popmnuCopy = nullptr, *popmnuPaste = nullptr,
            *popmnuDelete = nullptr, *popmnuDeleteAnnotation = nullptr, *popmnuFind = nullptr,
            *popmnuFindAgain = nullptr, *popmnuGoToLine = nullptr, *popUndo = nullptr;
    FindDialog* FindDialog1 = nullptr;

    // --- statistics: error counts, multiple-file statistics, word count ---------------
    // Counts the error labels of the document into the statistics window's grid and
    // returns the table (ErrorStatisticsTable).
    stats::ErrorStatisticsTable CountErrors();
    void mnuViewErrorStatsClick();
    void mnuMultiStatsClick();
    void mnuCountWordsClick();
    TfrmErrors* frmErrors = nullptr;
    TfrmMultiStats* frmMultiStats = nullptr;
    QAction *popCountWords = nullptr, *popViewErrorStats = nullptr;
    // --- useful links and useful text (TfrmTallix32Library.cpp) -----------------------
    // Makes the two library windows, which read their files; start-up calls it once,
    // and a window asked for before that is made then.
    void createLibraryWindows();
    void mnuUsefulLinksClick();
    void mnuUsefulTextClick();
    TfrmDatabase& database();
    TfrmUsefulText& usefulText();
    // The useful links as they stand in memory (saved or not), from which the
    // exports expand link references.
    const library::LinkList& usefulLinks();
    TfrmDatabase* frmDatabase = nullptr;
    TfrmUsefulText* frmUsefulText = nullptr;
    QAction* popUsefulLinks = nullptr;
    // --- output titles and colours (TfrmTallix32Output.cpp) -------------------------
    // The titles file in use, its titles and the colour roles: what every export
    // reads at the moment it runs.
    const OutputSettings& outputSettings() const { return output_; }
    const OutputTitles& outputTitles() const { return output_.titles; }
    const OutputColours& outputColours() const { return output_.colours; }
    const std::string& configFile() const { return output_.configFile; }
    void mnuOutputTitlesClick();
    void mnuOutputColoursClick();
    // "Config: " and the titles file's name in the third status panel.
    void ShowConfigFile();
    // The font colours of the controls that show a colour role, and of the notes
    // memo and its heading.
    void ApplyOutputColours();
    TfrmConfig* frmConfig = nullptr;
    TfrmOutputColours* frmOutputColours = nullptr;

private:
    // Start-up: the titles file and the colour roles from the settings, and the
    // two windows that edit them.
    void FormCreateOutput();
    void tintNotesArea();
    OutputSettings output_;
    // --- end of output titles and colours --------------------------------------------

public:
    // The help topics of the menus (F1 while a menu is open).
    static constexpr int FileMenuHelpContext = 24000;
    static constexpr int EditMenuHelpContext = 25000;
    static constexpr int MarkingMenuHelpContext = 8000;
    static constexpr int BookmarksMenuHelpContext = 31000;
    static constexpr int OptionsMenuHelpContext = 28000;
    static constexpr int ToolsMenuHelpContext = 29000;
    static constexpr int HelpMenuHelpContext = 30000;

    // --- undo and redo (TfrmTallix32Undo.cpp) -------------------------------------------
    // Undo and redo act where the focus is: the notes memo and the grade box undo
    // their own editing; everywhere else the essay's history is undone or redone.
    void mnuRedoClick();
    // The captions and enabled states of the undo and redo commands, now.
    void updateUndoCommands();
    QAction *mnuRedo = nullptr, *popmnuUndo = nullptr, *popmnuRedo = nullptr;

private:
    enum class UndoPlace { Essay, Memo, Grade };
    UndoPlace undoPlace() const;
    void scheduleUndoUpdate();
    void buildUndoCommands(class QMenu* edit);
    // After an essay undo or redo: the window shows the document as it now is.
    void followHistory();
    // Undo or redo in the essay, wherever the focus is (the essay's pop-up menu).
    void essayUndo(bool redo);
    bool undoUpdatePending_ = false;
    // --- end of undo and redo -------------------------------------------------------------

public:
    // --- crash recovery (TfrmTallix32Recovery.cpp) ------------------------------------
    // How often unsaved work is written to the recovery file.
    static constexpr int RecoveryInterval = 60 * 1000;
    // Writes the recovery file when the document has unsaved changes, removes it
    // when it has none.
    void keepRecoveryInStep();
    // Offers back the work of programs that ended without saving it ("Restore",
    // "Discard", "Later"). True when work was restored into the document.
    bool offerRecovery();
    const std::string& recoveryFile() const { return recoveryFile_; }

private:
    void createRecovery();
    void discardRecovery();
    QTimer* recoveryTimer_ = nullptr;
    std::string recoveryFile_;
    bool recoveryWritten_ = false;
    // --- end of crash recovery ----------------------------------------------------------

public:
    // --- web export (TfrmTallix32Web.cpp) -------------------------------------------
    // Asks for the options and the file, exports the essay as one web page or as
    // several chained pages, and offers to open the first.
    void spdToWebClick();
    // The options window, created on first use and kept from then on.
    TfrmWebOptions* webOptionsWindow();
    TfrmWebOptions* frmWebOptions = nullptr;
    QLabel* lblProgressCaption = nullptr; // the caption of pnlProgress
    bool exportRunning = false;

private:
    void showExportProgress(const QString& caption, int position);
    void hideExportProgress();
    // --- end of web export -------------------------------------------------------------

public:
    // --- text and RTF export (TfrmTallix32Export.cpp) ----------------------------------
    // Ask for the options and the file, export the essay as plain text or as RTF,
    // and offer to open the file.
    void ExportToText();
    void ExportToRTF();
    // The options windows, created on first use and kept from then on.
    TfrmTextOptions* textOptionsWindow();
    TfrmRTFOptions* rtfOptionsWindow();
    TfrmTextOptions* frmTextOptions = nullptr;
    TfrmRTFOptions* frmRTFOptions = nullptr;
    // The PDF and Word exports: the same steps, with the copy the student can open
    // on any device; Word comments are signed with the teacher's name.
    void ExportToPDF();
    void ExportToWord();
    TfrmHandBackOptions* pdfOptionsWindow();
    TfrmHandBackOptions* wordOptionsWindow();
    TfrmHandBackOptions* frmPDFOptions = nullptr;
    TfrmHandBackOptions* frmWordOptions = nullptr;
    // Options > Teacher's Name: the name that signs Word comments (the login name
    // until one is set).
    void mnuCommentAuthorClick();
    // What every export reads: the document, the button set, titles, colours and
    // the useful links as the window holds them.
    exports::ExportSources exportSources();

private:
    struct ExportedFile {
        std::string bytes;
        stats::ErrorStatisticsTable statistics;
    };
    // Builds the file with progress shown, writes it, reports a failure or asks
    // whether to view it.
    void runFileExport(const QString& fileName, int helpContext,
                       const std::function<ExportedFile(const web::Progress&)>& build);
    // --- end of text and RTF export ------------------------------------------------------

public:
    // --- marking from the keyboard (TfrmTallix32Keys.cpp) -------------------------------
    // The buttons' keys in use: read for the button file in use at start-up, and
    // whenever the button editor accepts a set. A key does what a click does.
    const ButtonKeys& buttonKeys() const { return buttonKeys_; }
    void setButtonKeys(const ButtonKeys& keys);
    // The keys stored for a button file (defaults where none are stored), and
    // storing them.
    ButtonKeys storedButtonKeys(const std::string& buttonFile) const;
    void storeButtonKeys(const std::string& buttonFile, const ButtonKeys& keys);
    // The shortcuts and menu mnemonics of the window that a button key must not
    // take.
    std::vector<ReservedKey> reservedKeys() const;
    // The type-to-find list of the buttons at the caret (Marking > Annotate from List).
    void mnuAnnotateFromListClick();
    // Next / previous annotation and comment: select it and bring it into view.
    void mnuNextAnnotationClick(bool forward);
    void mnuNextCommentClick(bool forward);
    class ButtonFinderPopup* ButtonFinder = nullptr;
    QAction *mnuAnnotateFromList = nullptr, *mnuNextAnnotation = nullptr,
            *mnuPreviousAnnotation = nullptr, *mnuNextComment = nullptr,
            *mnuPreviousComment = nullptr;
    std::array<QAction*, 32> actButtonKey{};
    static constexpr int KeyboardHelpContext = 43100;

private:
    void buildKeyboardCommands(QMenu* marking, QMenu* go);
    void showButtonKeys();
    ButtonKeys buttonKeys_;
    // The mark the last move selected: Delete Annotation takes it out without
    // asking about the selection.
    std::optional<navigation::MarkSpan> movedTo_;
    // --- end of marking from the keyboard -------------------------------------------------

public:
    // --- the class queue (TfrmTallix32Class.cpp) ---------------------------------------
    // File > Open Class: a folder of essays, listed by student in the class panel.
    void mnuOpenClassClick();
    // Opens the queue of a folder, or of several files (the command line's). False
    // when the folder could not be listed (the message was shown).
    bool OpenClass(const QStringList& paths);
    // Saves the essay open (a failed save stops the move and says so), then opens
    // the next or previous essay of the queue that can be opened, without dialogs.
    bool mnuNextEssayClick(int step);
    // Opens row i of the queue (importing an essay on its first opening).
    bool OpenClassRow(int row);
    void mnuClassStatisticsClick();
    const classqueue::ClassQueue& classQueue() const { return queue_; }
    // Reads the rows not looked at yet (a few at a time between events), so that
    // their states and error counts fill in; the tests call it to finish at once.
    void scanClassQueue(int rows = 1 << 30);
    QDockWidget* pnlClass = nullptr;
    QTreeWidget* lvClass = nullptr;
    QPushButton *btnPreviousEssay = nullptr, *btnNextEssay = nullptr,
                *btnClassStatistics = nullptr;
    QLabel* lblClassProgress = nullptr;
    QAction *mnuOpenClass = nullptr, *mnuNextEssay = nullptr, *mnuPreviousEssay = nullptr,
            *mnuClassStatistics = nullptr;
    static constexpr int ClassQueueHelpContext = 43200;

private:
    void buildClassCommands(QMenu* file, QMenu* go);
    void buildClassPanel();
    void showClassQueue();
    void showClassRow(int row);
    void rememberClassQueue();
    // Opens a row: Opened; Stopped (a save failed or a question was cancelled:
    // nothing moves); Skipped (the row's file could not be imported or read: the
    // row shows why, with a message unless quiet).
    enum class RowOpen { Opened, Stopped, Skipped };
    RowOpen openClassRow(int row, bool quiet);
    // Before leaving the essay open: its row's state and count follow the document.
    void noteOpenRow();
    classqueue::ClassQueue queue_;
    QTimer* classScanTimer_ = nullptr;
    // --- end of the class queue --------------------------------------------------------

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
    bool askOverwriteChanged(const std::string& path) override;

    void FormCreate();
    void FormShow();
    // --- damaged settings files (TfrmTallix32Robust.cpp) --------------------------------
    // Shows, once, what the settings store found wrong with its file.
    void showSettingsDamage();
    void FormClose();
    void buildToolbar();
    void buildMenus();
    void buildButtonPanel();
    void buildNotesArea();
    void buildStatusBar();
    void showButtonSet();
    void showRecentFiles();
    // The enabled menu command whose shortcut key is the key pressed, if any.
    QAction* menuCommandForKey(const QKeyEvent& key) const;
    void showNotesArea();
    void updateCaretStatus();
    std::optional<QString> chooseFile(FileDialogKind kind, const QString& current);
    void memoTextChanged();
    void showMessageWithHelp(const Message& m, bool helpButton);
    void withHourglass(const std::function<void()>& work);
    void runDocumentCommand(const std::function<void()>& command);
    void importEssay(ImportKind kind, FileDialogKind dialog);
    void showOutcome(const std::optional<Message>& m);
    void focusEssay();
    void createStatisticsWindows();

    // --- text clean-up (TfrmTallix32Tools.cpp) --------------------------------------
    // Lets the window repaint during a long clean-up.
    std::function<void(int, int)> cleanupProgress();

    SettingsStore& settings_;
    MarkedDocument doc_;
    DocumentCommands commands_;
    AnnotationSet buttons_;
    std::string buttonFilePath_;
    QString openAtShow_;
    QStringList classAtShow_;
    bool shown_ = false;
    bool syncing_ = false; // set while the window writes into its own controls
    bool caretStatusPending_ = false;
};

} // namespace tallix

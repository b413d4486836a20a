#include "app/TfrmTallix32.h"
#include "platform/qt/QtStrings.h"

#include "annotations/Annotating.h"
#include "app/TfrmAbout.h"
#include "document/Comments.h"
#include "platform/TextCodec.h"
#include "document/EditGuard.h"
#include "document/Navigation.h"
#include "document/qt/EssayClipboard.h"
#include "document/qt/EssayGuard.h"
#include "document/qt/FindDialog.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/Launcher.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"
#include "tools/TextCleanup.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>

namespace tallix {

namespace {

constexpr int ClientWidth = 622;
constexpr int ClientHeight = 429;
constexpr int ToolbarHeight = 30;
constexpr int StatusHeight = 20;
constexpr int ButtonPanelWidth = 158;
constexpr int NotesCaptionHeight = 16;

QString qpath(const std::string& utf8) { return QString::fromStdString(utf8); }

// The memo shows line breaks as the platform does; the document keeps CR LF.
QString toMemoText(const std::u16string& s) {
    QString t = qs(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}
std::u16string fromMemoText(QString t) {
    t.replace(QChar(0x2029), QLatin1Char('\n'));
    return text::normaliseLineBreaks(u16(t));
}

// Small drawn icons for the toolbar buttons that have no standard picture.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    draw(p);
    return QIcon(pm);
}

QIcon alignIcon(Alignment a) {
    return drawnIcon([a](QPainter& p) {
        const int widths[] = {14, 9, 14, 9, 14};
        for (int i = 0; i < 5; ++i) {
            int w = widths[i];
            int x = a == Alignment::Left ? 1 : a == Alignment::Right ? 15 - w : (16 - w) / 2;
            p.drawLine(x, 2 + 3 * i, x + w - 1, 2 + 3 * i);
        }
    });
}

QIcon indentIcon(bool in) {
    return drawnIcon([in](QPainter& p) {
        for (int i = 0; i < 5; ++i)
            p.drawLine(i == 0 || i == 4 ? 1 : 7, 2 + 3 * i, 14, 2 + 3 * i);
        QPolygon arrow;
        if (in)
            arrow << QPoint(1, 5) << QPoint(5, 8) << QPoint(1, 11);
        else
            arrow << QPoint(5, 5) << QPoint(1, 8) << QPoint(5, 11);
        p.setBrush(Qt::black);
        p.drawPolygon(arrow);
    });
}

QIcon letterIcon(const QString& text, const QColor& colour, bool strike = false) {
    return drawnIcon([&](QPainter& p) {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(text.size() > 1 ? 9 : 12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(colour);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
        if (strike) {
            p.setPen(QPen(Qt::red, 2));
            p.drawLine(2, 14, 14, 2);
        }
    });
}

// Where a window with the frame `frame` goes so that it can be seen and moved:
// where it is when a good part of its title bar lies on a screen, else on the
// screen nearest to it, as far inside as its size allows.
QPoint placeOnScreen(const QRect& frame) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return frame.topLeft();
    const QRect titleBar(frame.left(), frame.top(), frame.width(), std::min(frame.height(), 24));
    for (const QScreen* s : screens) {
        const QRect seen = s->availableGeometry().intersected(titleBar);
        if (seen.width() >= std::min(titleBar.width(), 80) && seen.height() > 0)
            return frame.topLeft();
    }
    auto distance = [&frame](const QRect& area) {
        const QPoint c = frame.center();
        const qint64 dx = std::max({area.left() - c.x(), 0, c.x() - area.right()});
        const qint64 dy = std::max({area.top() - c.y(), 0, c.y() - area.bottom()});
        return dx * dx + dy * dy;
    };
    QRect best = screens.front()->availableGeometry();
    for (const QScreen* s : screens)
        if (distance(s->availableGeometry()) < distance(best))
            best = s->availableGeometry();
    const int x = std::clamp(frame.left(), best.left(),
                             std::max(best.left(), best.right() + 1 - frame.width()));
    const int y = std::clamp(frame.top(), best.top(),
                             std::max(best.top(), best.bottom() + 1 - frame.height()));
    return {x, y};
}

} // namespace

// ====================================================================== creation

TfrmTallix32::TfrmTallix32(SettingsStore& settings, QString openAtShow, QWidget* parent)
    : QMainWindow(parent), settings_(settings), commands_(doc_, *this),
      openAtShow_(std::move(openAtShow)) {
    setObjectName(QStringLiteral("frmTallix32"));
    FormCreate();
}

TfrmTallix32::~TfrmTallix32() {
    if (MarkRichEdit)
        MarkRichEdit->setBuffer(nullptr);
}

void TfrmTallix32::FormCreate() {
    setWindowTitle(qs(doc_.caption()));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    buildToolbar();
    MarkRichEdit = new tallix::MarkRichEdit(client);
    MarkRichEdit->setObjectName(QStringLiteral("MarkRichEdit"));
    MarkRichEdit->setBuffer(&doc_.essay());
    MarkRichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    // Keys, typed text, input-method text and drops in the essay pass the guard.
    new EssayGuard(MarkRichEdit, this);
    FindDialog1 = new FindDialog(this);
    FindDialog1->setObjectName(QStringLiteral("FindDialog1"));
    connect(FindDialog1, &FindDialog::findNext, this, [this] { FindDialog1Find(); });
    buildNotesArea();
    buildButtonPanel();
    buildStatusBar();
    buildMenus();

    // Whether the document changed follows its history; the undo commands follow
    // the history and the focus.
    doc_.history().setListener([this] { scheduleUndoUpdate(); });
    connect(qApp, &QApplication::focusChanged, this, [this] { scheduleUndoUpdate(); });
    // Scans walk the caret thousands of times in one command: the status bar and
    // the buttons follow once, when the command is done.
    connect(MarkRichEdit, &tallix::MarkRichEdit::caretMoved, this, [this] {
        if (caretStatusPending_)
            return;
        caretStatusPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                caretStatusPending_ = false;
                updateCaretStatus();
            },
            Qt::QueuedConnection);
    });
    connect(MarkRichEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                RTFPopUpPopup();
                RTFPopUp->popup(MarkRichEdit->mapToGlobal(at));
            });

    // Steps of creation that read the settings.
    FormCreateOutput();
    const int width =
        settings_.readInteger(QStringLiteral("MainForm"), QStringLiteral("ClientWidth"), ClientWidth);
    const int height = settings_.readInteger(QStringLiteral("MainForm"),
                                             QStringLiteral("ClientHeight"), ClientHeight);
    buttonFilePath_ = settings_
                          .readString(QStringLiteral("FilePaths"),
                                      QStringLiteral("CurrentButtons"),
                                      programFolder() + QStringLiteral("default.btn"))
                          .toStdString();
    for (int n = 1; n <= RecentFiles::Count; ++n)
        doc_.recentFiles.setEntry(
            n, settings_
                   .readString(QStringLiteral("FilePaths"), QStringLiteral("LastFile%1").arg(n),
                               QString())
                   .toStdString());
    QFont feedback(settings_.readString(QStringLiteral("Fonts"), QStringLiteral("FeedbackName"),
                                        QStringLiteral("Arial")));
    feedback.setPointSize(std::max(
        1, settings_.readInteger(QStringLiteral("Fonts"), QStringLiteral("FeedbackSize"), 8)));
    feedback.setBold(
        settings_.readBool(QStringLiteral("Fonts"), QStringLiteral("FeedbackBold"), false));
    feedback.setItalic(
        settings_.readBool(QStringLiteral("Fonts"), QStringLiteral("FeedbackItalic"), false));
    mmoNotes->setFont(feedback);
    showRecentFiles();

    // The client area takes the stored size, never less than the size at which the
    // toolbar, every annotation button and the grade box stay in view; the window
    // is centred on the screen.
    const QSize least = minimumClientSize();
    client->setMinimumSize(least);
    resize(std::max(width, least.width()),
           std::max(height, least.height()) + menuBar()->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect avail = screen->availableGeometry();
        move(avail.x() + (avail.width() - frameGeometry().width()) / 2,
             avail.y() + (avail.height() - frameGeometry().height()) / 2);
    }

    // The essay's default attributes: Arial 12 black, no style.
    CharFormat body;
    body.colour = clBlack;
    body.fontName = u"Arial";
    body.sizeHalfPoints = markup::BodySize * 2;
    doc_.essay().setDefaultFormat(body);
    doc_.essay().resetInsertionFormat();

    buttons_.assignDefaultButtons();
    // Until the teacher saves a set of their own, the one installed with the
    // program serves.
    readButtonFile(buttons_, readableFile(qpath(buttonFilePath_)).toStdString());
    buttonKeys_ = storedButtonKeys(buttonFilePath_);
    buttons_.addListener([this](const AnnotationSet&) { showButtonSet(); });
    showButtonSet();
    buildClassPanel();

    createStatisticsWindows();
    createRecovery();
    refreshFromDocument();
    FormResize();

    // The fields of the window (the grade box, the notes memo, the comment
    // selector) would take some menu keys for themselves: Ctrl+U erases a line
    // edit's text, Ctrl+E moves its caret. The window sees their keys first so
    // that every menu shortcut reaches its command whichever field has the focus.
    // The essay claims only the keys it edits with.
    for (QWidget* field : findChildren<QWidget*>())
        if (field != MarkRichEdit && field->focusPolicy() != Qt::NoFocus)
            field->installEventFilter(this);
    // The essay would page with Ctrl+PgUp and Ctrl+PgDown; they move through the
    // class instead.
    MarkRichEdit->installEventFilter(this);
}

void TfrmTallix32::buildToolbar() {
    pnlToolbar = new QWidget(centralWidget());
    pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    int x = 2;
    auto button = [&](QToolButton*& b, const char* name, const QString& hint, const QIcon& icon,
                      const QString& caption = {}) {
        b = new QToolButton(pnlToolbar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        if (!caption.isEmpty()) {
            b->setText(caption);
            QFont f(QStringLiteral("Arial"));
            f.setBold(true);
            f.setPixelSize(12);
            b->setFont(f);
        } else {
            b->setIcon(icon);
        }
        b->setGeometry(x, 3, 25, 24);
        x += 25;
    };
    auto gap = [&x] { x += 8; };
    QStyle* st = style();
    button(spdNew, "spdNew", QStringLiteral("New document"), st->standardIcon(QStyle::SP_FileIcon));
    button(spdOpen, "spdOpen", QStringLiteral("Open file"),
           st->standardIcon(QStyle::SP_DialogOpenButton));
    button(spdSave, "spdSave", QStringLiteral("Save file"),
           st->standardIcon(QStyle::SP_DialogSaveButton));
    gap();
    button(spdCut, "spdCut", QStringLiteral("Cut to clipboard"),
           drawnIcon([](QPainter& p) {
               p.drawEllipse(2, 10, 4, 4);
               p.drawEllipse(10, 10, 4, 4);
               p.drawLine(5, 10, 11, 1);
               p.drawLine(11, 10, 5, 1);
           }));
    button(spdCopy, "spdCopy", QStringLiteral("Copy to clipboard"), drawnIcon([](QPainter& p) {
               p.drawRect(1, 1, 8, 10);
               p.fillRect(6, 5, 9, 10, Qt::white);
               p.drawRect(6, 5, 8, 10);
           }));
    button(spdPaste, "spdPaste", QStringLiteral("Paste from clipboard"),
           drawnIcon([](QPainter& p) {
               p.drawRect(2, 2, 10, 12);
               p.fillRect(5, 1, 5, 3, Qt::darkGray);
               p.fillRect(7, 7, 8, 8, Qt::white);
               p.drawRect(7, 7, 7, 8);
           }));
    button(spdUndo, "spdUndo", QStringLiteral("Undo"), drawnIcon([](QPainter& p) {
               p.drawArc(3, 4, 11, 10, 0, 200 * 16);
               p.setBrush(Qt::black);
               p.drawPolygon(QPolygon({QPoint(0, 8), QPoint(6, 8), QPoint(3, 12)}));
           }));
    gap();
    button(spdAlignLeft, "spdAlignLeft", QStringLiteral("Left-align the current paragraph"),
           alignIcon(Alignment::Left));
    button(spdAlignCentre, "spdAlignCentre",
           QStringLiteral("Centre-align the current paragraph"), alignIcon(Alignment::Center));
    button(spdAlignRight, "spdAlignRight", QStringLiteral("Right-align the current paragraph"),
           alignIcon(Alignment::Right));
    button(spdIndent, "spdIndent", QStringLiteral("Increase indent"), indentIcon(true));
    button(spdOutdent, "spdOutdent", QStringLiteral("Decrease indent"), indentIcon(false));
    gap();
    button(spdAddComment, "spdAddComment", QStringLiteral("Add a comment"),
           letterIcon(QStringLiteral("+1"), QColor(0, 128, 0)));
    button(spdDeleteComment, "spdDeleteComment", QStringLiteral("Delete a comment"),
           letterIcon(QStringLiteral("1"), QColor(0, 128, 0), true));
    button(spdDeleteAnnotation, "spdDeleteAnnotation", QStringLiteral("Delete annotation"),
           letterIcon(QStringLiteral("Sp"), QColor(255, 0, 0), true));
    gap();
    button(spdComment, "spdComment", QStringLiteral("Show comments"), {}, QStringLiteral("C"));
    button(spdFeedback1, "spdFeedback1", QStringLiteral("Show Feedback 1"), {},
           QStringLiteral("F1"));
    button(spdFeedback2, "spdFeedback2", QStringLiteral("Show Feedback 2"), {},
           QStringLiteral("F2"));
    gap();
    button(spdToWeb, "spdToWeb", QStringLiteral("Export to Web page"),
           letterIcon(QStringLiteral("W"), QColor(0, 0, 160)));
    button(spdToRTF, "spdToRTF", QStringLiteral("Export to Rich Text Format"),
           letterIcon(QStringLiteral("R"), QColor(0, 0, 160)));
    button(spdToText, "spdToText", QStringLiteral("Export to plain text file"),
           letterIcon(QStringLiteral("T"), QColor(0, 0, 160)));
    button(spdToPDF, "spdToPDF", QStringLiteral("Export to PDF"),
           letterIcon(QStringLiteral("P"), QColor(0, 0, 160)));
    button(spdToWord, "spdToWord", QStringLiteral("Export to Word document"),
           letterIcon(QStringLiteral("D"), QColor(0, 0, 160)));

    for (QToolButton* b : {spdAlignLeft, spdAlignCentre, spdAlignRight, spdComment, spdFeedback1,
                           spdFeedback2})
        b->setCheckable(true);
    spdAlignLeft->setChecked(true);
    spdUndo->setEnabled(false);
    spdDeleteComment->setEnabled(false);

    connect(spdNew, &QToolButton::clicked, this, [this] { NewDocument(); });
    connect(spdOpen, &QToolButton::clicked, this, [this] { spdOpenClick(); });
    connect(spdSave, &QToolButton::clicked, this, [this] { spdSaveClick(); });
    connect(spdCopy, &QToolButton::clicked, this, [this] { mnuCopyClick(); });
    connect(spdUndo, &QToolButton::clicked, this, [this] { spdUndoClick(); });
    connect(spdCut, &QToolButton::clicked, this, [this] { mnuCutClick(); });
    connect(spdPaste, &QToolButton::clicked, this, [this] { mnuPasteClick(); });
    connect(spdAlignLeft, &QToolButton::clicked, this, [this] { alignClick(Alignment::Left); });
    connect(spdAlignCentre, &QToolButton::clicked, this,
            [this] { alignClick(Alignment::Center); });
    connect(spdAlignRight, &QToolButton::clicked, this, [this] { alignClick(Alignment::Right); });
    connect(spdIndent, &QToolButton::clicked, this, [this] { spdIndentClick(); });
    connect(spdOutdent, &QToolButton::clicked, this, [this] { spdOutdentClick(); });
    connect(spdAddComment, &QToolButton::clicked, this, [this] { spdAddCommentClick(); });
    connect(spdDeleteComment, &QToolButton::clicked, this, [this] { spdDeleteCommentClick(); });
    connect(spdDeleteAnnotation, &QToolButton::clicked, this,
            [this] { spdDeleteAnnotationClick(); });
    connect(spdComment, &QToolButton::clicked, this, [this] { spdCommentClick(); });
    connect(spdFeedback1, &QToolButton::clicked, this, [this] { spdFeedbackClick(1); });
    connect(spdFeedback2, &QToolButton::clicked, this, [this] { spdFeedbackClick(2); });
    connect(spdToWeb, &QToolButton::clicked, this, [this] { spdToWebClick(); });
    connect(spdToRTF, &QToolButton::clicked, this, [this] { ExportToRTF(); });
    connect(spdToText, &QToolButton::clicked, this, [this] { ExportToText(); });
    connect(spdToPDF, &QToolButton::clicked, this, [this] { ExportToPDF(); });
    connect(spdToWord, &QToolButton::clicked, this, [this] { ExportToWord(); });
}

void TfrmTallix32::buildNotesArea() {
    QWidget* client = centralWidget();
    pnlNotes = new QLabel(QStringLiteral("Notes"), client);
    pnlNotes->setObjectName(QStringLiteral("pnlNotes"));
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSize(8);
    captionFont.setBold(true);
    pnlNotes->setFont(captionFont);
    pnlNotes->setFrameShape(QFrame::Panel);
    pnlNotes->setFrameShadow(QFrame::Raised);
    pnlNotes->setAlignment(Qt::AlignCenter);
    pnlNotes->setAutoFillBackground(true);
    pnlNotes->hide();

    spinComments = new QSpinBox(client);
    spinComments->setObjectName(QStringLiteral("spinComments"));
    QFont spinFont(QStringLiteral("Arial"));
    spinFont.setPointSize(12);
    spinFont.setBold(true);
    spinComments->setFont(spinFont);
    spinComments->setRange(0, 0);
    spinComments->hide();
    setHelpContext(spinComments, comments::HelpContext);

    mmoNotes = new QPlainTextEdit(client);
    mmoNotes->setObjectName(QStringLiteral("mmoNotes"));
    mmoNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoNotes->setContextMenuPolicy(Qt::CustomContextMenu);
    mmoNotes->hide();
    mmoNotes->installEventFilter(this);
    setHelpContext(mmoNotes, comments::HelpContext);

    connect(mmoNotes, &QPlainTextEdit::textChanged, this, [this] { memoTextChanged(); });
    connect(mmoNotes, &QPlainTextEdit::undoAvailable, this, [this] { scheduleUndoUpdate(); });
    connect(mmoNotes, &QPlainTextEdit::redoAvailable, this, [this] { scheduleUndoUpdate(); });
    connect(mmoNotes, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!syncing_)
            doc_.notes.memoCaret = mmoNotes->textCursor().position();
    });
    connect(mmoNotes, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { NotesPopUp->popup(mmoNotes->mapToGlobal(at)); });
    connect(spinComments, &QSpinBox::valueChanged, this, [this](int value) {
        if (syncing_)
            return;
        comments::selectorChanged(doc_, value);
        showNotesArea();
    });
    spinComments->installEventFilter(this);
}

void TfrmTallix32::buildButtonPanel() {
    pnlButtons = new QWidget(centralWidget());
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    setHelpContext(pnlButtons, AnnotatingHelpContext);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        auto* b = new QPushButton(pnlButtons);
        b->setObjectName(QString::fromStdString(annotationButtonName(n)));
        b->setProperty("Tag", n);
        b->setFont(f);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QStringLiteral("QPushButton { color: black; padding: 0px; }"));
        const ButtonCell cell = annotationButtonCell(n);
        b->setGeometry(cell.left, cell.top, cell.width, cell.height);
        if (n <= ErrorEntryCount)
            btnErr[std::size_t(n - 1)] = b;
        else
            btnGood[std::size_t(n - 29)] = b;
        connect(b, &QPushButton::clicked, this, [this, n] { annotationButtonClick(n); });
    }

    lblGrade = new QLabel(QStringLiteral("Grade:"), pnlButtons);
    lblGrade->setObjectName(QStringLiteral("lblGrade"));
    QFont gradeFont(QStringLiteral("Arial"));
    gradeFont.setPointSize(10);
    gradeFont.setBold(true);
    lblGrade->setFont(gradeFont);
    lblGrade->setGeometry(8, 292, 140, 18);
    editGrade = new QLineEdit(QString::fromUtf16(tlx::NewGrade), pnlButtons);
    editGrade->setObjectName(QStringLiteral("editGrade"));
    QFont editFont(QStringLiteral("Arial"));
    editFont.setPointSize(16);
    editFont.setBold(true);
    editGrade->setFont(editFont);
    editGrade->setGeometry(8, 312, 140, 34);
    setHelpContext(editGrade, comments::HelpContext);
    connect(editGrade, &QLineEdit::textEdited, this, [this](const QString& t) {
        doc_.grade = u16(t);
        doc_.documentChanged = true;
    });
    connect(editGrade, &QLineEdit::textChanged, this, [this] { scheduleUndoUpdate(); });

    pnlProgress = new QWidget(pnlButtons);
    pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    pnlProgress->setGeometry(4, 356, 150, 40);
    pgsMakeWeb = new QProgressBar(pnlProgress);
    pgsMakeWeb->setObjectName(QStringLiteral("pgsMakeWeb"));
    pgsMakeWeb->setRange(0, 10);
    pgsMakeWeb->setGeometry(4, 20, 142, 16);
    pnlProgress->hide();
}

void TfrmTallix32::buildStatusBar() {
    StatusBar1 = new QWidget(centralWidget());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    const char* texts[] = {"Button file: ", "Line: ", ""};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(texts[i]), StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(2);
        statusPanels[std::size_t(i)] = panel;
    }
}

void TfrmTallix32::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](QMenu* parentMenu, const QString& title, const char* name, int help) {
        QMenu* m = parentMenu ? parentMenu->addMenu(title) : bar->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(true);
        setHelpContext(m, help);
        return m;
    };
    auto item = [&](QMenu* m, QAction*& a, const QString& text, const char* name,
                    const QKeySequence& key, std::function<void()> run) {
        a = m->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        if (run)
            connect(a, &QAction::triggered, this, std::move(run));
        else
            a->setEnabled(false); // its window is not built yet
        return a;
    };

    QMenu* file = menu(nullptr, QStringLiteral("&File"), "mnuFile", FileMenuHelpContext);
    item(file, mnuNew, QStringLiteral("&New"), "mnuNew", QKeySequence(QStringLiteral("Ctrl+N")),
         [this] { NewDocument(); });
    item(file, mnuOpen, QStringLiteral("&Open"), "mnuOpen", QKeySequence(QStringLiteral("Ctrl+O")),
         [this] { spdOpenClick(); });
    item(file, mnuSave, QStringLiteral("&Save"), "mnuSave", QKeySequence(QStringLiteral("Ctrl+S")),
         [this] { spdSaveClick(); });
    item(file, mnuSaveAs, QStringLiteral("Save &As"), "mnuSaveAs", {}, [this] { mnuSaveAsClick(); });
    file->addSeparator();
    QMenu* import = menu(file, QStringLiteral("&Import"), "mnuImport", FileMenuHelpContext);
    item(import, mnuImportRTF, QStringLiteral("&RTF File"), "mnuImportRTF", {},
         [this] { mnuImportRTFClick(); });
    item(import, mnuImportTextFile, QStringLiteral("&Text File"), "mnuImportTextFile", {},
         [this] { mnuImportTextFileClick(); });
    item(import, mnuImportPDF, QStringLiteral("&PDF File..."), "mnuImportPDF", {},
         [this] { mnuImportPDFClick(); });
    QMenu* exportMenu = menu(file, QStringLiteral("&Export"), "mnuExport", FileMenuHelpContext);
    item(exportMenu, mnuExportWeb, QStringLiteral("To &Web"), "mnuExportWeb", {},
         [this] { spdToWebClick(); });
    item(exportMenu, mnuExportRTF, QStringLiteral("To &RTF File"), "mnuExportRTF", {},
         [this] { ExportToRTF(); });
    item(exportMenu, mnuExportText, QStringLiteral("To &Text File"), "mnuExportText", {},
         [this] { ExportToText(); });
    item(exportMenu, mnuExportPDF, QStringLiteral("To &PDF\u2026"), "mnuExportPDF", {},
         [this] { ExportToPDF(); });
    item(exportMenu, mnuExportWord, QStringLiteral("To &Word Document\u2026"), "mnuExportWord", {},
         [this] { ExportToWord(); });
    file->addSeparator();
    for (int n = 1; n <= 5; ++n) {
        QAction*& a = mnuLastFile[std::size_t(n - 1)];
        a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuLastFile%1").arg(n));
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, n] { mnuLastFileClick(n); });
    }
    mnuLastFileDivider = file->addSeparator();
    mnuLastFileDivider->setObjectName(QStringLiteral("mnuLastFileDivider"));
    mnuLastFileDivider->setVisible(false);
    item(file, mnuExit, QStringLiteral("E&xit"), "mnuExit", {}, [this] { close(); });

    QMenu* edit = menu(nullptr, QStringLiteral("&Edit"), "mnuEdit", EditMenuHelpContext);
    item(edit, mnuUndo, QStringLiteral("&Undo"), "mnuUndo", QKeySequence(QStringLiteral("Ctrl+Z")),
         [this] { spdUndoClick(); });
    mnuUndo->setEnabled(false);
    buildUndoCommands(edit);
    edit->addSeparator();
    item(edit, mnuCut, QStringLiteral("Cu&t"), "mnuCut", QKeySequence(QStringLiteral("Ctrl+X")),
         [this] { mnuCutClick(); });
    item(edit, mnuCopy, QStringLiteral("&Copy"), "mnuCopy", QKeySequence(QStringLiteral("Ctrl+C")),
         [this] { mnuCopyClick(); });
    item(edit, mnuPaste, QStringLiteral("&Paste"), "mnuPaste",
         QKeySequence(QStringLiteral("Ctrl+V")), [this] { mnuPasteClick(); });
    item(edit, mnuDelete, QStringLiteral("&Delete"), "mnuDelete",
         QKeySequence(QStringLiteral("Ctrl+Del")), [this] { mnuDeleteClick(); });
    edit->addSeparator();
    item(edit, mnuFind, QStringLiteral("&Find"), "mnuFind", QKeySequence(QStringLiteral("Ctrl+F")),
         [this] { mnuFindClick(); });
    item(edit, mnuFindAgain, QStringLiteral("Find &Again"), "mnuFindAgain",
         QKeySequence(Qt::Key_F3), [this] { mnuFindAgainClick(); });
    item(edit, mnuGoToLine, QStringLiteral("&Go to Line Number..."), "mnuGoToLine", {},
         [this] { mnuGoToLineClick(); });

    QMenu* marking =
        menu(nullptr, QStringLiteral("&Marking"), "mnuMarking", MarkingMenuHelpContext);
    item(marking, mnuRemoveAnnotation, QStringLiteral("Delete A&nnotation"), "mnuRemoveAnnotation",
         {}, [this] { spdDeleteAnnotationClick(); });
    marking->addSeparator();
    item(marking, mnuAddComment, QStringLiteral("&Add Comment"), "mnuAddComment", {},
         [this] { spdAddCommentClick(); });
    item(marking, mnuDeleteComment, QStringLiteral("&Delete Comment"), "mnuDeleteComment", {},
         [this] { spdDeleteCommentClick(); });
    item(marking, mnuShowComments, QStringLiteral("&Show Comments"), "mnuShowComments", {},
         [this] { mnuShowCommentsClick(); });
    marking->addSeparator();
    item(marking, mnuShowFeedback1, QStringLiteral("Show Feedback &1"), "mnuShowFeedback1", {},
         [this] { mnuShowFeedbackClick(1); });
    item(marking, mnuShowFeedback2, QStringLiteral("Show Feedback &2"), "mnuShowFeedback2", {},
         [this] { mnuShowFeedbackClick(2); });
    for (QAction* a : {mnuShowComments, mnuShowFeedback1, mnuShowFeedback2})
        a->setCheckable(true);

    QMenu* bookmarks =
        menu(nullptr, QStringLiteral("&Bookmarks"), "mnuBookmarks", BookmarksMenuHelpContext);
    item(bookmarks, mnuAddBookmark, QStringLiteral("&Add Bookmark"), "mnuAddBookmark", {},
         [this] { mnuAddBookmarkClick(); });
    item(bookmarks, mnuDeleteBookmark, QStringLiteral("&Delete Bookmark"), "mnuDeleteBookmark", {},
         [this] { mnuDeleteBookmarkClick(); });
    bookmarks->addSeparator();
    for (int n = 1; n <= 10; ++n) {
        QAction*& a = mnuBook[std::size_t(n - 1)];
        a = bookmarks->addAction(QString());
        a->setObjectName(QStringLiteral("mnuBook%1").arg(n));
        a->setProperty("Tag", n);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, n] { mnuBookClick(n); });
    }

    // Moving about the essay and the class from the keyboard.
    QMenu* go = menu(nullptr, QStringLiteral("&Go"), "mnuGo", KeyboardHelpContext);
    buildKeyboardCommands(marking, go);
    buildClassCommands(file, go);

    QMenu* options =
        menu(nullptr, QStringLiteral("&Options"), "mnuOptions", OptionsMenuHelpContext);
    item(options, mnuAnnotationButtons, QStringLiteral("Annotation &Buttons"),
         "mnuAnnotationButtons", {}, [this] { mnuButtonsClick(); });
    item(options, mnuOutputTitles, QStringLiteral("&Output Titles and Prompts"), "mnuOutputTitles",
         {}, [this] { mnuOutputTitlesClick(); });
    item(options, mnuOutputColours, QStringLiteral("Output &Colours"), "mnuOutputColours", {},
         [this] { mnuOutputColoursClick(); });
    item(options, mnuCommentAuthor, QStringLiteral("Teacher's &Name for Comments\u2026"),
         "mnuCommentAuthor", {}, [this] { mnuCommentAuthorClick(); });
    QMenu* fonts = menu(options, QStringLiteral("&Fonts"), "mnuFonts", OptionsMenuHelpContext);
    item(fonts, mnuFeedFont, QStringLiteral("&Feedback"), "mnuFeedFont", {},
         [this] { mnuFeedFontClick(); });
    item(fonts, mnuBodyFont, QStringLiteral("&Essay Body"), "mnuBodyFont", {},
         [this] { mnuBodyFontClick(); });

    QMenu* tools = menu(nullptr, QStringLiteral("&Tools"), "mnuTools", ToolsMenuHelpContext);
    item(tools, mnuCountWords, QStringLiteral("&Count Words"), "mnuCountWords",
         QKeySequence(QStringLiteral("Ctrl+W")), [this] { mnuCountWordsClick(); });
    item(tools, mnuViewErrorStats, QStringLiteral("View &Error Statistics"), "mnuViewErrorStats",
         QKeySequence(QStringLiteral("Ctrl+E")), [this] { mnuViewErrorStatsClick(); });
    item(tools, mnuUsefulLinks, QStringLiteral("&Useful Links"), "mnuUsefulLinks",
         QKeySequence(QStringLiteral("Ctrl+U")), [this] { mnuUsefulLinksClick(); });
    item(tools, mnuUsefulText, QStringLiteral("Useful &Text"), "mnuUsefulText",
         QKeySequence(QStringLiteral("Ctrl+T")), [this] { mnuUsefulTextClick(); });
    tools->addSeparator();
    item(tools, mnuStripReturns, QStringLiteral("&Strip Returns from E-mail"), "mnuStripReturns", {},
         [this] { mnuStripReturnsClick(); });
    item(tools, mnuDeMacify, QStringLiteral("&Replace Mac Smart Quotes"), "mnuDeMacify", {},
         [this] { mnuDeMacifyClick(); });
    item(tools, mnuConvertAllMac, QStringLiteral("Convert &All Mac Characters"), "mnuConvertAllMac",
         {}, [this] { mnuConvertAllMacClick(); });
    for (QAction* a : {mnuDeMacify, mnuConvertAllMac})
        a->setProperty("helpContext", tools::MacHelpContext);
    tools->addSeparator();
    item(tools, mnuMultiStats, QStringLiteral("&Multiple-File Error Statistics"), "mnuMultiStats",
         {}, [this] { mnuMultiStatsClick(); });
    item(tools, mnuCharacterMap, QStringLiteral("C&haracter Map"), "mnuCharacterMap", {},
         [this] { mnuCharacterMapClick(); });
    mnuCharacterMap->setToolTip(QStringLiteral("Run Windows Character Map utility"));

    QMenu* help = menu(nullptr, QStringLiteral("&Help"), "mnuHelp", HelpMenuHelpContext);
    item(help, mnuHelpContents, QStringLiteral("&Help Contents"), "mnuHelpContents", {},
         [this] { mnuHelpContentsClick(); });
    item(help, mnuSearch, QStringLiteral("&Search for Help On"), "mnuSearch", {},
         [this] { mnuSearchClick(); });
    item(help, mnuTutorial, QStringLiteral("&Tutorial"), "mnuTutorial", {},
         [this] { mnuTutorialClick(); });
    help->addSeparator();
    item(help, mnuAbout, QStringLiteral("&About Tallix32"), "mnuAbout", {},
         [this] { mnuAboutClick(); });

    // The essay's pop-up menu: the edit commands act on the essay.
    RTFPopUp = new QMenu(this);
    RTFPopUp->setObjectName(QStringLiteral("RTFPopUp"));
    auto pop = [this](QAction*& act, const QString& text, const char* name,
                      std::function<void()> run) {
        act = RTFPopUp->addAction(text);
        act->setObjectName(QString::fromLatin1(name));
        connect(act, &QAction::triggered, this, std::move(run));
    };
    pop(popmnuUndo, QStringLiteral("Undo"), "popmnuUndo", [this] { essayUndo(false); });
    pop(popmnuRedo, QStringLiteral("Redo"), "popmnuRedo", [this] { essayUndo(true); });
    RTFPopUp->addSeparator();
    pop(popmnuCut, QStringLiteral("Cut"), "popmnuCut", [this] {
        showOutcome(cutRtf(doc_.essay()));
    });
    pop(popmnuCopy, QStringLiteral("Copy"), "popmnuCopy", [this] { copyRtf(doc_.essay()); });
    pop(popmnuPaste, QStringLiteral("Paste"), "popmnuPaste",
        [this] { showOutcome(pasteRtf(doc_.essay())); });
    pop(popmnuDelete, QStringLiteral("Delete"), "popmnuDelete",
        [this] { showOutcome(deleteRtf(doc_.essay())); });
    RTFPopUp->addSeparator();
    pop(popmnuDeleteAnnotation, QStringLiteral("Delete Annotation"), "popmnuDeleteAnnotation",
        [this] { spdDeleteAnnotationClick(); });
    RTFPopUp->addSeparator();
    pop(popmnuFind, QStringLiteral("Find"), "popmnuFind", [this] { mnuFindClick(); });
    pop(popmnuFindAgain, QStringLiteral("Find Again"), "popmnuFindAgain",
        [this] { mnuFindAgainClick(); });
    pop(popmnuGoToLine, QStringLiteral("Go to Line Number..."), "popmnuGoToLine",
        [this] { mnuGoToLineClick(); });

    NotesPopUp = new QMenu(this);
    NotesPopUp->setObjectName(QStringLiteral("NotesPopUp"));
    popUndo = NotesPopUp->addAction(QStringLiteral("Undo"));
    popUndo->setObjectName(QStringLiteral("popUndo"));
    connect(popUndo, &QAction::triggered, this, [this] { spdUndoClick(); });
    popCountWords = NotesPopUp->addAction(QStringLiteral("Count Words"));
    popCountWords->setObjectName(QStringLiteral("popCountWords"));
    connect(popCountWords, &QAction::triggered, this, [this] { mnuCountWordsClick(); });
    popViewErrorStats = NotesPopUp->addAction(QStringLiteral("View Error Statistics"));
    popViewErrorStats->setObjectName(QStringLiteral("popViewErrorStats"));
    connect(popViewErrorStats, &QAction::triggered, this, [this] { mnuViewErrorStatsClick(); });
    popUsefulLinks = NotesPopUp->addAction(QStringLiteral("Useful Links"));
    popUsefulLinks->setObjectName(QStringLiteral("popUsefulLinks"));
    connect(popUsefulLinks, &QAction::triggered, this, [this] { mnuUsefulLinksClick(); });
}

// ====================================================================== layout

void TfrmTallix32::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    FormResize();
}

QSize TfrmTallix32::minimumClientSize() const {
    int toolbarRight = 0;
    for (const QWidget* b : pnlToolbar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        toolbarRight = std::max(toolbarRight, b->geometry().right() + 1);
    int buttonsBottom = editGrade->geometry().bottom() + 1;
    for (const QPushButton* b : btnErr)
        buttonsBottom = std::max(buttonsBottom, b->geometry().bottom() + 1);
    // Beside the button panel the essay keeps a usable width.
    constexpr int LeastEssayWidth = 160;
    return {std::max(toolbarRight + 4, LeastEssayWidth + 4 + ButtonPanelWidth),
            ToolbarHeight + buttonsBottom + 4 + StatusHeight};
}

void TfrmTallix32::FormResize() {
    QWidget* client = centralWidget();
    if (!client || !StatusBar1)
        return;
    const int w = client->width();
    const int h = client->height();
    pnlToolbar->setGeometry(0, 0, w, ToolbarHeight);
    const int t = h - StatusHeight; // T: the top of the status bar
    StatusBar1->setGeometry(0, t, w, StatusHeight);
    statusPanels[0]->setGeometry(0, 0, 200, StatusHeight);
    statusPanels[1]->setGeometry(202, 0, 100, StatusHeight);
    // The class's progress ("12 of 28 graded") at the right while a class is open.
    const int classWidth = lblClassProgress && lblClassProgress->isVisible() ? 120 : 0;
    statusPanels[2]->setGeometry(304, 0, std::max(50, w - 304 - classWidth), StatusHeight);
    if (classWidth > 0)
        lblClassProgress->setGeometry(w - classWidth + 2, 0, classWidth - 2, StatusHeight);
    pnlButtons->setGeometry(w - ButtonPanelWidth, ToolbarHeight, ButtonPanelWidth,
                            t - ToolbarHeight);
    const int b = pnlButtons->x() - 4; // B: the essay's right edge

    pnlNotes->setGeometry(0, t - 98, b, NotesCaptionHeight);
    spinComments->setGeometry(0, t - 70, 52, 28);
    const int essayTop = ToolbarHeight;
    const int essayBottom = pnlNotes->isVisible() ? pnlNotes->y() - 3 : t - 3;
    MarkRichEdit->setGeometry(0, essayTop, b, std::max(0, essayBottom - essayTop));
    const int memoTop = pnlNotes->y() + pnlNotes->height() + 1;
    const bool beside = doc_.notes.caption == NotesCaption::Comments;
    const int memoLeft = beside ? spinComments->x() + spinComments->width() + 5 : 0;
    mmoNotes->setGeometry(memoLeft, memoTop, std::max(0, b - memoLeft),
                          std::max(0, t - memoTop - 1));
    MarkRichEdit->viewport()->update();
}

// ====================================================================== show and close

void TfrmTallix32::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmTallix32::FormShow() {
    const QPoint centred = pos();
    const int top = settings_.readInteger(QStringLiteral("MainForm"), QStringLiteral("Top"),
                                          centred.y());
    const int left = settings_.readInteger(QStringLiteral("MainForm"), QStringLiteral("Left"),
                                           centred.x());
    // A stored place off every screen (another monitor, since unplugged, or a
    // damaged value) would open the window out of sight on every start.
    constexpr int Far = 1 << 20; // far beyond any desktop, and safe from overflow
    const QRect stored(QPoint(std::clamp(left, -Far, Far), std::clamp(top, -Far, Far)),
                       frameGeometry().size());
    move(placeOnScreen(stored));
    if (settings_.readInteger(QStringLiteral("MainForm"), QStringLiteral("State"), 0) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
    showSettingsDamage();
    // Work a crashed program left comes first; once it is restored, the file of the
    // command line is not opened over it.
    const bool restored = offerRecovery();
    if (!openAtShow_.isEmpty()) {
        const QString path = openAtShow_;
        openAtShow_.clear();
        if (!restored)
            LoadTlxFile(path);
    }
    if (!classAtShow_.isEmpty()) {
        const QStringList paths = classAtShow_;
        classAtShow_.clear();
        if (!restored)
            OpenClass(paths);
    }
}

void TfrmTallix32::closeEvent(QCloseEvent* e) {
    // FormCloseQuery: the memo's text counts as a change, so commit it first.
    doc_.commitNotes();
    if (!commands_.closeQuery()) {
        refreshFromDocument();
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

void TfrmTallix32::FormClose() {
    discardRecovery();
    const QString form = QStringLiteral("MainForm");
    if (isMaximized()) {
        settings_.writeInteger(form, QStringLiteral("State"), 1);
    } else {
        settings_.writeInteger(form, QStringLiteral("State"), 0);
        settings_.writeInteger(form, QStringLiteral("Top"), y());
        settings_.writeInteger(form, QStringLiteral("Left"), x());
        settings_.writeInteger(form, QStringLiteral("ClientWidth"), centralWidget()->width());
        settings_.writeInteger(form, QStringLiteral("ClientHeight"), centralWidget()->height());
    }
    for (int n = 1; n <= RecentFiles::Count; ++n)
        settings_.writeString(QStringLiteral("FilePaths"), QStringLiteral("LastFile%1").arg(n),
                              qpath(doc_.recentFiles.entry(n)));
    const QFont f = mmoNotes->font();
    settings_.writeString(QStringLiteral("Fonts"), QStringLiteral("FeedbackName"), f.family());
    settings_.writeInteger(QStringLiteral("Fonts"), QStringLiteral("FeedbackSize"),
                           f.pointSize() > 0 ? f.pointSize() : 8);
    settings_.writeBool(QStringLiteral("Fonts"), QStringLiteral("FeedbackBold"), f.bold());
    settings_.writeBool(QStringLiteral("Fonts"), QStringLiteral("FeedbackItalic"), f.italic());
    settings_.flush();
    showSettingsDamage(); // a settings file found unwritable only now
}

// ====================================================================== showing the state

void TfrmTallix32::refreshFromDocument() {
    syncing_ = true;
    setWindowTitle(qs(doc_.caption()));
    if (editGrade->text() != qs(doc_.grade))
        editGrade->setText(qs(doc_.grade));
    syncing_ = false;
    showNotesArea();
    showRecentFiles();
    refreshBookmarkMenu();
    updateCaretStatus();
    if (!doc_.documentChanged)
        keepRecoveryInStep(); // saved, opened or new: the recovery file goes
}

void TfrmTallix32::showNotesArea() {
    syncing_ = true;
    const NotesArea& n = doc_.notes;
    const bool comments = n.caption == NotesCaption::Comments;
    pnlNotes->setText(qs(notesCaptionText(n.caption)));
    pnlNotes->setVisible(n.visible);
    mmoNotes->setVisible(n.visible);
    spinComments->setVisible(n.visible && comments);
    spinComments->setRange(0, n.selectorMax);
    spinComments->setValue(n.selectorValue);
    spdDeleteComment->setEnabled(n.selectorMax > 0);
    mnuDeleteComment->setEnabled(true);

    tintNotesArea();

    const QString memo = toMemoText(n.memoText);
    if (mmoNotes->toPlainText() != memo) {
        mmoNotes->setPlainText(memo);
        QTextCursor c = mmoNotes->textCursor();
        c.setPosition(std::clamp(n.memoCaret, 0, int(memo.size())));
        mmoNotes->setTextCursor(c);
        mmoNotes->ensureCursorVisible();
    }

    // The toggles and their menu check marks copy the state.
    spdComment->setChecked(n.commentDown);
    spdFeedback1->setChecked(n.feedback1Down);
    spdFeedback2->setChecked(n.feedback2Down);
    mnuShowComments->setChecked(n.commentDown);
    mnuShowFeedback1->setChecked(n.feedback1Down);
    mnuShowFeedback2->setChecked(n.feedback2Down);
    syncing_ = false;
    FormResize();
}

void TfrmTallix32::showRecentFiles() {
    for (int n = 1; n <= RecentFiles::Count; ++n) {
        QAction* a = mnuLastFile[std::size_t(n - 1)];
        const std::string& path = doc_.recentFiles.entry(n);
        a->setText(qpath(doc_.recentFiles.menuText(n)));
        a->setToolTip(qpath(path));
        a->setVisible(!path.empty());
    }
    mnuLastFileDivider->setVisible(doc_.recentFiles.dividerVisible());
}

void TfrmTallix32::showButtonSet() {
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        QPushButton* b = n <= ErrorEntryCount ? btnErr[std::size_t(n - 1)]
                                              : btnGood[std::size_t(n - 29)];
        b->setText(qs(buttons_.caption(n)));
        b->setToolTip(qs(buttons_.longText(n)));
    }
    showButtonKeys(); // the tooltips name the keys
    statusPanels[0]->setText(qs(buttonFileStatusText(buttonFilePath_)));
}

void TfrmTallix32::updateCaretStatus() {
    const RichTextBuffer& b = doc_.essay();
    statusPanels[1]->setText(QStringLiteral("Line: %1").arg(b.lineOfPosition(b.selStart())));
    spdDeleteAnnotation->setEnabled(canDeleteAnnotation(b));
    const Alignment a = b.paraAlignment();
    spdAlignLeft->setChecked(a == Alignment::Left);
    spdAlignCentre->setChecked(a == Alignment::Center);
    spdAlignRight->setChecked(a == Alignment::Right);
}

// ====================================================================== questions and messages

Answer TfrmTallix32::askSaveChanges() {
    switch (tallix::showMessage(this, QString::fromUtf16(SaveChangesQuestion),
                                MessageType::Confirmation, buttons::YesNoCancelHelp,
                                tlx::HelpContext)) {
    case Button::Yes:
        return Answer::Yes;
    case Button::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<std::string> TfrmTallix32::askSavePath(const std::string& current) {
    std::optional<QString> path = chooseFile(FileDialogKind::SaveTlx, qpath(current));
    if (!path)
        return std::nullopt;
    return path->toStdString();
}

bool TfrmTallix32::askOverwriteChanged(const std::string& path) {
    return tallix::showMessage(this, qs(MarkedDocument::overwriteChangedQuestion(path)),
                               MessageType::Warning, buttons::YesNo,
                               tlx::HelpContext) == Button::Yes;
}

void TfrmTallix32::showMessage(const Message& m) {
    if (m.type == MessageType::Error && m.helpContext == 0)
        reportError(this, qs(m.text));
    else
        tallix::showMessage(this, qs(m.text), m.type, buttons::Ok, m.helpContext);
}

void TfrmTallix32::showMessageWithHelp(const Message& m, bool helpButton) {
    tallix::showMessage(this, qs(m.text), m.type, helpButton ? buttons::OkHelp : buttons::Ok,
                        m.helpContext);
}

std::optional<QString> TfrmTallix32::chooseFile(FileDialogKind kind, const QString& current) {
    FileRequest r;
    switch (kind) {
    case FileDialogKind::OpenTlx:
    case FileDialogKind::SaveTlx:
        r.mode = kind == FileDialogKind::SaveTlx ? FileRequest::Mode::Save : FileRequest::Mode::Open;
        r.title = kind == FileDialogKind::SaveTlx ? QStringLiteral("Save Tallix File")
                                                  : QStringLiteral("Open Tallix File");
        r.filter = QStringLiteral("Tallix files (*.tlx)|*.tlx");
        r.defaultExtension = QStringLiteral(".tlx");
        r.confirmOverwrite = kind == FileDialogKind::SaveTlx;
        r.helpContext = tlx::HelpContext;
        r.initialPath = current;
        break;
    case FileDialogKind::OpenRtf:
        r.title = QStringLiteral("Import RTF File");
        // Word and OpenDocument essays come in through the same command.
        r.filter = QStringLiteral("Essays|*.rtf;*.docx;*.odt|RichText Format files (*.rtf)|*.rtf|"
                                  "Word documents (*.docx)|*.docx|OpenDocument texts (*.odt)|*.odt");
        r.defaultExtension = QStringLiteral(".rtf");
        r.helpContext = tlx::ImportRtfHelpContext;
        break;
    case FileDialogKind::OpenPdf:
        r.title = QStringLiteral("Import PDF File");
        r.filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
        r.defaultExtension = QStringLiteral(".pdf");
        r.helpContext = tlx::ImportPdfHelpContext;
        break;
    case FileDialogKind::OpenText:
        r.filter = QStringLiteral("Text files (*.txt)|*.txt");
        r.defaultExtension = QStringLiteral("*.txt");
        r.helpContext = tlx::ImportTextHelpContext;
        break;
    }
    std::optional<QString> path = askFileName(this, r);
    if (path && path->isEmpty())
        return std::nullopt;
    return path;
}

void TfrmTallix32::withHourglass(const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        work();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
}

// ====================================================================== document commands

void TfrmTallix32::NewDocument() {
    runDocumentCommand([this] { commands_.newDocument(); });
}

bool TfrmTallix32::LoadTlxFile(const QString& path) {
    FileOutcome r;
    runDocumentCommand([&] { r = doc_.loadTlxFile(path.toStdString()); });
    if (!r.ok)
        showMessage(r.message);
    return r.ok;
}

void TfrmTallix32::spdOpenClick() {
    if (std::optional<QString> path = chooseFile(FileDialogKind::OpenTlx, QString()))
        runDocumentCommand([&] { commands_.open(path->toStdString()); });
}

void TfrmTallix32::mnuLastFileClick(int n) {
    runDocumentCommand([&] { commands_.openRecent(n); });
}

void TfrmTallix32::spdSaveClick() {
    withHourglass([this] { commands_.save(); });
    refreshFromDocument();
}

void TfrmTallix32::mnuSaveAsClick() {
    withHourglass([this] { commands_.saveAs(); });
    refreshFromDocument();
}

void TfrmTallix32::mnuImportRTFClick() { importEssay(ImportKind::Rtf, FileDialogKind::OpenRtf); }

void TfrmTallix32::mnuImportTextFileClick() { importEssay(ImportKind::Text, FileDialogKind::OpenText); }

// The reader follows the file's content; the kind only chooses the message for a
// file that is none of the formats.
void TfrmTallix32::mnuImportPDFClick() { importEssay(ImportKind::Rtf, FileDialogKind::OpenPdf); }

void TfrmTallix32::importEssay(ImportKind kind, FileDialogKind dialog) {
    doc_.commitNotes();
    if (!commands_.saveChanges()) {
        refreshFromDocument();
        return;
    }
    if (std::optional<QString> path = chooseFile(dialog, QString()))
        runDocumentCommand([&] { commands_.importEssay(path->toStdString(), kind); });
    else
        refreshFromDocument();
}

// Runs a command that replaces the document: the memo's text is committed first,
// the buffer's changes during it are not edits, and the window shows the outcome.
void TfrmTallix32::runDocumentCommand(const std::function<void()>& command) {
    doc_.commitNotes();
    syncing_ = true;
    try {
        withHourglass(command);
    } catch (...) {
        syncing_ = false;
        refreshFromDocument();
        throw;
    }
    syncing_ = false;
    refreshFromDocument();
}

// ====================================================================== marking commands

void TfrmTallix32::annotationButtonClick(int tag) {
    if (auto m = annotateWithEntry(doc_.essay(), buttons_.shortText(tag),
                                   annotationLabelColour(tag)))
        showMessageWithHelp(m->message, m->helpButton);
    MarkRichEdit->setFocus();
    keepRecoveryInStep();
}

void TfrmTallix32::spdDeleteAnnotationClick() {
    // The annotation a move selected is taken out as if the caret were in it.
    RichTextBuffer& essay = doc_.essay();
    if (movedTo_ && essay.selStart() == movedTo_->start && essay.selLength() == movedTo_->length &&
        essay.selLength() > 0)
        essay.select(navigation::caretInside(*movedTo_), 0);
    movedTo_.reset();
    DeleteAnnotationOutcome r = deleteAnnotation(doc_.essay());
    if (r.message)
        showMessageWithHelp(r.message->message, r.message->helpButton);
    MarkRichEdit->setFocus();
    keepRecoveryInStep();
}

void TfrmTallix32::spdAddCommentClick() {
    doc_.commitNotes();
    if (auto m = comments::addComment(doc_)) {
        tallix::showMessage(this, qs(m->text), m->type, buttons::OkHelp, m->helpContext);
        return;
    }
    refreshFromDocument();
    mmoNotes->setFocus();
    keepRecoveryInStep();
}

void TfrmTallix32::spdDeleteCommentClick() {
    doc_.commitNotes();
    std::optional<QString> answer =
        askText(this, QString::fromUtf16(comments::DeleteTitle),
                QString::fromUtf16(comments::DeletePrompt),
                QString::fromUtf16(comments::DeleteDefault));
    std::optional<std::u16string> typed;
    if (answer)
        typed = u16(*answer);
    if (auto m = comments::deleteComment(doc_, typed))
        reportError(this, qs(m->text));
    refreshFromDocument();
    keepRecoveryInStep();
}

void TfrmTallix32::spdCommentClick() {
    doc_.commitNotes();
    comments::commentButtonClicked(doc_, spdComment->isChecked());
    showNotesArea();
    if (doc_.notes.visible)
        mmoNotes->setFocus();
}

void TfrmTallix32::mnuShowCommentsClick() {
    doc_.commitNotes();
    comments::showCommentsMenuClicked(doc_);
    showNotesArea();
    if (doc_.notes.visible)
        mmoNotes->setFocus();
}

void TfrmTallix32::spdFeedbackClick(int which) {
    QToolButton* b = which == 1 ? spdFeedback1 : spdFeedback2;
    comments::feedbackButtonClicked(doc_, which, b->isChecked());
    showNotesArea();
    if (doc_.notes.visible)
        mmoNotes->setFocus();
}

void TfrmTallix32::mnuShowFeedbackClick(int which) {
    comments::showFeedbackMenuClicked(doc_, which);
    showNotesArea();
    if (doc_.notes.visible)
        mmoNotes->setFocus();
}

void TfrmTallix32::memoTextChanged() {
    if (syncing_)
        return;
    comments::memoChanged(doc_, fromMemoText(mmoNotes->toPlainText()),
                          mmoNotes->textCursor().position());
}

// ====================================================================== paragraphs and fonts

void TfrmTallix32::alignClick(Alignment a) {
    {
        UndoGroup step(doc_.essay(), StepKind::Alignment);
        doc_.essay().setParaAlignment(a);
    }
    updateCaretStatus();
    MarkRichEdit->setFocus();
}

void TfrmTallix32::spdIndentClick() {
    UndoGroup step(doc_.essay(), StepKind::Indent);
    doc_.essay().setParaStartIndent(doc_.essay().paraStartIndent() + 20);
    MarkRichEdit->setFocus();
}

void TfrmTallix32::spdOutdentClick() {
    UndoGroup step(doc_.essay(), StepKind::Indent);
    const int indent = doc_.essay().paraStartIndent();
    if (indent > 0)
        doc_.essay().setParaStartIndent(indent - 20);
    MarkRichEdit->setFocus();
}

// The edit commands act on whichever of the essay, the notes memo and the grade
// box has the focus (their keys reach the command from every field).
void TfrmTallix32::mnuCopyClick() {
    if (MarkRichEdit->hasFocus())
        copyRtf(doc_.essay());
    else if (mmoNotes->hasFocus())
        mmoNotes->copy();
    else if (editGrade->hasFocus())
        editGrade->copy();
}

void TfrmTallix32::mnuCutClick() {
    if (MarkRichEdit->hasFocus())
        showOutcome(cutRtf(doc_.essay()));
    else if (mmoNotes->hasFocus())
        mmoNotes->cut();
    else if (editGrade->hasFocus())
        editGrade->cut();
}

void TfrmTallix32::mnuPasteClick() {
    if (MarkRichEdit->hasFocus())
        showOutcome(pasteRtf(doc_.essay()));
    else if (mmoNotes->hasFocus())
        mmoNotes->paste();
    else if (editGrade->hasFocus())
        editGrade->paste();
}

void TfrmTallix32::mnuDeleteClick() {
    if (MarkRichEdit->hasFocus())
        showOutcome(deleteRtf(doc_.essay()));
    else if (mmoNotes->hasFocus())
        mmoNotes->textCursor().removeSelectedText();
    else if (editGrade->hasFocus() && editGrade->hasSelectedText())
        editGrade->del();
}

void TfrmTallix32::RTFPopUpPopup() {
    updateUndoCommands();
    const guard::PopupMenuState st = guard::popupMenuState(doc_.essay(), canDeleteAnnotation(doc_.essay()));
    popmnuCut->setEnabled(st.cut);
    popmnuCopy->setEnabled(st.copy);
    popmnuPaste->setEnabled(st.paste);
    popmnuDelete->setEnabled(st.del);
    popmnuDeleteAnnotation->setEnabled(st.deleteAnnotation);
    popmnuFind->setEnabled(st.find);
    popmnuFindAgain->setEnabled(st.findAgain);
    popmnuGoToLine->setEnabled(st.goToLine);
}

// ====================================================================== bookmarks, find, lines

void TfrmTallix32::refreshBookmarkMenu() {
    for (int k = 1; k <= Bookmarks::Limit; ++k) {
        QAction* a = mnuBook[std::size_t(k - 1)];
        a->setText(qs(doc_.bookmarks.caption(k)));
        a->setVisible(doc_.bookmarks.visible(k));
    }
}

void TfrmTallix32::mnuAddBookmarkClick() {
    if (auto m = navigation::bookmarkLimit(doc_.bookmarks)) {
        showOutcome(m);
        return;
    }
    std::optional<QString> name =
        askText(this, QString::fromUtf16(navigation::AddBookmarkTitle),
                QString::fromUtf16(navigation::AddBookmarkPrompt),
                qs(navigation::proposedBookmarkName(doc_.essay())));
    if (!name)
        return;
    {
        DocumentStep step(doc_, StepKind::AddBookmark);
        navigation::addBookmark(doc_.essay(), doc_.bookmarks, u16(*name));
    }
    refreshBookmarkMenu();
    focusEssay();
}

void TfrmTallix32::mnuDeleteBookmarkClick() {
    std::optional<QString> answer =
        askText(this, QString::fromUtf16(navigation::DeleteBookmarkTitle),
                QString::fromUtf16(navigation::DeleteBookmarkPrompt),
                QString::fromUtf16(navigation::DeleteBookmarkDefault));
    std::optional<std::u16string> typed;
    if (answer)
        typed = u16(*answer);
    std::optional<Message> m;
    {
        DocumentStep step(doc_, StepKind::DeleteBookmark);
        m = navigation::deleteBookmark(doc_.essay(), doc_.bookmarks, typed);
    }
    if (m)
        reportError(this, qs(m->text));
    refreshBookmarkMenu();
}

void TfrmTallix32::mnuBookClick(int n) {
    if (navigation::goToBookmark(doc_.essay(), n))
        focusEssay();
}

void TfrmTallix32::mnuFindClick() {
    const RichTextBuffer& b = doc_.essay();
    if (b.selLength() > 0)
        FindDialog1->setFindText(qs(b.selText()));
    FindDialog1->present();
}

void TfrmTallix32::FindDialog1Find() {
    const navigation::FindResult r = navigation::findNext(
        doc_.essay(), u16(FindDialog1->findText()), [this] {
            return tallix::showMessage(this, navigation::continueFromStartQuestion(),
                                       buttons::YesNoCancel) == Button::Yes;
        });
    if (r == navigation::FindResult::Found) {
        activateWindow();
        focusEssay();
    } else if (r == navigation::FindResult::NotFound) {
        showPlainMessage(this, QString::fromUtf16(navigation::NotFoundText));
    }
}

void TfrmTallix32::mnuFindAgainClick() {
    if (FindDialog1->findText().isEmpty())
        mnuFindClick();
    else
        FindDialog1Find();
}

void TfrmTallix32::mnuGoToLineClick() {
    std::optional<QString> answer =
        askText(this, QString::fromUtf16(navigation::GoToLineTitle),
                QString::fromUtf16(navigation::GoToLinePrompt),
                QString::fromUtf16(navigation::GoToLineDefault));
    std::optional<std::u16string> typed;
    if (answer)
        typed = u16(*answer);
    const navigation::GoToLineOutcome o = navigation::goToLine(doc_.essay(), typed);
    if (o.error) {
        reportError(this, qs(o.error->text));
    } else if (o.line >= 0) {
        MarkRichEdit->showSelectionNow();
        MarkRichEdit->scrollToLine(o.line);
        MarkRichEdit->setFocus();
    }
}

void TfrmTallix32::showOutcome(const std::optional<Message>& m) {
    if (m)
        tallix::showMessage(this, *m, buttons::Ok);
}

void TfrmTallix32::focusEssay() {
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->ensureCaretVisible();
    MarkRichEdit->setFocus();
}

void TfrmTallix32::mnuFeedFontClick() {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, mmoNotes->font(), this, QStringLiteral("Font"));
    if (ok)
        mmoNotes->setFont(chosen);
}

void TfrmTallix32::mnuBodyFontClick() {
    RichTextBuffer& b = doc_.essay();
    const bool selection = b.selLength() > 0;
    const CharFormat current = selection ? b.selFormat() : b.defaultFormat();
    QFont start(qs(current.fontName));
    start.setPointSize(std::max(1, current.sizePoints()));
    start.setBold(current.style & fsBold);
    start.setItalic(current.style & fsItalic);
    start.setUnderline(current.style & fsUnderline);
    start.setStrikeOut(current.style & fsStrikeOut);
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, start, this, QStringLiteral("Font"));
    if (!ok)
        return;
    StyleSet style = StyleSet((chosen.bold() ? fsBold : 0) | (chosen.italic() ? fsItalic : 0) |
                              (chosen.underline() ? fsUnderline : 0) |
                              (chosen.strikeOut() ? fsStrikeOut : 0));
    const int size = chosen.pointSize() > 0 ? chosen.pointSize() : current.sizePoints();
    if (selection) {
        UndoGroup step(b, StepKind::Font);
        b.setSelFontName(u16(chosen.family()));
        b.setSelSize(size);
        b.setSelStyle(style);
    } else {
        CharFormat f = b.defaultFormat();
        f.fontName = u16(chosen.family()).substr(0, MaxFontNameLength);
        f.sizeHalfPoints = size * 2;
        f.style = style;
        b.setDefaultFormat(f);
    }
}

// ====================================================================== help and tools

void TfrmTallix32::mnuHelpContentsClick() { showHelpContents(this); }

void TfrmTallix32::mnuSearchClick() { showHelpSearch(this); }

void TfrmTallix32::mnuTutorialClick() {
    const QString tutorial = QStringLiteral("tutorial/tutor1.htm");
    QString path = findShippedFile(tutorial);
    if (path.isEmpty())
        path = programFolder() + tutorial; // so the message names where it was looked for
    if (std::optional<QString> failure = LaunchFile(path))
        reportError(this, *failure);
}

void TfrmTallix32::mnuCharacterMapClick() {
    if (std::optional<QString> failure = launchCharacterMap())
        reportError(this, *failure);
}

void TfrmTallix32::mnuAboutClick() {
    TfrmAbout about(this);
    about.exec();
}

// ====================================================================== keys and focus

void TfrmTallix32::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        showHelpFor(QApplication::focusWidget() ? QApplication::focusWidget() : this);
        return;
    }
    QMainWindow::keyPressEvent(e);
}

QAction* TfrmTallix32::menuCommandForKey(const QKeyEvent& key) const {
    const QKeySequence pressed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (QAction* a : menuBar()->findChildren<QAction*>())
        if (a->isEnabled() && a->shortcuts().contains(pressed))
            return a;
    for (QAction* a : actButtonKey)
        if (a && a->isEnabled() && a->shortcuts().contains(pressed))
            return a;
    return nullptr;
}

bool TfrmTallix32::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // Not claimed by the field: the menu command's shortcut takes the key. Keys
        // no menu command uses (Ctrl+A, the field's own undo while Undo is off)
        // stay with the field.
        auto* key = static_cast<QKeyEvent*>(e);
        auto* field = qobject_cast<QWidget*>(watched);
        if (watched == MarkRichEdit) {
            QAction* command = menuCommandForKey(*key);
            if (command == mnuNextEssay || command == mnuPreviousEssay) {
                key->ignore();
                return true;
            }
            return QMainWindow::eventFilter(watched, e);
        }
        if (field && field->window() == this && menuCommandForKey(*key)) {
            key->ignore();
            return true;
        }
    }
    if (watched == mmoNotes) {
        if (e->type() == QEvent::FocusIn) {
            scheduleUndoUpdate();
        } else if (e->type() == QEvent::FocusOut) {
            comments::memoExited(doc_);
            scheduleUndoUpdate();
        }
    } else if (watched == spinComments && e->type() == QEvent::MouseButtonPress) {
        comments::selectorClicked(doc_);
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace tallix

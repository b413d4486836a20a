#include "annotations/TfrmAnnButtons.h"
#include "platform/qt/QtStrings.h"

#include "app/TfrmTallix32.h"
#include "export/OutputColours.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tallix {

namespace {

constexpr int ClientWidth = 484;
constexpr int ClientHeight = 352;
constexpr int ToolbarHeight = 30;
constexpr int StatusHeight = 20;
constexpr int FieldsLeft = 174;
constexpr int FieldsWidth = 302;

const QString ButtonFileFilter = QStringLiteral("Button files (*.btn)|*.btn");

QString qpath(const std::string& utf8) { return QString::fromStdString(utf8); }

QColor qcolour(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

void setTextColour(QWidget* w, Colour c, QPalette::ColorRole role = QPalette::Text) {
    QPalette p = w->palette();
    p.setColor(role, qcolour(c));
    w->setPalette(p);
}

// Small drawn pictures for the toolbar buttons that have no standard one.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    return QIcon(pm);
}

QIcon floppyIcon(bool twice) {
    return drawnIcon([twice](QPainter& p) {
        auto disk = [&p](int x, int y) {
            p.setPen(QPen(QColor(0, 0, 96), 1));
            p.setBrush(QColor(40, 70, 160));
            p.drawRect(x, y, 10, 10);
            p.setBrush(Qt::white);
            p.drawRect(x + 2, y, 6, 4);
            p.fillRect(x + 3, y + 7, 4, 3, QColor(200, 200, 200));
        };
        if (twice)
            disk(0, 0);
        disk(twice ? 5 : 2, twice ? 5 : 3);
    });
}

QIcon tickIcon() {
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygon({QPoint(2, 8), QPoint(6, 13), QPoint(14, 3)}));
    });
}

QIcon crossIcon() {
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(3, 3, 13, 13);
        p.drawLine(13, 3, 3, 13);
    });
}

QIcon defaultIcon() {
    return drawnIcon([](QPainter& p) {
        // A pin: these buttons are the ones the program starts with.
        p.setPen(QPen(QColor(128, 0, 0), 1));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(4, 1, 8, 8);
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.drawLine(8, 9, 8, 15);
    });
}

QIcon helpIcon() {
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(1, 1, 14, 14);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    });
}

} // namespace

// ====================================================================== creation

TfrmAnnButtons::TfrmAnnButtons(TfrmTallix32& mainWindow, SettingsStore& settings,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      main_(mainWindow), settings_(settings) {
    setObjectName(QStringLiteral("frmAnnButtons"));
    setWindowTitle(QStringLiteral("Annotation Buttons"));
    setModal(true);
    setHelpContext(this, ButtonEditorHelpContext);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(MainMenu1);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    buildToolbar();
    buildButtonPanel();
    buildFields();
    buildMenus();

    StatusBar1 = new QLabel(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setIndent(2);
    StatusBar1->setTextFormat(Qt::PlainText);
    StatusBar1->setGeometry(0, ClientHeight - StatusHeight, ClientWidth, StatusHeight);

    // The window is laid out in the tab order a teacher works in.
    setTabOrder(mmoTitle, editCaption);
    setTabOrder(editCaption, editKey);
    setTabOrder(editKey, btnClearKey);
    setTabOrder(btnClearKey, editShortDesc);
    setTabOrder(editShortDesc, mmoLongDesc);
    setTabOrder(mmoLongDesc, btnInsert);
    setTabOrder(btnInsert, btnDelete);
    setTabOrder(btnDelete, btnOK);
}

void TfrmAnnButtons::buildToolbar() {
    pnlToolbar = new QWidget(findChild<QWidget*>(QStringLiteral("client")));
    pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    pnlToolbar->setGeometry(0, 0, ClientWidth, ToolbarHeight);
    int x = 4;
    auto button = [&](QToolButton*& b, const char* name, const QString& hint, const QIcon& icon) {
        b = new QToolButton(pnlToolbar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setIcon(icon);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        b->setGeometry(x, 3, 25, 24);
        x += 25;
    };
    auto gap = [&x] { x += 8; };
    QStyle* st = style();
    button(spdOpen, "spdOpen", QStringLiteral("Load button set from disk"),
           st->standardIcon(QStyle::SP_DialogOpenButton));
    button(spdSave, "spdSave", QStringLiteral("Save button set to disk"), floppyIcon(false));
    button(spdSaveAs, "spdSaveAs", QStringLiteral("Save this button set to disk with a new name"),
           floppyIcon(true));
    gap();
    button(spdOK, "spdOK", QStringLiteral("Accept these changes and return to the main screen"),
           tickIcon());
    button(spdCancel, "spdCancel",
           QStringLiteral("Cancel these changes and return to the main screen"), crossIcon());
    gap();
    button(spdDefault, "spdDefault",
           QStringLiteral("Make these buttons the default button set for the program"),
           defaultIcon());
    gap();
    button(spdHelp, "spdHelp", QStringLiteral("Help for this screen"), helpIcon());

    connect(spdOpen, &QToolButton::clicked, this, [this] { spdOpenClick(); });
    connect(spdSave, &QToolButton::clicked, this, [this] { spdSaveClick(); });
    connect(spdSaveAs, &QToolButton::clicked, this, [this] { spdSaveAsClick(); });
    connect(spdOK, &QToolButton::clicked, this, [this] { btnOKClick(); });
    connect(spdCancel, &QToolButton::clicked, this, [this] { spdCancelClick(); });
    connect(spdDefault, &QToolButton::clicked, this, [this] { spdDefaultClick(); });
    connect(spdHelp, &QToolButton::clicked, this,
            [this] { showHelpContext(this, ButtonEditorHelpContext); });
}

void TfrmAnnButtons::buildMenus() {
    auto menu = [&](const QString& title, const char* name) {
        QMenu* m = MainMenu1->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(true);
        setHelpContext(m, ButtonEditorHelpContext);
        return m;
    };
    auto item = [&](QMenu* m, QAction*& a, const QString& text, const char* name,
                    QToolButton* twin, std::function<void()> run) {
        a = m->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (twin)
            a->setToolTip(twin->toolTip());
        connect(a, &QAction::triggered, this, std::move(run));
    };
    QMenu* file = menu(QStringLiteral("&File"), "mnuFile");
    item(file, mnuOpen, QStringLiteral("&Open"), "mnuOpen", spdOpen, [this] { spdOpenClick(); });
    item(file, mnuSave, QStringLiteral("&Save"), "mnuSave", spdSave, [this] { spdSaveClick(); });
    item(file, mnuSaveAs, QStringLiteral("Save &As"), "mnuSaveAs", spdSaveAs,
         [this] { spdSaveAsClick(); });
    file->addSeparator();
    item(file, mnuClose, QStringLiteral("&Close"), "mnuClose", spdCancel,
         [this] { spdCancelClick(); });
    QMenu* buttonsMenu = menu(QStringLiteral("&Buttons"), "mnuButtons");
    item(buttonsMenu, mnuAccept, QStringLiteral("&Accept"), "mnuAccept", spdOK,
         [this] { btnOKClick(); });
    item(buttonsMenu, mnuSetAsDefault, QStringLiteral("Set As &Default"), "mnuSetAsDefault",
         spdDefault, [this] { spdDefaultClick(); });
    item(buttonsMenu, mnuCancel, QStringLiteral("&Cancel"), "mnuCancel", spdCancel,
         [this] { spdCancelClick(); });
}

void TfrmAnnButtons::buildButtonPanel() {
    pnlButtons = new QFrame(findChild<QWidget*>(QStringLiteral("client")));
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setFrameShape(QFrame::Panel);
    pnlButtons->setFrameShadow(QFrame::Raised);
    pnlButtons->setGeometry(6, ToolbarHeight + 2, 160, 290);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        auto* b = new QPushButton(pnlButtons);
        b->setObjectName(QString::fromStdString(annotationButtonName(n)));
        b->setProperty("Tag", n);
        b->setFont(f);
        b->setAutoDefault(false);
        b->setStyleSheet(QStringLiteral("QPushButton { color: black; padding: 0px; }"));
        const ButtonCell cell = annotationButtonCell(n);
        b->setGeometry(cell.left, cell.top, cell.width, cell.height);
        if (isErrorEntry(n))
            btnErr[std::size_t(n - FirstErrorEntry)] = b;
        else
            btnGood[std::size_t(n - FirstPraiseEntry)] = b;
        connect(b, &QPushButton::clicked, this, [this, n] { btnEntryClick(n); });
    }
}

void TfrmAnnButtons::buildFields() {
    QWidget* client = findChild<QWidget*>(QStringLiteral("client"));
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(12);
    labelFont.setBold(true);
    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setPixelSize(13);

    mmoTitle = new QTextEdit(client);
    mmoTitle->setObjectName(QStringLiteral("mmoTitle"));
    mmoTitle->setAcceptRichText(false);
    mmoTitle->setToolTip(QStringLiteral("Enter the title of your button set here."));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    mmoTitle->setFont(titleFont);
    mmoTitle->setGeometry(FieldsLeft, ToolbarHeight + 2, FieldsWidth, 50);
    setTextColour(mmoTitle, LabelColour);
    connect(mmoTitle, &QTextEdit::textChanged, this, [this] {
        if (!syncing_)
            editor_.markChanged();
    });

    auto label = [&](QLabel*& l, const char* name, const QString& text, int top) {
        l = new QLabel(text, client);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(labelFont);
        setTextColour(l, LabelColour, QPalette::WindowText);
        l->setGeometry(FieldsLeft, top, FieldsWidth, 16);
    };
    label(lblCaption, "lblCaption", QStringLiteral("Button caption:"), 92);
    editCaption = new QLineEdit(client);
    editCaption->setObjectName(QStringLiteral("editCaption"));
    editCaption->setToolTip(QStringLiteral("Enter the caption of the button here"));
    editCaption->setFont(fieldFont);
    editCaption->setGeometry(FieldsLeft, 109, 90, 24);
    lblCaption->setBuddy(editCaption);

    // The button's key, beside its caption: what pressing it in the marking window
    // does is what clicking the button does.
    lblKey = new QLabel(QStringLiteral("Key:"), client);
    lblKey->setObjectName(QStringLiteral("lblKey"));
    lblKey->setFont(labelFont);
    setTextColour(lblKey, LabelColour, QPalette::WindowText);
    lblKey->setGeometry(FieldsLeft + 100, 92, FieldsWidth - 100, 16);
    editKey = new QKeySequenceEdit(client);
    editKey->setObjectName(QStringLiteral("editKey"));
    editKey->setToolTip(QStringLiteral(
        "Press the key that does what this button does (Ctrl or Alt with a letter or digit, "
        "or a function key)"));
    editKey->setGeometry(FieldsLeft + 100, 109, FieldsWidth - 160, 24);
    lblKey->setBuddy(editKey);
    btnClearKey = new QPushButton(QStringLiteral("No Key"), client);
    btnClearKey->setObjectName(QStringLiteral("btnClearKey"));
    btnClearKey->setToolTip(QStringLiteral("This button has no key"));
    btnClearKey->setAutoDefault(false);
    btnClearKey->setGeometry(FieldsLeft + FieldsWidth - 56, 108, 56, 26);
    connect(editKey, &QKeySequenceEdit::editingFinished, this, [this] {
        if (syncing_)
            return;
        // One key, not a sequence of them.
        const QKeySequence typed = editKey->keySequence();
        const QString key = typed.isEmpty() ? QString()
                                            : QKeySequence(typed[0]).toString(QKeySequence::PortableText);
        setCurrentKey(key);
    });
    connect(btnClearKey, &QPushButton::clicked, this, [this] { setCurrentKey(QString()); });

    label(lblShortDesc, "lblShortDesc", QStringLiteral("Short description (for body RTF text):"),
          142);
    editShortDesc = new QLineEdit(client);
    editShortDesc->setObjectName(QStringLiteral("editShortDesc"));
    editShortDesc->setToolTip(
        QStringLiteral("Text that will appear in superscript as you mark, and in the RTF output"));
    editShortDesc->setFont(fieldFont);
    editShortDesc->setGeometry(FieldsLeft, 159, FieldsWidth, 24);
    lblShortDesc->setBuddy(editShortDesc);

    label(lblLongDesc, "lblLongDesc", QStringLiteral("Long description (for error statistics):"),
          192);
    mmoLongDesc = new QPlainTextEdit(client);
    mmoLongDesc->setObjectName(QStringLiteral("mmoLongDesc"));
    mmoLongDesc->setToolTip(
        QStringLiteral("Text that will appear in the Web page and in error statistics"));
    mmoLongDesc->setFont(fieldFont);
    mmoLongDesc->setTabChangesFocus(true);
    mmoLongDesc->setGeometry(FieldsLeft, 209, FieldsWidth, 62);
    mmoLongDesc->installEventFilter(this);
    lblLongDesc->setBuddy(mmoLongDesc);

    for (QLineEdit* e : {editCaption, editShortDesc})
        connect(e, &QLineEdit::textEdited, this, [this] { editor_.markChanged(); });
    connect(mmoLongDesc, &QPlainTextEdit::textChanged, this, [this] { longDescChanged(); });
    // Leaving the caption field shows the new caption on its button at once. The
    // entry itself takes it when the fields are committed, so Insert and Delete
    // still discard it with the rest of the typing.
    connect(editCaption, &QLineEdit::editingFinished, this, [this] {
        if (!syncing_)
            entryButton(editor_.current())->setText(editCaption->text());
    });

    const int buttonsTop = ToolbarHeight + 2 + 290 - 28;
    auto push = [&](QPushButton*& b, const char* name, const QString& text, int left) {
        b = new QPushButton(text, client);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setGeometry(left, buttonsTop, 94, 28);
    };
    push(btnInsert, "btnInsert", QStringLiteral("&Insert"), FieldsLeft);
    btnInsert->setToolTip(
        QStringLiteral("Insert new blank button (before currently selected button)"));
    push(btnDelete, "btnDelete", QStringLiteral("&Delete"), FieldsLeft + 104);
    btnDelete->setToolTip(QStringLiteral("Delete the currently selected button"));
    push(btnOK, "btnOK", QStringLiteral("&OK"), FieldsLeft + FieldsWidth - 94);
    btnOK->setDefault(true);
    connect(btnInsert, &QPushButton::clicked, this, [this] { btnInsertClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
}

QPushButton* TfrmAnnButtons::entryButton(int n) const {
    if (isErrorEntry(n))
        return btnErr[std::size_t(n - FirstErrorEntry)];
    if (isPraiseEntry(n))
        return btnGood[std::size_t(n - FirstPraiseEntry)];
    return nullptr;
}

// ====================================================================== showing

void TfrmAnnButtons::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    FormShow();
    // Over the marking window, centred.
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    if (over && over->isVisible()) {
        const QRect area = over->frameGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void TfrmAnnButtons::FormShow() {
    editor_.start(main_.annotationSet());
    keys_ = main_.buttonKeys();
    showTitle();
    showFileInUse();
    makeFirstEntryCurrent();
}

void TfrmAnnButtons::makeFirstEntryCurrent() {
    showButtons();
    loadFields();
    btnErr[0]->setFocus();
}

void TfrmAnnButtons::showButtons() {
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        QPushButton* b = entryButton(n);
        b->setText(qs(editor_.set().caption(n)));
        QString tip = qs(editor_.set().longText(n));
        if (!keys_.key(n).empty())
            tip += (tip.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("(") +
                   QKeySequence::fromString(qpath(keys_.key(n)), QKeySequence::PortableText)
                       .toString(QKeySequence::NativeText) +
                   QStringLiteral(")");
        b->setToolTip(tip);
    }
    showCurrentMark();
}

void TfrmAnnButtons::showCurrentMark() {
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        QPushButton* b = entryButton(n);
        QFont f = b->font();
        f.setItalic(n == editor_.current());
        b->setFont(f);
    }
}

void TfrmAnnButtons::loadFields() {
    syncing_ = true;
    const AnnotationEntry& e = editor_.currentEntry();
    editCaption->setText(qs(e.caption));
    editShortDesc->setText(qs(e.shortText));
    mmoLongDesc->setPlainText(qs(e.longText));
    const Colour c = annotationLabelColour(editor_.current());
    for (QWidget* w : std::initializer_list<QWidget*>{editCaption, editShortDesc, mmoLongDesc})
        setTextColour(w, c);
    syncing_ = false;
    loadKey();
}

void TfrmAnnButtons::loadKey() {
    syncing_ = true;
    editKey->setKeySequence(
        QKeySequence::fromString(qpath(keys_.key(editor_.current())), QKeySequence::PortableText));
    syncing_ = false;
}

bool TfrmAnnButtons::setCurrentKey(const QString& key) {
    const int n = editor_.current();
    const std::u16string clash =
        keyClash(keys_, n, key.toStdString(), main_.reservedKeys(), editor_.set());
    if (!clash.empty()) {
        showMessage(this, qs(clash), MessageType::Warning, buttons::Ok, ButtonEditorHelpContext);
        loadKey();
        return false;
    }
    keys_.setKey(n, key.toStdString());
    loadKey();
    showButtons();
    return true;
}

void TfrmAnnButtons::storeKeys(const std::string& buttonFile) {
    main_.storeButtonKeys(buttonFile, keys_);
}

void TfrmAnnButtons::showTitle() {
    syncing_ = true;
    QString t = qs(editor_.set().title());
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mmoTitle->setPlainText(t);
    QTextCursor all(mmoTitle->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    syncing_ = false;
}

void TfrmAnnButtons::showFileInUse() {
    const QString text = qs(buttonFilePathStatusText(main_.buttonFilePath()));
    StatusBar1->setText(text);
    StatusBar1->setToolTip(text);
}

AnnotationEntry TfrmAnnButtons::typedFields() const {
    return AnnotationEntry{u16(editCaption->text()), u16(editShortDesc->text()),
                           u16(mmoLongDesc->toPlainText())};
}

void TfrmAnnButtons::takeTitle() {
    QString t = mmoTitle->toPlainText();
    t.replace(QChar(0x2029), QLatin1Char('\n'));
    editor_.setTitle(u16(t));
}

// The long description is one line: Enter is refused, and a line break that a
// paste brings becomes a blank.
void TfrmAnnButtons::longDescChanged() {
    if (syncing_)
        return;
    editor_.markChanged();
    const QString text = mmoLongDesc->toPlainText();
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QChar(0x2029)))
        return;
    const int caret = mmoLongDesc->textCursor().position();
    QString flat = text;
    flat.replace(QChar(0x2029), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    syncing_ = true;
    mmoLongDesc->setPlainText(flat);
    QTextCursor c = mmoLongDesc->textCursor();
    c.setPosition(std::clamp(caret, 0, int(flat.size())));
    mmoLongDesc->setTextCursor(c);
    syncing_ = false;
}

void TfrmAnnButtons::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(this, ButtonEditorHelpContext);
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TfrmAnnButtons::eventFilter(QObject* watched, QEvent* e) {
    if (watched == mmoLongDesc && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

// ====================================================================== editing

void TfrmAnnButtons::btnEntryClick(int n) {
    editor_.select(n, typedFields());
    showButtons();
    loadFields();
}

void TfrmAnnButtons::btnInsertClick() {
    editor_.insertBlank();
    showButtons();
    loadFields();
    editCaption->setFocus();
}

void TfrmAnnButtons::btnDeleteClick() {
    editor_.deleteCurrent();
    showButtons();
    loadFields();
    entryButton(editor_.current())->setFocus();
}

// ====================================================================== files

void TfrmAnnButtons::spdOpenClick() {
    FileRequest r;
    r.mode = FileRequest::Mode::Open;
    r.title = QStringLiteral("Open Button File");
    r.filter = ButtonFileFilter;
    r.defaultExtension = QStringLiteral(".btn");
    r.initialPath = qpath(main_.buttonFilePath());
    r.helpContext = ButtonEditorHelpContext;
    std::optional<QString> path = askFileName(this, r);
    if (path && !path->isEmpty())
        ReadButtonFile(*path);
}

bool TfrmAnnButtons::ReadButtonFile(const QString& path) {
    if (std::optional<Message> m = editor_.open(path.toStdString())) {
        showMessage(this, *m, buttons::Ok);
        return false;
    }
    main_.setButtonFilePath(path.toStdString());
    keys_ = main_.storedButtonKeys(path.toStdString());
    showTitle();
    showFileInUse();
    makeFirstEntryCurrent();
    return true;
}

bool TfrmAnnButtons::spdSaveClick() {
    editor_.commit(typedFields());
    showButtons();
    return WriteButtonFile(qpath(main_.buttonFilePath()));
}

void TfrmAnnButtons::spdSaveAsClick() {
    takeTitle();
    editor_.commit(typedFields());
    showButtons();
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = QStringLiteral("Save Button File");
    r.filter = ButtonFileFilter;
    r.defaultExtension = QStringLiteral(".btn");
    r.initialPath = qpath(main_.buttonFilePath());
    r.confirmOverwrite = true;
    r.helpContext = ButtonEditorHelpContext;
    std::optional<QString> path = askFileName(this, r);
    if (path && !path->isEmpty())
        WriteButtonFile(*path);
}

bool TfrmAnnButtons::WriteButtonFile(const QString& path) {
    takeTitle();
    if (std::optional<Message> m = editor_.write(path.toStdString())) {
        showMessage(this, *m, buttons::Ok);
        return false;
    }
    main_.setButtonFilePath(path.toStdString());
    storeKeys(path.toStdString()); // the keys go with the file
    showFileInUse();
    return true;
}

// ====================================================================== accept and close

void TfrmAnnButtons::AcceptButtons() {
    takeTitle();
    editor_.commit(typedFields());
    showButtons();
    main_.AcceptButtons(editor_.set());
    main_.setButtonKeys(keys_);
    storeKeys(main_.buttonFilePath());
}

QString TfrmAnnButtons::CheckAnnotations() const { return qs(checkAnnotations(editor_.set())); }

void TfrmAnnButtons::btnOKClick() {
    AcceptButtons(); // from here on the marking window uses the edited set
    const QString warning = CheckAnnotations();
    if (!warning.isEmpty()) {
        showMessage(this, warning, MessageType::Warning, buttons::Ok, ButtonEditorHelpContext);
        return;
    }
    if (editor_.changed()) {
        switch (showMessage(this, QString::fromUtf16(SaveButtonSetQuestion),
                            MessageType::Confirmation, buttons::YesNoCancelHelp,
                            ButtonEditorHelpContext)) {
        case Button::Yes:
            if (spdSaveClick())
                accept();
            return; // a file that could not be written keeps the window open
        case Button::No:
            accept();
            return;
        default:
            return;
        }
    }
    accept();
}

void TfrmAnnButtons::spdCancelClick() { reject(); }

void TfrmAnnButtons::spdDefaultClick() {
    settings_.writeString(QStringLiteral("FilePaths"), QStringLiteral("CurrentButtons"),
                          qpath(main_.buttonFilePath()));
    if (!settings_.flush()) {
        reportError(this, QStringLiteral("Unable to write to %1").arg(settings_.location()));
        return;
    }
    showMessage(this, QString::fromUtf16(DefaultButtonSetInformation), MessageType::Information,
                buttons::Ok, ButtonEditorHelpContext);
}

} // namespace tallix

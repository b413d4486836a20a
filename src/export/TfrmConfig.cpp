#include "export/TfrmConfig.h"
#include "platform/qt/QtStrings.h"

#include "export/qt/ColourTints.h"
#include "platform/ProfileFile.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"

#include <QAction>
#include <QFileInfo>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tallix {

namespace {

QString qpath(const std::string& utf8) { return QString::fromStdString(utf8); }

constexpr const char* EditNames[TitleCount] = {
    "editComment", "editCommentList", "editErrorType", "editErrorStats",
    "editGrade",   "editContinued",   "editGoBack",    "editNoPrint"};

} // namespace

TfrmConfig::TfrmConfig(OutputSettings& output, SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      output_(output), settings_(settings) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configuration"));
    setHelpContext(this, HelpContext);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    mnuEdit = MainMenu->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    auto item = [&](QAction*& a, const QString& caption, const char* name, const char* keys,
                    void (*act)(QLineEdit*)) {
        a = mnuEdit->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        connect(a, &QAction::triggered, this, [this, act] {
            if (QLineEdit* e = focusedEdit())
                act(e);
        });
    };
    item(mnuCut, QStringLiteral("Cu&t"), "mnuCut", "Ctrl+X", [](QLineEdit* e) { e->cut(); });
    item(mnuCopy, QStringLiteral("&Copy"), "mnuCopy", "Ctrl+C", [](QLineEdit* e) { e->copy(); });
    item(mnuPaste, QStringLiteral("&Paste"), "mnuPaste", "Ctrl+V",
         [](QLineEdit* e) { e->paste(); });
    item(mnuSelectAll, QStringLiteral("Se&lect All"), "mnuSelectAll", "Ctrl+A",
         [](QLineEdit* e) { e->selectAll(); });

    lblHeading = new QLabel(QStringLiteral("Change Titles and Prompts for Output"), this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont(QStringLiteral("Arial"));
    headingFont.setPointSize(12);
    headingFont.setBold(true);
    lblHeading->setFont(headingFont);
    lblHeading->setAlignment(Qt::AlignCenter);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(8);
    rows->setVerticalSpacing(6);
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPointSize(9);
    labelFont.setBold(true);
    for (int i = 0; i < TitleCount; ++i) {
        const TitleField& f = TitleFields[std::size_t(i)];
        const QString name = QString::fromLatin1(EditNames[i]);
        QLabel* label = new QLabel(qs(f.label), this);
        label->setObjectName(QStringLiteral("pnl") + name.mid(4));
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setFont(labelFont);
        label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        label->setIndent(4);
        label->setFixedSize(170, 24);
        label->setToolTip(qs(f.hint));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setToolTip(qs(f.hint));
        edit->setFixedWidth(280);
        label->setBuddy(edit);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!filling_)
                ConfigChanged = true;
        });
        pnlLabels[std::size_t(i)] = label;
        edits[std::size_t(i)] = edit;
        rows->addWidget(label, i, 0);
        rows->addWidget(edit, i, 1);
    }
    editComment = edits[0];
    editCommentList = edits[1];
    editErrorType = edits[2];
    editErrorStats = edits[3];
    editGrade = edits[4];
    editContinued = edits[5];
    editGoBack = edits[6];
    editNoPrint = edits[7];

    auto button = [&](QPushButton*& b, const QString& caption, const char* name) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFixedWidth(84);
    };
    button(btnLoad, QStringLiteral("&Load"), "btnLoad");
    button(btnSave, QStringLiteral("&Save"), "btnSave");
    button(btnSaveAs, QStringLiteral("Save &As"), "btnSaveAs");
    button(btnOK, QStringLiteral("&OK"), "btnOK");
    button(btnCancel, QStringLiteral("&Cancel"), "btnCancel");
    button(btnHelp, QStringLiteral("Help"), "btnHelp");
    btnOK->setDefault(true);
    connect(btnLoad, &QPushButton::clicked, this, [this] { btnLoadClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { SaveConfig(); });
    connect(btnSaveAs, &QPushButton::clicked, this, [this] { SaveConfigAs(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { showHelpContext(HelpContext); });

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(btnLoad);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnSaveAs);
    buttons->addSpacing(18);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);

    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addLayout(rows);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu);
    layout->setContentsMargins(12, 8, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(lblHeading);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Field labels are written in the label colour.
    for (QLabel* l : findChildren<QLabel*>())
        setFontColour(l, LabelColour);
}

QLineEdit* TfrmConfig::focusedEdit() const {
    QWidget* f = QApplication::focusWidget();
    for (QLineEdit* e : edits)
        if (e == f)
            return e;
    return nullptr;
}

OutputTitles TfrmConfig::editedTitles() const {
    OutputTitles t;
    for (int i = 0; i < TitleCount; ++i)
        t.*TitleFields[std::size_t(i)].member = edits[std::size_t(i)]->text().toStdU16String();
    return t;
}

void TfrmConfig::showTitles(const OutputTitles& t) {
    filling_ = true;
    for (int i = 0; i < TitleCount; ++i)
        edits[std::size_t(i)]->setText(qs(t.*TitleFields[std::size_t(i)].member));
    filling_ = false;
}

void TfrmConfig::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    FormShow();
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void TfrmConfig::FormShow() {
    showTitles(output_.titles);
    path_ = output_.configFile;
    setWindowTitle(QStringLiteral("Configuration - ") + qpath(path_));
    ConfigChanged = false;
    editComment->setFocus();
}

void TfrmConfig::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(HelpContext);
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TfrmConfig::AskSaveConfig() {
    const QString text = QStringLiteral("The configuration ") + qpath(path_) +
                         QStringLiteral(" has changed.\r\rDo you want to save the changes?");
    switch (showMessage(this, text, MessageType::Confirmation, buttons::YesNoCancelHelp,
                        HelpContext)) {
    case Button::Yes:
        return SaveConfig();
    case Button::No:
        return true;
    default:
        return false;
    }
}

bool TfrmConfig::WriteConfigFile(const std::string& path) {
    try {
        writeTitlesFile(editedTitles(), path);
        return true;
    } catch (const ProfileWriteError& e) {
        reportError(this, QString::fromStdString(e.what()));
        return false;
    }
}

bool TfrmConfig::SaveConfig() {
    if (path_.empty())
        return SaveConfigAs();
    if (!WriteConfigFile(path_))
        return false;
    ConfigChanged = false;
    return true;
}

bool TfrmConfig::SaveConfigAs() {
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = QStringLiteral("Save Titles and Prompts As");
    r.filter = FileFilter;
    r.confirmOverwrite = true;
    r.helpContext = HelpContext;
    // No name to start with: only the folder of the current file.
    if (!path_.empty())
        r.initialPath = QFileInfo(qpath(path_)).absolutePath();
    const std::optional<QString> chosen = askFileName(this, r);
    if (!chosen || chosen->isEmpty())
        return false;
    // The window takes the new name only once the file is written, so a failed
    // save leaves the window as it was.
    const std::string path = withConfigExtension(chosen->toStdString());
    if (!WriteConfigFile(path))
        return false;
    path_ = path;
    ConfigChanged = false;
    setWindowTitle(QStringLiteral("Configuration - ") + qpath(path_));
    return true;
}

void TfrmConfig::btnLoadClick() {
    if (ConfigChanged && !AskSaveConfig())
        return;
    FileRequest r;
    r.mode = FileRequest::Mode::Open;
    r.title = QStringLiteral("Load Titles and Prompts");
    r.filter = FileFilter;
    r.initialPath = qpath(path_);
    r.helpContext = HelpContext;
    const std::optional<QString> chosen = askFileName(this, r);
    if (!chosen || chosen->isEmpty())
        return;
    path_ = chosen->toStdString();
    showTitles(loadTitlesFile(path_));
    setWindowTitle(QStringLiteral("Configuration file: ") + qpath(path_));
    ConfigChanged = false;
}

void TfrmConfig::btnOKClick() {
    if (ConfigChanged && !AskSaveConfig())
        return;
    settings_.writeString(QStringLiteral("Configuration"), QStringLiteral("ConfigFile"),
                          qpath(path_));
    settings_.flush();
    output_.configFile = path_;
    output_.titles = editedTitles();
    emit titlesApplied();
    accept();
}

} // namespace tallix

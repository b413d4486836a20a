// Marking from the keyboard: a key for every annotation button, the type-to-find
// list of the buttons, and moving from one annotation or comment to the next.
#include "app/TfrmTallix32.h"

#include "annotations/Annotating.h"
#include "annotations/qt/ButtonFinderPopup.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtStrings.h"
#include "platform/qt/SettingsStore.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>

namespace tallix {

namespace {

inline constexpr char16_t NoAnnotationAfter[] = u"There are no more annotations after the caret.";
inline constexpr char16_t NoAnnotationBefore[] = u"There are no more annotations before the caret.";
inline constexpr char16_t NoCommentAfter[] = u"There are no more comments after the caret.";
inline constexpr char16_t NoCommentBefore[] = u"There are no more comments before the caret.";

QString withoutMnemonic(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace

void TfrmTallix32::buildKeyboardCommands(QMenu* marking, QMenu* go) {
    auto item = [this](QMenu* m, QAction*& a, const QString& text, const char* name,
                       const QKeySequence& key, std::function<void()> run) {
        a = m->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setProperty("helpContext", KeyboardHelpContext);
        connect(a, &QAction::triggered, this, std::move(run));
    };
    marking->addSeparator();
    item(marking, mnuAnnotateFromList, QStringLiteral("Annotate from &List..."),
         "mnuAnnotateFromList", QKeySequence(QStringLiteral("Ctrl+K")),
         [this] { mnuAnnotateFromListClick(); });
    item(go, mnuNextAnnotation, QStringLiteral("Next &Annotation"), "mnuNextAnnotation",
         QKeySequence(QStringLiteral("Alt+Down")), [this] { mnuNextAnnotationClick(true); });
    item(go, mnuPreviousAnnotation, QStringLiteral("Pre&vious Annotation"),
         "mnuPreviousAnnotation", QKeySequence(QStringLiteral("Alt+Up")),
         [this] { mnuNextAnnotationClick(false); });
    item(go, mnuNextComment, QStringLiteral("Next &Comment"), "mnuNextComment",
         QKeySequence(QStringLiteral("Alt+PgDown")), [this] { mnuNextCommentClick(true); });
    item(go, mnuPreviousComment, QStringLiteral("Previous Co&mment"), "mnuPreviousComment",
         QKeySequence(QStringLiteral("Alt+PgUp")), [this] { mnuNextCommentClick(false); });

    // The buttons' keys: window shortcuts that press the button.
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        QAction*& a = actButtonKey[std::size_t(n - 1)];
        a = new QAction(this);
        a->setObjectName(QStringLiteral("actButtonKey%1").arg(n));
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, n] { annotationButtonClick(n); });
    }

    ButtonFinder = new ButtonFinderPopup(this);
    ButtonFinder->hide();
    connect(ButtonFinder, &ButtonFinderPopup::chosen, this, [this](int entry) {
        activateWindow();
        if (entry == AddCommentChoice)
            spdAddCommentClick();
        else
            annotationButtonClick(entry);
    });
}

ButtonKeys TfrmTallix32::storedButtonKeys(const std::string& buttonFile) const {
    const QString section = QString::fromStdString(ButtonKeys::settingsSection(buttonFile));
    ButtonKeys keys = ButtonKeys::defaults();
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        const QString name = QString::fromStdString(ButtonKeys::settingsName(n));
        if (settings_.valueExists(section, name))
            keys.setKey(n, settings_.readString(section, name, QString()).toStdString());
    }
    return keys;
}

void TfrmTallix32::storeButtonKeys(const std::string& buttonFile, const ButtonKeys& keys) {
    const QString section = QString::fromStdString(ButtonKeys::settingsSection(buttonFile));
    settings_.writeString(section, QStringLiteral("File"), QString::fromStdString(buttonFile));
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        settings_.writeString(section, QString::fromStdString(ButtonKeys::settingsName(n)),
                              QString::fromStdString(keys.key(n)));
    settings_.flush();
}

void TfrmTallix32::setButtonKeys(const ButtonKeys& keys) {
    buttonKeys_ = keys;
    showButtonKeys();
}

void TfrmTallix32::showButtonKeys() {
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        const QString key = QString::fromStdString(buttonKeys_.key(n));
        QAction* a = actButtonKey[std::size_t(n - 1)];
        if (a)
            a->setShortcut(QKeySequence::fromString(key, QKeySequence::PortableText));
        QPushButton* b = n <= ErrorEntryCount ? btnErr[std::size_t(n - 1)]
                                              : btnGood[std::size_t(n - 29)];
        QString tip = qs(buttons_.longText(n));
        if (!key.isEmpty()) {
            const QString shown = QKeySequence::fromString(key, QKeySequence::PortableText)
                                      .toString(QKeySequence::NativeText);
            tip = tip.isEmpty() ? shown : tip + QStringLiteral(" (") + shown + QStringLiteral(")");
        }
        b->setToolTip(tip);
    }
}

std::vector<ReservedKey> TfrmTallix32::reservedKeys() const {
    std::vector<ReservedKey> reserved;
    for (QAction* a : menuBar()->findChildren<QAction*>()) {
        if (std::find(actButtonKey.begin(), actButtonKey.end(), a) != actButtonKey.end())
            continue;
        for (const QKeySequence& k : a->shortcuts())
            if (!k.isEmpty())
                reserved.push_back({k.toString(QKeySequence::PortableText).toStdString(),
                                    u16(withoutMnemonic(a->text()))});
    }
    // The menus' mnemonics open the menus (Alt+F the File menu).
    for (QAction* a : menuBar()->actions()) {
        const QString text = a->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < text.size() && text[amp + 1] != QLatin1Char('&'))
            reserved.push_back({"Alt+" + QString(text[amp + 1].toUpper()).toStdString(),
                                u16(withoutMnemonic(text)), true});
    }
    reserved.push_back({"F1", u"Help"});
    reserved.push_back({"Ctrl+A", u"Select All"});
    return reserved;
}

void TfrmTallix32::mnuAnnotateFromListClick() {
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->ensureCaretVisible();
    const QRect caret = MarkRichEdit->cursorRect();
    const QPoint at = MarkRichEdit->viewport()->mapToGlobal(caret.bottomLeft() + QPoint(0, 2));
    ButtonFinder->present(buttons_, buttonKeys_, at);
}

void TfrmTallix32::mnuNextAnnotationClick(bool forward) {
    RichTextBuffer& b = doc_.essay();
    const std::optional<navigation::MarkSpan> m = navigation::nearestAnnotation(b, forward);
    if (!m) {
        tallix::showMessage(this, QString::fromUtf16(forward ? NoAnnotationAfter : NoAnnotationBefore),
                            MessageType::Information, buttons::Ok, KeyboardHelpContext);
        return;
    }
    b.select(m->start, m->length);
    movedTo_ = m;
    focusEssay();
}

void TfrmTallix32::mnuNextCommentClick(bool forward) {
    RichTextBuffer& b = doc_.essay();
    const std::optional<navigation::MarkSpan> m = navigation::nearestComment(b, forward);
    if (!m) {
        tallix::showMessage(this, QString::fromUtf16(forward ? NoCommentAfter : NoCommentBefore),
                            MessageType::Information, buttons::Ok, KeyboardHelpContext);
        return;
    }
    b.select(m->start, m->length);
    movedTo_.reset();
    focusEssay();
}

} // namespace tallix

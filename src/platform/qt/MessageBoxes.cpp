#include "platform/qt/MessageBoxes.h"

#include "platform/FileIO.h"
#include "platform/qt/HelpViewer.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace tallix {

namespace {

MessageHandler& messageHandler() {
    static MessageHandler h;
    return h;
}
InputHandler& inputHandler() {
    static InputHandler h;
    return h;
}
FileHandler& fileHandler() {
    static FileHandler h;
    return h;
}

const QString kProgramTitle = QStringLiteral("Tallix32");

QWidget* ownerFor(QWidget* parent) {
    if (parent)
        return parent->window();
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QString titleFor(MessageType type) {
    switch (type) {
    case MessageType::Warning: return QStringLiteral("Warning");
    case MessageType::Error: return QStringLiteral("Error");
    case MessageType::Information: return QStringLiteral("Information");
    case MessageType::Confirmation: return QStringLiteral("Confirm");
    }
    return kProgramTitle;
}

// Texts from the document carry CR LF line breaks; a label wants LF.
QString displayText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

// The box itself: an icon, the text and a row of buttons, with a Help button that
// does not close it.
class MessageDialog : public QDialog {
public:
    MessageDialog(QWidget* parent, const MessageRequest& request, bool withIcon)
        : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          buttons_(request.buttons), helpContext_(request.helpContext) {
        setObjectName(QStringLiteral("MessageBox"));
        setHelpContext(this, helpContext_);
        setWindowTitle(request.title);

        auto* top = new QHBoxLayout;
        top->setSpacing(16);
        if (withIcon) {
            auto* icon = new QLabel(this);
            icon->setObjectName(QStringLiteral("lblIcon"));
            const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
            icon->setPixmap(style()->standardIcon(iconFor(request.type), nullptr, this).pixmap(size, size));
            icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
            top->addWidget(icon, 0, Qt::AlignTop);
        }
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblMessage"));
        label->setTextFormat(Qt::PlainText);
        label->setText(displayText(request.text));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // As wide as the longest line, within reason; longer lines wrap.
        const QFontMetrics fm(label->font());
        int widest = 0;
        for (const QString& line : label->text().split(u'\n'))
            widest = std::max(widest, fm.horizontalAdvance(line));
        label->setFixedWidth(std::clamp(widest + 4, 160, 440));
        top->addWidget(label, 1);

        auto* row = new QHBoxLayout;
        row->addStretch(1);
        QPushButton* defaultButton = nullptr;
        // The order of the Windows message dialogs: Yes, No, OK, Cancel, Help.
        const std::pair<Button, QString> order[] = {
            {Button::Yes, QStringLiteral("&Yes")},   {Button::No, QStringLiteral("&No")},
            {Button::Ok, QStringLiteral("OK")},      {Button::Cancel, QStringLiteral("Cancel")},
            {Button::Help, QStringLiteral("&Help")},
        };
        Buttons shown = request.buttons;
        if (!(shown & (Button::Ok | Button::Cancel | Button::Yes | Button::No)))
            shown |= Button::Ok; // a box must have a way out
        for (const auto& entry : order) {
            // A plain variable, not a structured binding: lambdas below capture it.
            const Button b = entry.first;
            const QString& standard = entry.second;
            if (!shown.testFlag(b))
                continue;
            QString text = standard;
            const int own = b == Button::Yes ? 0 : b == Button::No ? 1 : b == Button::Cancel ? 2 : -1;
            if (own >= 0 && own < request.captions.size() && !request.captions[own].isEmpty())
                text = request.captions[own];
            auto* pb = new QPushButton(text, this);
            pb->setObjectName(QStringLiteral("btn") + objectSuffix(b));
            pb->setAutoDefault(false);
            row->addWidget(pb);
            if (b == Button::Help) {
                const int context = request.helpContext;
                connect(pb, &QPushButton::clicked, this, [context] { showHelpContext(context); });
            } else {
                connect(pb, &QPushButton::clicked, this, [this, b] { finish(b); });
                if (!defaultButton && (b == Button::Yes || b == Button::Ok))
                    defaultButton = pb;
            }
        }
        row->addStretch(1);
        if (!defaultButton)
            defaultButton = findChildren<QPushButton*>().value(0);
        if (defaultButton) {
            defaultButton->setDefault(true);
            defaultButton->setFocus();
        }

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addSpacing(8);
        layout->addLayout(row);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        buttons_ = shown;
    }

    Button answer() const { return answer_; }

    void reject() override { finish(escapeAnswer(buttons_)); }

protected:
    // F1 opens the box's topic, as its Help button does, whether or not the box
    // has one; a box without a topic opens the contents. The box stays open.
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
            if (helpContext_ != 0)
                showHelpContext(helpContext_);
            else
                showHelpContents(this);
            e->accept();
            return;
        }
        QDialog::keyPressEvent(e);
    }

private:
    static QStyle::StandardPixmap iconFor(MessageType type) {
        switch (type) {
        case MessageType::Warning: return QStyle::SP_MessageBoxWarning;
        case MessageType::Error: return QStyle::SP_MessageBoxCritical;
        case MessageType::Information: return QStyle::SP_MessageBoxInformation;
        case MessageType::Confirmation: return QStyle::SP_MessageBoxQuestion;
        }
        return QStyle::SP_MessageBoxInformation;
    }
    static QString objectSuffix(Button b) {
        switch (b) {
        case Button::Ok: return QStringLiteral("OK");
        case Button::Cancel: return QStringLiteral("Cancel");
        case Button::Yes: return QStringLiteral("Yes");
        case Button::No: return QStringLiteral("No");
        case Button::Help: return QStringLiteral("Help");
        case Button::None: break;
        }
        return {};
    }
    void finish(Button b) {
        answer_ = b;
        done(b == Button::Cancel || b == Button::No ? QDialog::Rejected : QDialog::Accepted);
    }

    Buttons buttons_;
    int helpContext_ = 0;
    Button answer_ = Button::None;
};

Button runMessage(QWidget* parent, const MessageRequest& request, bool withIcon) {
    if (const MessageHandler& h = messageHandler())
        return h(request);
    MessageDialog box(ownerFor(parent), request, withIcon);
    box.exec();
    return box.answer() == Button::None ? escapeAnswer(request.buttons) : box.answer();
}

} // namespace

Button escapeAnswer(Buttons b) {
    if (b.testFlag(Button::Cancel))
        return Button::Cancel;
    if (b.testFlag(Button::No))
        return Button::No;
    return Button::Ok;
}

Button showMessage(QWidget* parent, const QString& text, MessageType type, Buttons buttons,
                   int helpContext) {
    MessageRequest r;
    r.kind = MessageKind::Message;
    r.title = titleFor(type);
    r.text = text;
    r.type = type;
    r.buttons = buttons;
    r.helpContext = helpContext;
    return runMessage(parent, r, true);
}

Button askWithCaptions(QWidget* parent, const QString& text, MessageType type,
                       const QStringList& yesNoCancelCaptions, int helpContext) {
    MessageRequest r;
    r.kind = MessageKind::Message;
    r.title = titleFor(type);
    r.text = text;
    r.type = type;
    r.buttons = buttons::YesNoCancel;
    if (helpContext != 0)
        r.buttons |= Button::Help;
    r.helpContext = helpContext;
    r.captions = yesNoCancelCaptions;
    return runMessage(parent, r, true);
}

Button showMessage(QWidget* parent, const Message& message, Buttons buttons) {
    return showMessage(parent, QString::fromStdU16String(message.text), message.type, buttons,
                       message.helpContext);
}

void showPlainMessage(QWidget* parent, const QString& text) {
    MessageRequest r;
    r.kind = MessageKind::Plain;
    r.title = kProgramTitle;
    r.text = text;
    r.type = MessageType::Information;
    r.buttons = buttons::Ok;
    runMessage(parent, r, false);
}

void reportError(QWidget* parent, const QString& text) {
    MessageRequest r;
    r.kind = MessageKind::ErrorReport;
    r.title = kProgramTitle;
    r.text = text;
    r.type = MessageType::Error;
    r.buttons = buttons::Ok;
    runMessage(parent, r, true);
}

MessageHandler setMessageHandler(MessageHandler handler) {
    return std::exchange(messageHandler(), std::move(handler));
}

// ---------------------------------------------------------------------------

std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                               const QString& defaultText) {
    const InputRequest request{title, prompt, defaultText};
    if (const InputHandler& h = inputHandler())
        return h(request);

    QDialog box(ownerFor(parent), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                      Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(title);
    auto* label = new QLabel(&box);
    label->setTextFormat(Qt::PlainText);
    label->setText(displayText(prompt));
    label->setWordWrap(true);
    auto* edit = new QLineEdit(defaultText, &box);
    edit->setObjectName(QStringLiteral("editAnswer"));
    edit->selectAll();
    edit->setMinimumWidth(260);
    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &box);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &box, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edit->setFocus();
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

InputHandler setInputHandler(InputHandler handler) {
    return std::exchange(inputHandler(), std::move(handler));
}

// ---------------------------------------------------------------------------

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString mask = i + 1 < parts.size() ? parts[i + 1].trimmed() : QStringLiteral("*");
        if (description.isEmpty() && mask.isEmpty())
            continue;
        mask.replace(u';', u' ');
        if (description.contains(u'(' + mask + u')'))
            filters << description;
        else if (description.isEmpty())
            filters << mask;
        else
            filters << description + QStringLiteral(" (") + mask + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

// The files chosen in the dialog the request describes; nullopt when cancelled.
std::optional<QStringList> runFileDialog(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(ownerFor(parent));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    const bool save = request.mode == FileRequest::Mode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save              ? QFileDialog::AnyFile
                       : request.multiple ? QFileDialog::ExistingFiles
                                          : QFileDialog::ExistingFile);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    if (!request.filter.isEmpty())
        dialog.setNameFilters(qtFileFilter(request.filter).split(QStringLiteral(";;")));
    QString suffix = request.defaultExtension;
    while (suffix.startsWith(u'*') || suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.confirmOverwrite));
    if (request.folder && !save) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    if (!request.initialPath.isEmpty()) {
        const QFileInfo info(request.initialPath);
        if (info.isDir()) {
            dialog.setDirectory(info.absoluteFilePath());
        } else {
            if (info.dir().exists())
                dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace

bool refuseOverwriting(QWidget* parent, const QString& path, const QStringList& keepFiles,
                       int helpContext) {
    for (const QString& keep : keepFiles) {
        if (!keep.isEmpty() && fileio::sameFile(path.toStdString(), keep.toStdString())) {
            showMessage(parent,
                        u'"' + QFileInfo(path).fileName() +
                            QStringLiteral("\" is the marked file you are working on; it cannot be "
                                           "written over. Choose another name."),
                        MessageType::Warning, buttons::Ok, helpContext);
            return true;
        }
    }
    return false;
}

std::optional<QString> askFileName(QWidget* parent, const FileRequest& request) {
    std::optional<QString> answer;
    if (const FileHandler& h = fileHandler()) {
        answer = h(request);
    } else if (std::optional<QStringList> chosen = runFileDialog(parent, request)) {
        answer = chosen->front();
    }
    if (answer && request.mode == FileRequest::Mode::Save &&
        refuseOverwriting(parent, *answer, request.keepFiles, request.helpContext))
        return std::nullopt;
    return answer;
}

std::optional<QStringList> askFileNames(QWidget* parent, const FileRequest& request) {
    FileRequest several = request;
    several.mode = FileRequest::Mode::Open;
    several.multiple = true;
    if (const FileHandler& h = fileHandler()) {
        std::optional<QString> answer = h(several);
        if (!answer)
            return std::nullopt;
        QStringList paths = answer->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (paths.isEmpty())
            return std::nullopt;
        return paths;
    }
    return runFileDialog(parent, several);
}

FileHandler setFileHandler(FileHandler handler) {
    return std::exchange(fileHandler(), std::move(handler));
}

} // namespace tallix

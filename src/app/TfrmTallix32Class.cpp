// The class queue in the marking window: File > Open Class lists a folder's
// essays by student in a panel beside the essay; Next Essay and Previous Essay
// save the essay open and open the next one through the ordinary open path,
// without dialogs; Class Statistics counts the class's marked files.
#include "app/TfrmTallix32.h"

#include "document/EssayImport.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/TextCodec.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtStrings.h"
#include "platform/qt/SettingsStore.h"
#include "stats/TfrmMultiStats.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tallix {

using classqueue::ClassQueue;
using classqueue::EssayState;
using classqueue::QueueEntry;
using classqueue::QueueMemory;

namespace {

inline constexpr char16_t LastEssay[] = u"This is the last essay of the class that can be opened.";
inline constexpr char16_t FirstEssay[] = u"This is the first essay of the class that can be opened.";
inline constexpr char16_t NoClassOpen[] =
    u"No class is open. Use File > Open Class to choose the folder of a class's essays.";

QString qpath(const std::string& utf8) { return QString::fromStdString(utf8); }

QStringList toList(const std::vector<std::string>& v) {
    QStringList l;
    for (const std::string& s : v)
        l << qpath(s);
    return l;
}

bool isPdfFile(const std::string& path) {
    return QFileInfo(qpath(path)).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
}

QueueMemory readMemory(const SettingsStore& settings, const std::string& key) {
    const QString section = QString::fromStdString(ClassQueue::memorySection(key));
    QueueMemory m;
    if (settings.readString(section, QStringLiteral("Key"), QString()).toStdString() != key)
        return m; // another queue's memory under the same name, or none
    m.current = settings.readString(section, QStringLiteral("Current"), QString()).toStdString();
    const int count = settings.readInteger(section, QStringLiteral("ImportedCount"), 0);
    for (int i = 1; i <= count && i <= 100000; ++i) {
        const QString pair =
            settings.readString(section, QStringLiteral("Imported%1").arg(i), QString());
        const qsizetype tab = pair.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            m.imported.emplace_back(pair.left(tab).toStdString(), pair.mid(tab + 1).toStdString());
    }
    return m;
}

} // namespace

void TfrmTallix32::buildClassCommands(QMenu* file, QMenu* go) {
    mnuOpenClass = new QAction(QStringLiteral("Open &Class..."), file);
    mnuOpenClass->setObjectName(QStringLiteral("mnuOpenClass"));
    mnuOpenClass->setProperty("helpContext", ClassQueueHelpContext);
    // Beside Open, which it is a kind of.
    file->insertAction(mnuSave, mnuOpenClass);
    connect(mnuOpenClass, &QAction::triggered, this, [this] { mnuOpenClassClick(); });

    go->addSeparator();
    auto item = [this, go](QAction*& a, const QString& text, const char* name,
                           const QKeySequence& key, std::function<void()> run) {
        a = go->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        a->setProperty("helpContext", ClassQueueHelpContext);
        connect(a, &QAction::triggered, this, std::move(run));
    };
    item(mnuNextEssay, QStringLiteral("&Next Essay"), "mnuNextEssay",
         QKeySequence(QStringLiteral("Ctrl+PgDown")), [this] { mnuNextEssayClick(1); });
    item(mnuPreviousEssay, QStringLiteral("&Previous Essay"), "mnuPreviousEssay",
         QKeySequence(QStringLiteral("Ctrl+PgUp")), [this] { mnuNextEssayClick(-1); });
    item(mnuClassStatistics, QStringLiteral("Class &Statistics"), "mnuClassStatistics", {},
         [this] { mnuClassStatisticsClick(); });
}

void TfrmTallix32::buildClassPanel() {
    pnlClass = new QDockWidget(QStringLiteral("Class"), this);
    pnlClass->setObjectName(QStringLiteral("pnlClass"));
    pnlClass->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    pnlClass->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setHelpContext(pnlClass, ClassQueueHelpContext);
    auto* body = new QWidget(pnlClass);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);

    lvClass = new QTreeWidget(body);
    lvClass->setObjectName(QStringLiteral("lvClass"));
    lvClass->setColumnCount(3);
    lvClass->setHeaderLabels({QStringLiteral("Student"), QStringLiteral("State"),
                              QStringLiteral("Errors")});
    lvClass->setRootIsDecorated(false);
    lvClass->setUniformRowHeights(true);
    lvClass->setAllColumnsShowFocus(true);
    lvClass->header()->setStretchLastSection(false);
    lvClass->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvClass->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lvClass->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    setHelpContext(lvClass, ClassQueueHelpContext);
    connect(lvClass, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int row = lvClass->indexOfTopLevelItem(item);
        if (row >= 0 && row != queue_.position())
            OpenClassRow(row);
    });
    layout->addWidget(lvClass, 1);

    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->setSpacing(3);
    auto button = [&](QPushButton*& b, const QString& text, const char* name, const QString& hint,
                      std::function<void()> run) {
        b = new QPushButton(text, body);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, std::move(run));
        buttonsRow->addWidget(b);
    };
    button(btnPreviousEssay, QStringLiteral("< Previous"), "btnPreviousEssay",
           QStringLiteral("Save this essay and open the previous one (Ctrl+PgUp)"),
           [this] { mnuNextEssayClick(-1); });
    button(btnNextEssay, QStringLiteral("Next >"), "btnNextEssay",
           QStringLiteral("Save this essay and open the next one (Ctrl+PgDown)"),
           [this] { mnuNextEssayClick(1); });
    layout->addLayout(buttonsRow);
    btnClassStatistics = new QPushButton(QStringLiteral("Class Statistics"), body);
    btnClassStatistics->setObjectName(QStringLiteral("btnClassStatistics"));
    btnClassStatistics->setToolTip(
        QStringLiteral("Count the errors of the class's marked files together"));
    btnClassStatistics->setFocusPolicy(Qt::NoFocus);
    connect(btnClassStatistics, &QPushButton::clicked, this, [this] { mnuClassStatisticsClick(); });
    layout->addWidget(btnClassStatistics);

    pnlClass->setWidget(body);
    addDockWidget(Qt::LeftDockWidgetArea, pnlClass);
    pnlClass->hide();

    lblClassProgress = new QLabel(StatusBar1);
    lblClassProgress->setObjectName(QStringLiteral("lblClassProgress"));
    lblClassProgress->setFrameShape(QFrame::Panel);
    lblClassProgress->setFrameShadow(QFrame::Sunken);
    lblClassProgress->setIndent(2);
    lblClassProgress->hide();

    classScanTimer_ = new QTimer(this);
    classScanTimer_->setSingleShot(true);
    classScanTimer_->setInterval(0);
    connect(classScanTimer_, &QTimer::timeout, this, [this] {
        scanClassQueue(2);
        if (queue_.nextUnscanned() >= 0)
            classScanTimer_->start();
    });
    showClassQueue();
}

void TfrmTallix32::mnuOpenClassClick() {
    FileRequest r;
    r.title = QStringLiteral("Open Class");
    r.helpContext = ClassQueueHelpContext;
    r.folder = true;
    r.initialPath = queue_.empty() || queue_.key().find('\n') != std::string::npos
                        ? QString()
                        : qpath(queue_.key());
    std::optional<QString> folder = askFileName(this, r);
    if (folder && !folder->isEmpty())
        OpenClass({*folder});
}

bool TfrmTallix32::OpenClass(const QStringList& paths) {
    if (paths.isEmpty())
        return false;
    ClassQueue q;
    const bool folder = paths.size() == 1 && QFileInfo(paths.front()).isDir();
    if (folder) {
        const std::string path = paths.front().toStdString();
        std::string error;
        if (!q.listFolder(path, readMemory(settings_, ClassQueue::folderKey(path)), error)) {
            tallix::showMessage(this,
                                QStringLiteral("Unable to open the class folder \"%1\": %2.")
                                    .arg(paths.front(), QString::fromStdString(error)),
                                MessageType::Warning, buttons::OkHelp, ClassQueueHelpContext);
            return false;
        }
    } else {
        std::vector<std::string> files;
        for (const QString& p : paths)
            files.push_back(p.toStdString());
        q.listFiles(files, readMemory(settings_, ClassQueue::filesKey(files)));
    }
    if (q.empty()) {
        tallix::showMessage(this,
                            QStringLiteral("There are no essays in \"%1\". The class list shows "
                                           "marked files (.tlx) and essays not yet imported "
                                           "(.rtf, .docx, .odt, .txt, .pdf).")
                                .arg(paths.front()),
                            MessageType::Information, buttons::OkHelp, ClassQueueHelpContext);
        return false;
    }
    queue_ = std::move(q);
    pnlClass->show();
    showClassQueue();
    classScanTimer_->start();
    // The essay open now is left as any open leaves it (the question about its
    // changes comes first); rows that cannot be opened are passed over.
    for (int row = queue_.startRow(); row >= 0; row = queue_.neighbourOf(row, 1))
        if (openClassRow(row, true) != RowOpen::Skipped)
            break;
    return true;
}

void TfrmTallix32::scanClassQueue(int rows) {
    for (int i = queue_.nextUnscanned(); i >= 0 && rows > 0; i = queue_.nextUnscanned(i + 1), --rows) {
        queue_.scan(i, buttons_);
        showClassRow(i);
    }
    lblClassProgress->setText(qs(queue_.progressText()));
}

void TfrmTallix32::noteOpenRow() {
    const int row = queue_.position();
    if (row < 0 || queue_.entry(row).marked.empty() || doc_.currentFile != queue_.entry(row).marked)
        return;
    // The count walks the selection; the essay's own is put back.
    RichTextBuffer& b = doc_.essay();
    const int start = b.selStart(), length = b.selLength();
    queue_.setStatus(row, classqueue::statusOf(doc_, buttons_));
    b.select(start, length);
    showClassRow(row);
}

bool TfrmTallix32::OpenClassRow(int row) { return openClassRow(row, false) == RowOpen::Opened; }

TfrmTallix32::RowOpen TfrmTallix32::openClassRow(int row, bool quiet) {
    if (row < 0 || row >= queue_.size())
        return RowOpen::Stopped;
    if (!queue_.entry(row).openable()) {
        if (!quiet)
            showMessage(Message{queue_.entry(row).problem, MessageType::Warning,
                                ClassQueueHelpContext});
        return RowOpen::Skipped;
    }
    doc_.commitNotes();
    // Leaving the essay of the queue: a changed one is saved, without a question;
    // a failed save stops here. Any other document asks as Open does.
    const int from = queue_.position();
    const bool fromQueue = from >= 0 && !queue_.entry(from).marked.empty() &&
                           doc_.currentFile == queue_.entry(from).marked;
    if (fromQueue && doc_.documentChanged) {
        bool saved = false;
        withHourglass([&] { saved = commands_.saveTo(doc_.currentFile); });
        refreshFromDocument();
        if (!saved) {
            statusPanels[1]->setText(QStringLiteral("Not moved: the essay was not saved"));
            return RowOpen::Stopped;
        }
    }
    noteOpenRow();

    const QueueEntry& e = queue_.entry(row);
    std::string marked = e.marked;
    if (marked.empty()) {
        // First opening: the essay is imported into a marked file beside it.
        marked = freeMarkedFileName(e.essay);
        MarkedImportOutcome r;
        if (marked.empty()) {
            r.outcome = FileOutcome{false, Message{u"There is no free name for the marked file beside \"" +
                                                       text::fromUtf8(e.essay) + u"\".",
                                                   MessageType::Warning, ClassQueueHelpContext}};
        } else {
            withHourglass([&] { r = importToMarkedFile(e.essay, marked); });
        }
        if (!r.outcome.ok) {
            // A marked file that could not be written is the disk's problem, not
            // the essay's: the move stops and says why.
            if (!r.readFailed) {
                showMessage(r.outcome.message);
                return RowOpen::Stopped;
            }
            queue_.setProblem(row,
                              isPdfFile(e.essay) ? EssayState::NotImportable : EssayState::Damaged,
                              r.outcome.message.text);
            showClassRow(row);
            lblClassProgress->setText(qs(queue_.progressText()));
            if (!quiet)
                showMessage(r.outcome.message);
            return RowOpen::Skipped;
        }
        queue_.setMarked(row, marked);
        rememberClassQueue();
    }

    FileOutcome loaded;
    bool asked = true;
    runDocumentCommand([&] {
        asked = commands_.newDocument();
        if (asked)
            loaded = doc_.loadTlxFile(marked);
    });
    if (!asked)
        return RowOpen::Stopped;
    if (!loaded.ok) {
        queue_.setProblem(row, EssayState::Damaged, loaded.message.text);
        showClassRow(row);
        if (!quiet)
            showMessage(loaded.message);
        return RowOpen::Skipped;
    }
    queue_.setPosition(row);
    noteOpenRow();
    rememberClassQueue();
    showClassQueue();
    focusEssay();
    return RowOpen::Opened;
}

bool TfrmTallix32::mnuNextEssayClick(int step) {
    if (queue_.empty()) {
        tallix::showMessage(this, QString::fromUtf16(NoClassOpen), MessageType::Information,
                            buttons::OkHelp, ClassQueueHelpContext);
        return false;
    }
    int row = queue_.neighbour(step);
    if (row < 0) {
        tallix::showMessage(this, QString::fromUtf16(step > 0 ? LastEssay : FirstEssay),
                            MessageType::Information, buttons::Ok, ClassQueueHelpContext);
        return false;
    }
    // A row found damaged only now is shown as such and passed over.
    for (; row >= 0; row = queue_.neighbourOf(row, step)) {
        const RowOpen r = openClassRow(row, true);
        if (r != RowOpen::Skipped) {
            showClassQueue();
            return r == RowOpen::Opened;
        }
    }
    showClassQueue();
    tallix::showMessage(this, QString::fromUtf16(step > 0 ? LastEssay : FirstEssay),
                        MessageType::Information, buttons::Ok, ClassQueueHelpContext);
    return false;
}

void TfrmTallix32::mnuClassStatisticsClick() {
    if (queue_.empty()) {
        tallix::showMessage(this, QString::fromUtf16(NoClassOpen), MessageType::Information,
                            buttons::OkHelp, ClassQueueHelpContext);
        return;
    }
    // What is in the essay open counts too.
    if (doc_.documentChanged && queue_.position() >= 0 &&
        doc_.currentFile == queue_.entry(queue_.position()).marked) {
        doc_.commitNotes();
        withHourglass([this] { commands_.saveTo(doc_.currentFile); });
        refreshFromDocument();
    }
    frmMultiStats->setFiles(toList(queue_.markedFiles()));
    mnuMultiStatsClick();
    frmMultiStats->btnCountClick();
}

void TfrmTallix32::rememberClassQueue() {
    if (queue_.empty())
        return;
    const QString section = QString::fromStdString(ClassQueue::memorySection(queue_.key()));
    const QueueMemory m = queue_.memory();
    settings_.writeString(section, QStringLiteral("Key"), qpath(queue_.key()));
    settings_.writeString(section, QStringLiteral("Current"), qpath(m.current));
    settings_.writeInteger(section, QStringLiteral("ImportedCount"), int(m.imported.size()));
    for (std::size_t i = 0; i < m.imported.size(); ++i)
        settings_.writeString(section, QStringLiteral("Imported%1").arg(i + 1),
                              qpath(m.imported[i].first) + QLatin1Char('\t') +
                                  qpath(m.imported[i].second));
    settings_.flush();
}

void TfrmTallix32::showClassRow(int row) {
    if (row < 0 || row >= queue_.size() || row >= lvClass->topLevelItemCount())
        return;
    const QueueEntry& e = queue_.entry(row);
    QTreeWidgetItem* item = lvClass->topLevelItem(row);
    item->setText(0, qpath(e.student));
    item->setText(1, qs(classqueue::stateText(e.state)));
    item->setText(2, e.errors >= 0 && e.openable() ? QString::number(e.errors) : QString());
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    QString tip = qpath(e.file());
    if (!e.problem.empty())
        tip += QStringLiteral("\n") + qs(e.problem);
    for (int c = 0; c < 3; ++c) {
        item->setToolTip(c, tip);
        item->setForeground(c, e.openable() ? palette().text() : QBrush(Qt::gray));
    }
    QFont f = lvClass->font();
    f.setBold(row == queue_.position());
    for (int c = 0; c < 3; ++c)
        item->setFont(c, f);
}

void TfrmTallix32::showClassQueue() {
    const bool open = !queue_.empty();
    if (lvClass->topLevelItemCount() != queue_.size()) {
        lvClass->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(queue_.size());
        for (int i = 0; i < queue_.size(); ++i)
            items << new QTreeWidgetItem;
        lvClass->addTopLevelItems(items);
    }
    for (int i = 0; i < queue_.size(); ++i)
        showClassRow(i);
    if (queue_.position() >= 0) {
        QTreeWidgetItem* current = lvClass->topLevelItem(queue_.position());
        lvClass->setCurrentItem(current);
        lvClass->scrollToItem(current);
    }
    pnlClass->setWindowTitle(open ? QStringLiteral("Class: ") + qs(queue_.title())
                                  : QStringLiteral("Class"));
    lblClassProgress->setText(qs(queue_.progressText()));
    lblClassProgress->setVisible(open);
    btnPreviousEssay->setEnabled(open && queue_.neighbour(-1) >= 0);
    btnNextEssay->setEnabled(open && queue_.neighbour(1) >= 0);
    btnClassStatistics->setEnabled(open);
    FormResize();
}

} // namespace tallix

#include "platform/qt/HelpViewer.h"

#include "platform/qt/Resources.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace tallix {

namespace {

const char kHelpContextProperty[] = "helpContext";

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString titleOf(const QString& html) {
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? m.captured(1).simplified() : QString();
}

} // namespace

// ---------------------------------------------------------------------------

const HelpIndex& HelpIndex::builtIn() {
    initResources();
    static const HelpIndex index(QStringLiteral(":/help"));
    return index;
}

HelpIndex::HelpIndex(const QString& folder) : folder_(folder) {
    const QString list = readText(folder + QStringLiteral("/topics.txt"));
    for (const QString& rawLine : list.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")),
                                              Qt::SkipEmptyParts);
        HelpTopic topic;
        topic.page = fields.front();
        const QString html = readText(folder + u'/' + topic.page);
        if (html.isEmpty()) {
            missing_ << topic.page;
            continue;
        }
        topic.title = titleOf(html);
        if (topic.title.isEmpty())
            topic.title = topic.page;
        QTextDocument doc;
        doc.setHtml(html);
        topic.plainText = doc.toPlainText();
        for (qsizetype i = 1; i < fields.size(); ++i) {
            bool ok = false;
            const int context = fields[i].toInt(&ok);
            if (ok && !contexts_.contains(context)) {
                topic.contexts << context;
                contexts_.insert(context, topic.page);
            }
        }
        topics_ << topic;
    }
}

const HelpTopic* HelpIndex::topic(const QString& page) const {
    for (const HelpTopic& t : topics_)
        if (t.page == page)
            return &t;
    return nullptr;
}

QString HelpIndex::contentsPage() const {
    return topics_.isEmpty() ? QString() : topics_.front().page;
}

QString HelpIndex::pageForContext(int context) const {
    return contexts_.value(context);
}

QStringList HelpIndex::searchWords(const QString& query) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    QStringList words;
    for (const QString& w : query.toLower().split(separators, Qt::SkipEmptyParts))
        if (!words.contains(w))
            words << w;
    return words;
}

QStringList HelpIndex::search(const QString& query) const {
    const QStringList words = searchWords(query);
    if (words.isEmpty())
        return {};
    struct Hit {
        qsizetype order;
        int score;
        QString page;
    };
    QList<Hit> hits;
    for (qsizetype i = 0; i < topics_.size(); ++i) {
        const QString text = topics_[i].plainText.toLower() + u' ' + topics_[i].title.toLower();
        int score = 0;
        bool all = true;
        for (const QString& w : words) {
            // A word matches where a word of the text starts with it.
            const QRegularExpression re(QStringLiteral("\\b") + QRegularExpression::escape(w),
                                        QRegularExpression::UseUnicodePropertiesOption);
            int n = 0;
            for (QRegularExpressionMatchIterator it = re.globalMatch(text); it.hasNext(); it.next())
                ++n;
            if (n == 0) {
                all = false;
                break;
            }
            score += n;
            if (topics_[i].title.toLower().contains(w))
                score += 10; // a topic about the word comes before one that mentions it
        }
        if (all)
            hits << Hit{i, score, topics_[i].page};
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const Hit& a, const Hit& b) { return a.score > b.score; });
    QStringList pages;
    for (const Hit& h : hits)
        pages << h.page;
    return pages;
}

// ---------------------------------------------------------------------------

HelpViewer* HelpViewer::instance() {
    static QPointer<HelpViewer> viewer;
    if (!viewer)
        viewer = new HelpViewer();
    return viewer;
}

HelpViewer::HelpViewer(HelpIndex index, QWidget* parent)
    : QWidget(parent, Qt::Window), index_(std::move(index)) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Tallix32 Help"));

    btnContents = new QPushButton(QStringLiteral("&Contents"), this);
    btnContents->setObjectName(QStringLiteral("btnContents"));
    btnBack = new QPushButton(QStringLiteral("&Back"), this);
    btnBack->setObjectName(QStringLiteral("btnBack"));
    btnBack->setEnabled(false);
    btnForward = new QPushButton(QStringLiteral("&Forward"), this);
    btnForward->setObjectName(QStringLiteral("btnForward"));
    btnForward->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnContents);
    buttons->addWidget(btnBack);
    buttons->addWidget(btnForward);
    buttons->addStretch(1);

    lbTopics = new QListWidget(this);
    lbTopics->setObjectName(QStringLiteral("lbTopics"));
    lbTopics->setWordWrap(true);
    lbTopics->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const HelpTopic& t : index_.topics()) {
        auto* item = new QListWidgetItem(t.title, lbTopics);
        item->setData(Qt::UserRole, t.page);
    }

    auto* searchPage = new QWidget(this);
    editSearch = new QLineEdit(searchPage);
    editSearch->setObjectName(QStringLiteral("editSearch"));
    editSearch->setPlaceholderText(QStringLiteral("Words to look for"));
    btnSearch = new QPushButton(QStringLiteral("&Find"), searchPage);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    lblResults = new QLabel(searchPage);
    lblResults->setObjectName(QStringLiteral("lblResults"));
    lblResults->setWordWrap(true);
    lbResults = new QListWidget(searchPage);
    lbResults->setObjectName(QStringLiteral("lbResults"));
    lbResults->setWordWrap(true);
    lbResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(editSearch, 1);
    searchRow->addWidget(btnSearch);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(lblResults);
    searchLayout->addWidget(lbResults, 1);

    tabsNavigation = new QTabWidget(this);
    tabsNavigation->setObjectName(QStringLiteral("tabsNavigation"));
    tabsNavigation->addTab(lbTopics, QStringLiteral("Contents"));
    tabsNavigation->addTab(searchPage, QStringLiteral("Search"));

    txtPage = new QTextBrowser(this);
    txtPage->setObjectName(QStringLiteral("txtPage"));
    txtPage->setOpenExternalLinks(true);
    txtPage->setSearchPaths({index_.folder()});
    const QString css = readText(index_.folder() + QStringLiteral("/help.css"));
    if (!css.isEmpty())
        txtPage->document()->setDefaultStyleSheet(css);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabsNavigation);
    splitter->addWidget(txtPage);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 600});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(880, 580);

    connect(btnContents, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(btnBack, &QPushButton::clicked, txtPage, &QTextBrowser::backward);
    connect(btnForward, &QPushButton::clicked, txtPage, &QTextBrowser::forward);
    connect(txtPage, &QTextBrowser::backwardAvailable, btnBack, &QPushButton::setEnabled);
    connect(txtPage, &QTextBrowser::forwardAvailable, btnForward, &QPushButton::setEnabled);
    // The browser tells of the new page before source() returns it: go by the URL.
    connect(txtPage, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        const HelpTopic* topic = index_.topic(url.fileName());
        setWindowTitle(topic ? QStringLiteral("Tallix32 Help - ") + topic->title
                             : QStringLiteral("Tallix32 Help"));
        syncTopicList(url.fileName());
    });
    connect(lbTopics, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(lbTopics, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(btnSearch, &QPushButton::clicked, this, &HelpViewer::runSearch);
    connect(editSearch, &QLineEdit::returnPressed, this, &HelpViewer::runSearch);
    connect(lbResults, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { openResult(lbResults->row(item)); });
    connect(lbResults, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { openResult(lbResults->row(item)); });

    if (!index_.contentsPage().isEmpty())
        showPage(index_.contentsPage());
}

void HelpViewer::present() {
    // A modal box or window blocks every window that is not its own. While one is
    // open, the help window is made the modal window's transient child so that it
    // can be read and used (a box's Help button is pressed while the box is open).
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this)
        modal = nullptr;
    if (!isVisible()) {
        const QWidget* over = modal ? modal : near_.data();
        QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    winId(); // the window handle exists from here on
    if (QWindow* handle = windowHandle())
        handle->setTransientParent(modal ? modal->window()->windowHandle() : nullptr);
    show();
    raise();
    activateWindow();
}

void HelpViewer::showContents() {
    tabsNavigation->setCurrentIndex(0);
    if (!index_.contentsPage().isEmpty())
        showPage(index_.contentsPage());
    present();
}

void HelpViewer::showSearch(const QString& words) {
    tabsNavigation->setCurrentIndex(1);
    if (!words.isEmpty()) {
        editSearch->setText(words);
        runSearch();
    }
    present();
    editSearch->setFocus();
    editSearch->selectAll();
}

bool HelpViewer::showContext(int context) {
    const QString page = index_.pageForContext(context);
    if (page.isEmpty() || !showPage(page)) {
        showContents();
        return false;
    }
    tabsNavigation->setCurrentIndex(0);
    present();
    return true;
}

bool HelpViewer::showPage(const QString& page) {
    if (!index_.topic(page))
        return false;
    lastWords_.clear();
    const QString path = index_.folder() + u'/' + page;
    txtPage->setSource(path.startsWith(u':') ? QUrl(QStringLiteral("qrc") + path)
                                             : QUrl::fromLocalFile(path));
    txtPage->setExtraSelections({});
    return true;
}

QString HelpViewer::currentPage() const {
    return txtPage->source().fileName();
}

QString HelpViewer::currentTitle() const {
    return txtPage->documentTitle();
}

QStringList HelpViewer::searchResultTitles() const {
    QStringList titles;
    for (int i = 0; i < lbResults->count(); ++i)
        titles << lbResults->item(i)->text();
    return titles;
}

void HelpViewer::runSearch() {
    const QString query = editSearch->text();
    resultPages_ = index_.search(query);
    lastWords_ = HelpIndex::searchWords(query);
    lbResults->clear();
    for (const QString& page : resultPages_) {
        auto* item = new QListWidgetItem(index_.topic(page)->title, lbResults);
        item->setData(Qt::UserRole, page);
    }
    if (lastWords_.isEmpty())
        lblResults->setText(QStringLiteral("Type one or more words, then press Find."));
    else if (resultPages_.isEmpty())
        lblResults->setText(QStringLiteral("No topic contains all of those words."));
    else
        lblResults->setText(resultPages_.size() == 1
                                ? QStringLiteral("1 topic found:")
                                : QStringLiteral("%1 topics found:").arg(resultPages_.size()));
    if (!resultPages_.isEmpty()) {
        lbResults->setCurrentRow(0);
        openResult(0);
    }
}

void HelpViewer::openResult(int row) {
    if (row < 0 || row >= resultPages_.size())
        return;
    const QStringList words = lastWords_;
    showPage(resultPages_[row]);
    lastWords_ = words;
    highlight(words);
}

void HelpViewer::highlight(const QStringList& words) {
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(QColor(255, 236, 139));
    QTextCursor first;
    for (const QString& w : words) {
        QTextCursor c(txtPage->document());
        while (true) {
            c = txtPage->document()->find(w, c);
            if (c.isNull())
                break;
            marks << QTextEdit::ExtraSelection{c, format};
            if (first.isNull() || c.position() < first.position())
                first = c;
        }
    }
    txtPage->setExtraSelections(marks);
    if (!first.isNull()) {
        first.clearSelection();
        txtPage->setTextCursor(first);
        txtPage->ensureCursorVisible();
    }
}

void HelpViewer::syncTopicList(const QString& page) {
    for (int i = 0; i < lbTopics->count(); ++i)
        if (lbTopics->item(i)->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker block(lbTopics);
            lbTopics->setCurrentRow(i);
            return;
        }
}

// ---------------------------------------------------------------------------

void showHelpContents(QWidget* parent) {
    HelpViewer* viewer = HelpViewer::instance();
    viewer->setNearWidget(parent);
    viewer->showContents();
}

void showHelpSearch(QWidget* parent) {
    HelpViewer* viewer = HelpViewer::instance();
    viewer->setNearWidget(parent);
    viewer->showSearch();
}

void showHelpContext(int context) {
    HelpViewer::instance()->showContext(context);
}

void showHelpContext(QWidget* parent, int context) {
    HelpViewer* viewer = HelpViewer::instance();
    viewer->setNearWidget(parent);
    viewer->showContext(context);
}

void setHelpContext(QWidget* widget, int context) {
    if (widget)
        widget->setProperty(kHelpContextProperty, context);
}

int helpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kHelpContextProperty);
        if (v.isValid() && v.toInt() != 0)
            return v.toInt();
    }
    return 0;
}

void showHelpFor(const QWidget* widget) {
    const int context = helpContextOf(widget);
    if (context != 0)
        showHelpContext(context);
    else
        showHelpContents();
}

} // namespace tallix

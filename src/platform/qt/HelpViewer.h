#pragma once
// The program's help: HTML topics built into the program, a window that shows them
// with a contents list and a full-text search, and the help context numbers that
// every menu, window and message box carries.
//
// The topics and the contexts that open each of them are listed in one place, the
// file help/topics.txt among the resources: one line per topic, in contents order,
// "page.html  context context ...". A context that no topic claims opens the
// contents.
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;

namespace tallix {

struct HelpTopic {
    QString page;      // file name, "files.html"
    QString title;     // the page's <title>
    QList<int> contexts;
    QString plainText; // the page as text, for the search
};

// The list of topics and the context map, read from a folder of pages.
class HelpIndex {
public:
    // The topics built into the program (":/help").
    static const HelpIndex& builtIn();

    // Reads folder/topics.txt and the pages it names.
    explicit HelpIndex(const QString& folder);

    QString folder() const { return folder_; }
    // Topics in contents order; pages named in topics.txt but missing are left out
    // (and listed by missingPages()).
    const QList<HelpTopic>& topics() const { return topics_; }
    const HelpTopic* topic(const QString& page) const;
    QStringList missingPages() const { return missing_; }

    // The first topic: the contents page.
    QString contentsPage() const;
    // The page that a help context opens; empty when no topic claims it.
    QString pageForContext(int context) const;
    // Every context with its page.
    QMap<int, QString> contextMap() const { return contexts_; }

    // Pages whose text holds every word of the query (letters and digits; case
    // ignored; a word matches the start of longer words too), most matches first.
    QStringList search(const QString& query) const;
    // The words search() looks for.
    static QStringList searchWords(const QString& query);

private:
    QString folder_;
    QList<HelpTopic> topics_;
    QStringList missing_;
    QMap<int, QString> contexts_;
};

// The help window: the contents list and the search on the left, the topic on the
// right, with back and forward. There is one for the program; it stays usable while
// a modal box or window is open, so a box's Help button can be followed.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // The program's help window, made on first use.
    static HelpViewer* instance();

    explicit HelpViewer(HelpIndex index = HelpIndex::builtIn(), QWidget* parent = nullptr);

    // Show the window at the contents page with the contents list in front.
    void showContents();
    // Show the window with the search in front; with words, run the search.
    void showSearch(const QString& words = QString());
    // Show the topic of a help context; an unknown context shows the contents.
    // Returns whether the context had a topic of its own.
    bool showContext(int context);
    // Show one topic by its page name. False (and nothing changes) for an unknown page.
    bool showPage(const QString& page);

    // The window the help is asked from: a help window not yet on screen opens over
    // it (on its screen).
    void setNearWidget(QWidget* widget) { near_ = widget; }

    QString currentPage() const;
    QString currentTitle() const;
    // The titles listed by the last search, in order.
    QStringList searchResultTitles() const;
    QTextBrowser* browser() const { return txtPage; }

    // The controls, by the names they carry.
    QPushButton* btnContents = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnForward = nullptr;
    QTabWidget* tabsNavigation = nullptr;
    QListWidget* lbTopics = nullptr;
    QLineEdit* editSearch = nullptr;
    QPushButton* btnSearch = nullptr;
    QLabel* lblResults = nullptr;
    QListWidget* lbResults = nullptr;
    QTextBrowser* txtPage = nullptr;

private:
    void runSearch();
    void openResult(int row);
    void present();
    void highlight(const QStringList& words);
    void syncTopicList(const QString& page);

    HelpIndex index_;
    QPointer<QWidget> near_;
    QStringList resultPages_;
    QStringList lastWords_;
};

// The help commands: the contents, the search, the topic of a context. They show
// the program's help window, on the screen of parent when one is given.
void showHelpContents(QWidget* parent = nullptr);
void showHelpSearch(QWidget* parent = nullptr);
void showHelpContext(int context);
void showHelpContext(QWidget* parent, int context);

// The help context of a control, for F1: set on a control (or a window) as its
// "helpContext" property, found on the nearest control up the parent chain that
// has one (0 when none has).
void setHelpContext(QWidget* widget, int context);
int helpContextOf(const QWidget* widget);
// F1: the topic of the control's context, or the contents when it has none.
void showHelpFor(const QWidget* widget);

} // namespace tallix

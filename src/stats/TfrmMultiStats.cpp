#include "stats/TfrmMultiStats.h"
#include "platform/qt/QtStrings.h"

#include "platform/TextCodec.h"
#include "export/OutputColours.h"
#include "platform/FileIO.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "stats/qt/ChartImage.h"
#include "stats/qt/ChartPanel.h"
#include "stats/qt/StringAlignGrid.h"
#include "stats/StatsTables.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tallix {

namespace {

QColor qcolour(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

constexpr int GridRows = 1 + ErrorEntryCount;

} // namespace

TfrmMultiStats::TfrmMultiStats(QWidget* parent, const QString& errorTypeTitle)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinMaxButtonsHint) {
    setObjectName(QStringLiteral("frmMultiStats"));
    setWindowTitle(QStringLiteral("Multiple-File Statistics"));
    setModal(false);
    setHelpContext(this, stats::MultiStatsHelpContext);

    tabsResults = new QTabWidget(this);
    tabsResults->setObjectName(QStringLiteral("tabsResults"));
    ErrorGrid = new TStringAlignGrid(3, GridRows);
    ErrorGrid->setObjectName(QStringLiteral("ErrorGrid"));
    ErrorGrid->setToolTip(QStringLiteral("This grid shows the total number of each type of error"));
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    ErrorGrid->setGridFont(f);
    ErrorGrid->setGridFontColour(qcolour(LabelColour));
    for (int column : {0, 1}) {
        ErrorGrid->setHeaderAlignment(column, Qt::AlignHCenter);
        ErrorGrid->setBodyAlignment(column, Qt::AlignHCenter);
    }
    ErrorGrid->setColumnFontColour(0, qcolour(OutputColours().colour(ColourRole::Error)));
    ErrorGrid->setColumnWidth(0, 60);
    ErrorGrid->setColumnWidth(1, 60);
    ErrorGrid->setCell(0, 0, QStringLiteral("Abb"));
    ErrorGrid->setCell(1, 0, QStringLiteral("Total"));
    ErrorGrid->setCell(2, 0, errorTypeTitle);
    // A selected cell: the window colour with the highlight colour as its text,
    // so that the figures stay readable.
    ErrorGrid->setSelectedColours(palette().color(QPalette::Base),
                                  palette().color(QPalette::Active, QPalette::Highlight));

    ErrorGrid->installEventFilter(this);
    tabsResults->addTab(ErrorGrid, QStringLiteral("&Table"));
    tabsResults->addTab(makeChartPage(), QStringLiteral("C&hart"));
    tabsResults->addTab(makeStudentPage(), QStringLiteral("St&udents"));

    pgsCount = new QProgressBar(this);
    pgsCount->setObjectName(QStringLiteral("pgsCount"));
    pgsCount->setTextVisible(true);
    pgsCount->setFormat(QStringLiteral("Counting %v of %m files"));
    pgsCount->hide();

    lblFiles = new QLabel(QStringLiteral("Selected Files:"), this);
    lblFiles->setObjectName(QStringLiteral("lblFiles"));
    QPalette lp = lblFiles->palette();
    lp.setColor(QPalette::WindowText, qcolour(LabelColour));
    lblFiles->setPalette(lp);
    lbFiles = new QListWidget(this);
    lbFiles->setObjectName(QStringLiteral("lbFiles"));
    lbFiles->setToolTip(QStringLiteral("List of files for scanning"));

    auto button = [this](QPushButton*& b, const QString& caption, const char* name,
                         const QString& hint, void (TfrmMultiStats::*click)()) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        if (click)
            connect(b, &QPushButton::clicked, this, click);
    };
    button(btnAddFiles, QStringLiteral("&Add Files"), "btnAddFiles",
           QStringLiteral("Add files to the list for error-counting"),
           &TfrmMultiStats::btnAddFilesClick);
    button(btnDeleteFiles, QStringLiteral("&Delete"), "btnDeleteFiles",
           QStringLiteral("Delete the selected file(s) from the list"),
           &TfrmMultiStats::btnDeleteFilesClick);
    button(btnClear, QStringLiteral("Cl&ear"), "btnClear",
           QStringLiteral("Clear the list of files and the grid"), &TfrmMultiStats::btnClearClick);
    button(btnCount, QStringLiteral("&Count"), "btnCount",
           QStringLiteral("Count errors in the selected files"), &TfrmMultiStats::btnCountClick);
    button(btnCopy, QStringLiteral("C&opy"), "btnCopy",
           QStringLiteral("Copy a detailed table of statistics to the clipboard"),
           &TfrmMultiStats::btnCopyClick);
    button(btnSave, QStringLiteral("&Save"), "btnSave",
           QStringLiteral("Save a detailed table of statistics in ASCII format"),
           &TfrmMultiStats::btnSaveClick);
    button(btnClose, QStringLiteral("C&lose"), "btnClose", QStringLiteral("Close this screen"),
           nullptr);
    button(btnHelp, QStringLiteral("&Help"), "btnHelp",
           QStringLiteral("Help on multiple-file error statistics"), nullptr);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(btnHelp, &QPushButton::clicked, this,
            [this] { showHelpContext(this, stats::MultiStatsHelpContext); });

    resize(900, 560);
    FormResize();
    showClassChart();
    showStudents();
}

QWidget* TfrmMultiStats::makeChartPage() {
    auto* page = new QWidget;
    chartClass = new ChartPanel(stats::MultiStatsHelpContext, page);
    chartClass->setObjectName(QStringLiteral("chartClass"));
    chartClass->keepFiles = [this] {
        QStringList keep;
        for (const std::string& f : stats_.files())
            keep << QString::fromStdString(f);
        return keep;
    };
    chkPer100Words = new QCheckBox(QStringLiteral("&Per 100 words"), page);
    chkPer100Words->setObjectName(QStringLiteral("chkPer100Words"));
    chkPer100Words->setToolTip(
        QStringLiteral("Show errors per 100 words, so that long essays do not look worse than short ones"));
    connect(chkPer100Words, &QCheckBox::toggled, this, [this] { showClassChart(); });
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(chartClass, 1);
    layout->addWidget(chkPer100Words);
    return page;
}

QWidget* TfrmMultiStats::makeStudentPage() {
    auto* page = new QWidget;
    rbNameFromFile = new QRadioButton(QStringLiteral("Name from the &file name (up to the first \"_\")"), page);
    rbNameFromFile->setObjectName(QStringLiteral("rbNameFromFile"));
    rbNameFromFile->setToolTip(
        QStringLiteral("The student's name is the file name up to its first \"_\", as course sites name bulk downloads"));
    rbNameFromFile->setChecked(true);
    rbFolderPerStudent = new QRadioButton(QStringLiteral("&One folder per student"), page);
    rbFolderPerStudent->setObjectName(QStringLiteral("rbFolderPerStudent"));
    rbFolderPerStudent->setToolTip(QStringLiteral("The folder that holds each file is its student"));
    connect(rbFolderPerStudent, &QRadioButton::toggled, this, [this] { showStudents(); });

    tvStudents = new QTreeWidget(page);
    tvStudents->setObjectName(QStringLiteral("tvStudents"));
    tvStudents->setRootIsDecorated(false);
    tvStudents->setHeaderLabels({QStringLiteral("Student"), QStringLiteral("Essays"),
                                 QStringLiteral("Words"), QStringLiteral("Errors"),
                                 QStringLiteral("Per 100 words")});
    tvStudents->setToolTip(QStringLiteral("The students of the list with their totals; select one to see their essays over time"));
    connect(tvStudents, &QTreeWidget::currentItemChanged, this, [this] { showStudentChart(); });

    lbCategories = new QListWidget(page);
    lbCategories->setObjectName(QStringLiteral("lbCategories"));
    lbCategories->setToolTip(QStringLiteral("Tick the categories to draw for the selected student"));
    connect(lbCategories, &QListWidget::itemChanged, this, [this] { showStudentChart(); });

    chartStudent = new ChartPanel(stats::MultiStatsHelpContext, page);
    chartStudent->setObjectName(QStringLiteral("chartStudent"));
    chartStudent->keepFiles = chartClass->keepFiles;

    auto* choice = new QHBoxLayout;
    choice->addWidget(rbNameFromFile);
    choice->addWidget(rbFolderPerStudent);
    choice->addStretch();
    auto* lists = new QSplitter(Qt::Vertical);
    lists->addWidget(tvStudents);
    lists->addWidget(lbCategories);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(lists);
    split->addWidget(chartStudent);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(choice);
    layout->addWidget(split, 1);
    return page;
}

stats::StudentGrouping TfrmMultiStats::grouping() const {
    return rbFolderPerStudent->isChecked() ? stats::StudentGrouping::Folder
                                           : stats::StudentGrouping::FileName;
}

std::vector<int> TfrmMultiStats::tickedEntries() const {
    std::vector<int> entries;
    for (int i = 0; i < lbCategories->count(); ++i)
        if (lbCategories->item(i)->checkState() == Qt::Checked)
            entries.push_back(lbCategories->item(i)->data(Qt::UserRole).toInt());
    return entries;
}

void TfrmMultiStats::showClassChart() {
    classChart_ = stats::classChart(stats_, chkPer100Words->isChecked());
    chartClass->setChart(newCategoryChart(classChart_));
}

void TfrmMultiStats::showStudents() {
    const QString selected = tvStudents->currentItem() ? tvStudents->currentItem()->text(0) : QString();
    students_ = stats::groupByStudent(stats_, grouping());
    {
        const QSignalBlocker quiet(tvStudents);
        tvStudents->clear();
        for (const stats::StudentRecord& s : students_) {
            auto* item = new QTreeWidgetItem(tvStudents);
            item->setText(0, QString::fromStdString(s.name));
            item->setText(1, QString::number(s.files.size()));
            item->setText(2, QString::number(s.words));
            item->setText(3, QString::number(s.errors()));
            item->setText(4, qs(stats::rateText(s.rate())));
            for (int c = 1; c <= 4; ++c)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
            if (item->text(0) == selected)
                tvStudents->setCurrentItem(item);
        }
        if (!tvStudents->currentItem() && tvStudents->topLevelItemCount() > 0)
            tvStudents->setCurrentItem(tvStudents->topLevelItem(0));
        for (int c = 0; c < tvStudents->columnCount(); ++c)
            tvStudents->resizeColumnToContents(c);
    }
    // The categories found, ticked as they were; the three most frequent are
    // ticked when the list is new.
    std::vector<int> ticked = tickedEntries();
    const bool fresh = lbCategories->count() == 0;
    {
        const QSignalBlocker quiet(lbCategories);
        lbCategories->clear();
        int rank = 0;
        for (const stats::ChartBar& b : stats::classChart(stats_, false).bars) {
            auto* item = new QListWidgetItem(qs(b.label()), lbCategories);
            item->setData(Qt::UserRole, b.entry);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            const bool on = fresh ? rank < 3
                                  : std::find(ticked.begin(), ticked.end(), b.entry) != ticked.end();
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            ++rank;
        }
    }
    showStudentChart();
}

void TfrmMultiStats::showStudentChart() {
    studentSeries_ = {};
    if (QTreeWidgetItem* item = tvStudents->currentItem()) {
        const int i = tvStudents->indexOfTopLevelItem(item);
        if (i >= 0 && i < int(students_.size()))
            studentSeries_ = stats::studentSeries(stats_, students_[std::size_t(i)], tickedEntries());
    }
    chartStudent->setChart(newStudentChart(studentSeries_));
}

void TfrmMultiStats::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    FormResize();
}

void TfrmMultiStats::FormResize() {
    const int w = width();
    const int h = height();
    const int third = std::max(0, (w - 36) / 3);
    const int gridWidth = third * 2;
    // The tabs take the grid's place; the grid fills its page, and its third
    // column takes what the first two leave (see eventFilter).
    tabsResults->setGeometry(12, 12, gridWidth, std::max(0, h - 84));
    pgsCount->setGeometry(12, h - 70, gridWidth, 16);
    const int listLeft = gridWidth + 24;
    lblFiles->setGeometry(listLeft, 12, third, 16);
    lbFiles->setGeometry(listLeft, 30, third, std::max(0, h - 188));
    const int below = lbFiles->y() + lbFiles->height() + 5;
    const int half = std::max(0, third / 2 - 3);
    btnAddFiles->setGeometry(listLeft, below, half, 25);
    btnDeleteFiles->setGeometry(listLeft + third - half, below, half, 25);
    btnClear->setGeometry(listLeft + (third - half) / 2, below + 25 + 5, half, 25);
    int x = (w - 490) / 2;
    for (QPushButton* b : {btnCount, btnCopy, btnSave, btnClose, btnHelp}) {
        b->setGeometry(x, h - 50, 90, 25);
        x += 100;
    }
}

bool TfrmMultiStats::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ErrorGrid && e->type() == QEvent::Resize) {
        const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        ErrorGrid->setColumnWidth(2, std::max(20, ErrorGrid->width() - ErrorGrid->columnWidth(0) -
                                                      ErrorGrid->columnWidth(1) - scroll - 4));
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmMultiStats::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (errorColour)
        ErrorGrid->setColumnFontColour(0, qcolour(errorColour()));
    if (e->spontaneous())
        return;
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void TfrmMultiStats::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        showHelpFor(QApplication::focusWidget() ? QApplication::focusWidget() : this);
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmMultiStats::btnAddFilesClick() {
    FileRequest r;
    r.title = QStringLiteral("Select files");
    r.filter = QStringLiteral("Tallix files (*.tlx)|*.tlx|Rich Text Format files (*.rtf)|*.rtf");
    r.defaultExtension = QStringLiteral(".tlx");
    r.helpContext = stats::MultiStatsHelpContext;
    std::optional<QStringList> chosen = askFileNames(this, r);
    if (!chosen)
        return;
    for (const QString& path : *chosen) {
        stats_.addFile(path.toStdString());
        lbFiles->addItem(QString::fromStdString(stats_.fileName(int(stats_.files().size()) - 1)));
    }
}

void TfrmMultiStats::btnDeleteFilesClick() {
    const int i = lbFiles->currentRow();
    if (stats_.removeFile(i))
        delete lbFiles->takeItem(i);
}

void TfrmMultiStats::btnClearClick() {
    stats_.clear();
    lbFiles->clear();
    ErrorGrid->clearRows(1);
    showClassChart();
    showStudents();
}

void TfrmMultiStats::setFiles(const QStringList& paths) {
    if (stats_.counting())
        return;
    btnClearClick();
    for (const QString& path : paths) {
        stats_.addFile(path.toStdString());
        lbFiles->addItem(QString::fromStdString(stats_.fileName(int(stats_.files().size()) - 1)));
    }
}

void TfrmMultiStats::setCommandsEnabled(bool on) {
    for (QPushButton* b : {btnAddFiles, btnDeleteFiles, btnClear, btnCount, btnCopy, btnSave})
        b->setEnabled(on);
}

void TfrmMultiStats::btnCountClick() {
    if (stats_.counting())
        return;
    static const AnnotationSet builtIn = AnnotationSet::builtInDefaults();
    const AnnotationSet& set = buttonSet ? buttonSet() : builtIn;
    // The count lets events through so the window repaints; nothing may change
    // the list under it meanwhile.
    setCommandsEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ErrorGrid->clearRows(1);
    ErrorGrid->repaint();
    stats::MultiStatsCallbacks cb;
    cb.fileStarted = [this](int f) {
        lbFiles->setCurrentRow(f);
        QApplication::processEvents();
    };
    cb.warn = [this](const Message& m) {
        QApplication::restoreOverrideCursor();
        showMessage(this, m, buttons::OkHelp);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    };
    cb.step = [] { QApplication::processEvents(); };
    cb.progress = [this](int done, int total) {
        pgsCount->setMaximum(total);
        pgsCount->setValue(done);
    };
    pgsCount->setRange(0, std::max(1, int(stats_.files().size())));
    pgsCount->setValue(0);
    pgsCount->show();
    try {
        stats_.count(set, cb);
    } catch (...) {
        pgsCount->hide();
        QApplication::restoreOverrideCursor();
        setCommandsEnabled(true);
        throw;
    }
    pgsCount->hide();
    showResults();
    QApplication::restoreOverrideCursor();
    setCommandsEnabled(true);
}

void TfrmMultiStats::showResults() {
    ErrorGrid->clearRows(1);
    int row = 1;
    for (const stats::MultiStatsRow& r : stats_.rows()) {
        ErrorGrid->setCell(0, row, qs(r.abbreviation));
        ErrorGrid->setCell(1, row, QString::number(r.total));
        ErrorGrid->setCell(2, row, qs(r.description));
        ++row;
    }
    showClassChart();
    showStudents();
}

QString TfrmMultiStats::CompileOutText() {
    if (!stats_.resultsMatchList())
        btnCountClick();
    return qs(stats_.compileOutText());
}

void TfrmMultiStats::btnCopyClick() {
    const QString text = CompileOutText();
    QGuiApplication::clipboard()->setText(text);
    showPlainMessage(this, QString::fromUtf16(stats::CopiedMessage));
}

void TfrmMultiStats::btnSaveClick() {
    if (!stats_.resultsMatchList())
        btnCountClick();
    if (ErrorGrid->cell(0, 1).isEmpty())
        return; // nothing counted
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = QStringLiteral("Save these statistics");
    r.filter = QStringLiteral("Tab-delimited text (*.txt)|*.txt");
    r.defaultExtension = QStringLiteral(".txt");
    r.confirmOverwrite = true;
    r.helpContext = stats::MultiStatsHelpContext;
    // The table never replaces one of the marked files it counts.
    for (const std::string& f : stats_.files())
        r.keepFiles << QString::fromStdString(f);
    std::optional<QString> path = askFileName(this, r);
    if (!path || path->isEmpty())
        return;
    if (!fileio::writeFileAtomic(path->toStdString(), stats_.outTextBytes()).ok)
        showMessage(this, QString::fromUtf16(stats::SaveFailedMessage), MessageType::Warning,
                    buttons::Ok, stats::SaveFailureHelpContext);
}

} // namespace tallix

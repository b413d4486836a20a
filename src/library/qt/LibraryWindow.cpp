#include "library/qt/LibraryWindow.h"
#include "platform/qt/QtStrings.h"

#include "export/OutputColours.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace tallix {

namespace {


QString qs(const char16_t* s) { return QString::fromUtf16(s); }

} // namespace

QString toMemoLines(const std::u16string& s) {
    QString t = qs(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

std::u16string fromMemoLines(const QString& s) {
    QString t = s;
    t.replace(QChar(0x2029), QLatin1Char('\n'));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return std::u16string(reinterpret_cast<const char16_t*>(t.utf16()), std::size_t(t.size()));
}

LibraryWindow::LibraryWindow(const library::LibraryKind& kind, library::ReferenceList& list,
                             QWidget* mainWindow, QPlainTextEdit* notes)
    : QDialog(mainWindow), kind_(kind), list_(list), mainWindow_(mainWindow), notes_(notes),
      path_((programFolder() + qs(kind.fileName)).toStdString()) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setHelpContext(this, kind.helpContext);

    lbTitles = new QListWidget(this);
    lbTitles->setObjectName(QStringLiteral("lbTitles"));
    lbTitles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbTitles->setGeometry(8, 8, 220, 284);
    connect(lbTitles, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            lbTitlesClick();
    });
    connect(lbTitles, &QListWidget::itemClicked, this, [this] { lbTitlesClick(); });

    grpCurrent = new QGroupBox(this);
    grpCurrent->setObjectName(QStringLiteral("grpCurrent"));
    lblTitle = fieldLabel(QStringLiteral("Title:"), grpCurrent, 10, 24);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    editTitle = new QLineEdit(grpCurrent);
    editTitle->setObjectName(QStringLiteral("editTitle"));
    editTitle->setGeometry(60, 20, 246, 24);
    lblTitle->setBuddy(editTitle);
    connect(editTitle, &QLineEdit::textEdited, this, [this] { fieldsEdited(); });
}

QLabel* LibraryWindow::fieldLabel(const QString& text, QWidget* parent, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, 48, 18);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText,
               QColor(redOf(LabelColour), greenOf(LabelColour), blueOf(LabelColour)));
    l->setPalette(p);
    return l;
}

QPushButton* LibraryWindow::button(const QString& caption, const char* name, const QString& hint,
                                   QWidget* parent, int x, int y, int w) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setGeometry(x, y, w, 27);
    return b;
}

// ====================================================================== creation

void LibraryWindow::FormCreate() {
    // Until the teacher saves a list of their own, the one installed with the
    // program serves; saving always writes the teacher's copy.
    const library::StartupLoad r = library::loadAtStartup(
        kind_, readableFile(QString::fromStdString(path_)).toStdString(), list_);
    for (const Message& m : r.messages) {
        if (m.helpContext != 0)
            showMessage(parentWidget(), m, buttons::OkHelp);
        else
            showPlainMessage(parentWidget(), qs(m.text));
    }
    clearFields();
    fieldsShown_ = false;
    if (!list_.empty())
        UpdateListBox();
    changed_ = false;
}

// ====================================================================== the list

void LibraryWindow::UpdateListBox() {
    lbTitles->clear();
    for (int i = 0; i < list_.count(); ++i)
        lbTitles->addItem(qs(list_.title(i)));
    if (lbTitles->count() > 0)
        makeCurrent(0);
}

void LibraryWindow::lbTitlesClick() {
    const int i = lbTitles->currentRow();
    if (i < 0 || i >= list_.count())
        return;
    showFields(i);
    fieldsShown_ = true;
}

void LibraryWindow::makeCurrent(int entry) {
    lbTitles->clearSelection();
    lbTitles->setCurrentRow(entry, QItemSelectionModel::ClearAndSelect);
    lbTitlesClick();
}

void LibraryWindow::showFirst() {
    clearFields();
    fieldsShown_ = false;
    if (lbTitles->count() > 0)
        makeCurrent(0);
}

void LibraryWindow::btnAcceptClick() {
    const int i = lbTitles->currentRow();
    if (i < 0 || i >= list_.count() || !fieldsShown_)
        return;
    storeFields(i);
    lbTitles->item(i)->setText(qs(list_.title(i)));
    clearFields();
    fieldsShown_ = false;
    setChanged();
}

void LibraryWindow::btnCancelClick() {
    if (lbTitles->currentRow() >= 0)
        lbTitlesClick();
}

void LibraryWindow::btnNewClick() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lbTitles->clearSelection();
    const int i = addNewEntry();
    lbTitles->addItem(qs(list_.title(i)));
    clearFields();
    makeCurrent(i);
    editTitle->setFocus();
    setChanged();
    QApplication::restoreOverrideCursor();
}

void LibraryWindow::btnDeleteClick() {
    std::vector<bool> selected(std::size_t(lbTitles->count()), false);
    for (int i = 0; i < lbTitles->count(); ++i)
        selected[std::size_t(i)] = lbTitles->item(i)->isSelected();
    const library::DeleteOutcome d = library::deleteSelected(list_, lbTitles->currentRow(), selected);
    if (d.message) {
        showPlainMessage(this, qs(d.message->text));
        return;
    }
    for (int k = 0; k < d.removed; ++k)
        delete lbTitles->takeItem(d.firstRemoved);
    clearFields();
    fieldsShown_ = false;
    if (d.newCurrent >= 0)
        makeCurrent(d.newCurrent);
    setChanged();
}

bool LibraryWindow::SaveStuff() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<Message> failure = library::saveLibrary(kind_, path_, list_);
    QApplication::restoreOverrideCursor();
    if (failure) {
        // The changes are not on disk: closing still asks about them.
        showMessage(this, *failure, buttons::OkHelp);
        return false;
    }
    changed_ = false;
    return true;
}

void LibraryWindow::btnUseClick() {
    const int i = lbTitles->currentRow();
    if (i < 0 || i >= list_.count()) {
        showMessage(this, library::nothingToUseMessage(kind_), buttons::Ok);
        return;
    }
    // The marking window's own focused control: while this window is open the
    // application's focus is here.
    if (!notes_ || mainWindow_->focusWidget() != notes_) {
        showMessage(this, library::useRefusedMessage(kind_), buttons::OkHelp);
        return;
    }
    notes_->textCursor().insertText(toMemoLines(useText(i)));
    close();
}

// ====================================================================== closing and keys

bool LibraryWindow::FormCloseQuery() {
    if (!changed_)
        return true;
    switch (showMessage(this, qs(library::SaveChangesQuestion), MessageType::Confirmation,
                        buttons::YesNoCancel, kind_.helpContext)) {
    case Button::Yes:
        return SaveStuff();
    case Button::No:
        return true; // the changes stay in memory for the rest of the run
    default:
        return false;
    }
}

void LibraryWindow::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    e->accept();
    QDialog::reject();
}

void LibraryWindow::reject() {
    if (FormCloseQuery())
        QDialog::reject();
}

void LibraryWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        showHelpFor(QApplication::focusWidget() ? QApplication::focusWidget() : this);
        return;
    }
    QDialog::keyPressEvent(e);
}

void LibraryWindow::repaintNow() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace tallix

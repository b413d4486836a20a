#include "annotations/qt/ButtonFinderPopup.h"

#include "platform/qt/QtStrings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

namespace tallix {

ButtonFinderPopup::ButtonFinderPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("ButtonFinder"));
    setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    editFind = new QLineEdit(this);
    editFind->setObjectName(QStringLiteral("editFind"));
    editFind->setPlaceholderText(QStringLiteral("Type to find a button"));
    lbButtons = new QListWidget(this);
    lbButtons->setObjectName(QStringLiteral("lbButtons"));
    lbButtons->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(editFind);
    layout->addWidget(lbButtons);
    resize(300, 260);
    editFind->installEventFilter(this);
    connect(editFind, &QLineEdit::textEdited, this, [this] { refill(); });
    connect(lbButtons, &QListWidget::itemActivated, this, [this] { choose(); });
    connect(lbButtons, &QListWidget::itemClicked, this, [this] { choose(); });
}

void ButtonFinderPopup::present(const AnnotationSet& set, const ButtonKeys& keys,
                                const QPoint& globalPos) {
    set_ = set;
    keys_ = keys;
    editFind->clear();
    refill();
    QPoint at = globalPos;
    if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        if (at.y() + height() > area.bottom())
            at.setY(std::max(area.top(), at.y() - height() - 20));
    }
    move(at);
    show();
    editFind->setFocus();
}

void ButtonFinderPopup::refill() {
    choices_ = findButtons(set_, u16(editFind->text()));
    lbButtons->clear();
    for (int n : choices_) {
        QString line;
        if (n == AddCommentChoice) {
            line = QString::fromUtf16(AddCommentName);
        } else {
            line = qs(set_.caption(n));
            const QString longText = qs(set_.longText(n));
            if (!longText.isEmpty())
                line += (line.isEmpty() ? QString() : QStringLiteral(": ")) + longText;
            if (line.isEmpty())
                line = qs(set_.shortText(n));
            if (!keys_.key(n).empty())
                line += QStringLiteral("  (%1)").arg(QString::fromStdString(keys_.key(n)));
        }
        auto* item = new QListWidgetItem(line, lbButtons);
        if (n != AddCommentChoice)
            item->setForeground(isPraiseEntry(n) ? QColor(0, 128, 128) : QColor(255, 0, 0));
        else
            item->setForeground(QColor(0, 128, 0));
    }
    if (lbButtons->count() > 0)
        lbButtons->setCurrentRow(0);
}

int ButtonFinderPopup::selectedChoice() const {
    const int row = lbButtons->currentRow();
    return row >= 0 && row < int(choices_.size()) ? choices_[std::size_t(row)] : -1;
}

void ButtonFinderPopup::choose() {
    const int entry = selectedChoice();
    if (entry < 0)
        return; // nothing matches what was typed: the list stays for more typing
    hide();
    emit chosen(entry);
}

bool ButtonFinderPopup::eventFilter(QObject* watched, QEvent* e) {
    if (watched == editFind && e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        const int rows = lbButtons->count();
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return true;
        case Qt::Key_Escape:
            hide();
            return true;
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            if (rows > 0) {
                const int step = key->key() == Qt::Key_Down     ? 1
                                 : key->key() == Qt::Key_Up     ? -1
                                 : key->key() == Qt::Key_PageDown ? 8
                                                                  : -8;
                lbButtons->setCurrentRow(std::clamp(lbButtons->currentRow() + step, 0, rows - 1));
            }
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, e);
}

} // namespace tallix

#pragma once
// The type-to-find list of the annotation buttons: a small list at the caret of
// every button's caption and long text, with Add Comment. What is typed filters
// the list (findButtons); Enter or a click chooses the selected line, Escape or a
// click elsewhere closes it.
#include "annotations/AnnotationSet.h"
#include "annotations/ButtonKeys.h"

#include <QFrame>

#include <vector>

class QLineEdit;
class QListWidget;

namespace tallix {

class ButtonFinderPopup : public QFrame {
    Q_OBJECT
public:
    explicit ButtonFinderPopup(QWidget* parent = nullptr);

    // Shows the list for set (with its keys) at globalPos, nothing typed yet.
    void present(const AnnotationSet& set, const ButtonKeys& keys, const QPoint& globalPos);
    // The entries listed now, in order (AddCommentChoice for Add Comment).
    const std::vector<int>& choices() const { return choices_; }
    // The entry of the selected line, or -1 when the list is empty.
    int selectedChoice() const;

    QLineEdit* editFind = nullptr;
    QListWidget* lbButtons = nullptr;

signals:
    // The teacher chose an entry (AddCommentChoice: Add Comment). The list is closed.
    void chosen(int entry);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void refill();
    void choose();

    AnnotationSet set_;
    ButtonKeys keys_;
    std::vector<int> choices_;
};

} // namespace tallix

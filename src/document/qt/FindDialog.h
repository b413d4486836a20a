#pragma once
// The find dialog: a small window beside the main window with the search text and
// two buttons. It does no searching itself: Find Next emits findNext(), and the
// window searches the essay (always forward, ignoring case). The search text stays
// until the program ends; Cancel only hides the dialog.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tallix {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 25000;

    explicit FindDialog(QWidget* parent = nullptr);

    QString findText() const;
    void setFindText(const QString& text);

    // Shows the dialog without blocking (or brings it forward), with the search
    // text selected for typing over.
    void present();

    // The controls, by the names they carry.
    QLineEdit* editFindText = nullptr;
    QPushButton* btnFindNext = nullptr;
    QPushButton* btnCancel = nullptr;

signals:
    void findNext();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace tallix

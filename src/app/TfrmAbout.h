#pragma once
// The about box: the program's picture, its version and where to write to, and an
// OK button.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tallix {

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    // The text of lblAbout.
    static QString aboutText();

    QFrame* pnlPicture = nullptr;
    QLabel* imgAbout = nullptr;
    QLabel* lblAbout = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tallix

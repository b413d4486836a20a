#pragma once
// The splash window shown while the program starts: the splash picture at its own
// size, no border, above the other windows, centred on the screen. It closes itself
// when its timer first ticks, 2000 ms after it is shown.
#include <QDialog>

class QLabel;
class QTimer;

namespace tallix {

class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    QLabel* imgSplash = nullptr;
    QTimer* Timer1 = nullptr;

    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tallix

#include "app/TfrmSplash.h"

#include "app/qt/Artwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace tallix {

TfrmSplash::TfrmSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Tallix32"));

    imgSplash = new QLabel(this);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    const QPixmap picture = art::splashPicture();
    imgSplash->setPixmap(picture);
    imgSplash->setGeometry(0, 0, picture.width(), picture.height()); // its natural size
    setFixedSize(imgSplash->size());                                 // the client area

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TfrmSplash::Timer1Timer);
    Timer1->start();
}

void TfrmSplash::Timer1Timer() {
    Timer1->stop();
    // A tick that comes before the window is shown (the program was slow to get
    // there) must not close it early or leave it open for good: the count starts
    // again when it is shown.
    if (isVisible())
        accept();
}

void TfrmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    Timer1->start(); // restarts it: the picture stays up for the whole interval
}

} // namespace tallix

#include "app/TfrmAbout.h"

#include "app/qt/Artwork.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tallix {

QString TfrmAbout::aboutText() {
    return QStringLiteral("Version 1.3: July 1998\n"
                          "\n"
                          "Tallix32 is for teachers who mark their students' essays on screen.\n"
                          "\n"
                          "Questions, ideas and reports of problems are welcome:\n"
                          "The Tallix32 team, tallix32@example.org");
}

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tallix32"));

    pnlPicture = new QFrame(this);
    pnlPicture->setObjectName(QStringLiteral("pnlPicture"));
    pnlPicture->setFrameShape(QFrame::Panel);
    pnlPicture->setFrameShadow(QFrame::Sunken);
    imgAbout = new QLabel(pnlPicture);
    imgAbout->setObjectName(QStringLiteral("imgAbout"));
    imgAbout->setPixmap(art::aboutPicture());
    auto* pictureLayout = new QHBoxLayout(pnlPicture);
    pictureLayout->setContentsMargins(2, 2, 2, 2);
    pictureLayout->addWidget(imgAbout, 0, Qt::AlignCenter);

    lblAbout = new QLabel(this);
    lblAbout->setObjectName(QStringLiteral("lblAbout"));
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(9);
    f.setBold(true);
    lblAbout->setFont(f);
    lblAbout->setTextFormat(Qt::PlainText);
    lblAbout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblAbout->setWordWrap(true);
    lblAbout->setText(aboutText());
    lblAbout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(pnlPicture, 0, Qt::AlignHCenter);
    layout->addWidget(lblAbout);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);
    lblAbout->setFixedWidth(pnlPicture->sizeHint().width());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (over && over->isVisible())
        area = over->frameGeometry();
    else if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

} // namespace tallix

#include "export/web/TfrmWebOptions.h"

#include "export/qt/ColourTints.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tallix {

TfrmWebOptions::TfrmWebOptions(SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings) {
    setObjectName(QStringLiteral("frmWebOptions"));
    setWindowTitle(QStringLiteral("Options for Web page"));
    setHelpContext(this, web::HelpContext);

    QFont radioFont(QStringLiteral("Arial"));
    radioFont.setBold(true);
    radioFont.setPixelSize(13);
    rbQuick = new QRadioButton(QStringLiteral("&Quick and simple"), this);
    rbQuick->setObjectName(QStringLiteral("rbQuick"));
    rbComplex = new QRadioButton(QStringLiteral("Comple&x"), this);
    rbComplex->setObjectName(QStringLiteral("rbComplex"));
    for (QRadioButton* rb : {rbQuick, rbComplex}) {
        rb->setFont(radioFont);
        setFontColour(rb, LabelColour);
    }

    gbComplex = new QGroupBox(QStringLiteral("Options"), this);
    gbComplex->setObjectName(QStringLiteral("gbComplex"));
    lblTitleParas = new QLabel(QStringLiteral("Number of paragraphs to format as title:"), gbComplex);
    lblTitleParas->setObjectName(QStringLiteral("lblTitleParas"));
    spinTitleParas = new QSpinBox(gbComplex);
    spinTitleParas->setObjectName(QStringLiteral("spinTitleParas"));
    spinTitleParas->setRange(web::MinTitleParas, web::MaxTitleParas);
    spinTitleParas->setValue(2);
    lblTitleParas->setBuddy(spinTitleParas);
    chkIncludeErrorStats = new QCheckBox(QStringLiteral("Include &error statistics"), gbComplex);
    chkIncludeErrorStats->setObjectName(QStringLiteral("chkIncludeErrorStats"));
    chkIncludeErrorStats->setChecked(true);
    setHelpContext(chkIncludeErrorStats, stats::ErrorStatisticsHelpContext);
    chkWebble = new QCheckBox(QStringLiteral("Convert accented characters for &Mac"), gbComplex);
    chkWebble->setObjectName(QStringLiteral("chkWebble"));
    setHelpContext(chkWebble, web::MacCharactersHelpContext);
    chkBreak = new QCheckBox(QStringLiteral("&Break large files into multiple pages"), gbComplex);
    chkBreak->setObjectName(QStringLiteral("chkBreak"));
    setHelpContext(chkBreak, web::SplitPagesHelpContext);
    lblLinks = new QLabel(QStringLiteral("Links per page:"), gbComplex);
    lblLinks->setObjectName(QStringLiteral("lblLinks"));
    spinLinks = new QSpinBox(gbComplex);
    spinLinks->setObjectName(QStringLiteral("spinLinks"));
    spinLinks->setRange(web::MinLinks, web::MaxLinks);
    spinLinks->setSingleStep(web::LinksStep);
    spinLinks->setValue(50);
    lblLinks->setBuddy(spinLinks);
    for (QLabel* l : {lblTitleParas, lblLinks})
        setFontColour(l, LabelColour);

    auto* grid = new QGridLayout(gbComplex);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(lblTitleParas, 0, 0);
    grid->addWidget(spinTitleParas, 0, 1);
    grid->addWidget(chkIncludeErrorStats, 1, 0, 1, 2);
    grid->addWidget(chkWebble, 2, 0, 1, 2);
    grid->addWidget(chkBreak, 3, 0, 1, 2);
    auto* links = new QHBoxLayout;
    links->setContentsMargins(22, 0, 0, 0);
    links->addWidget(lblLinks);
    links->addStretch(1);
    grid->addLayout(links, 4, 0);
    grid->addWidget(spinLinks, 4, 1);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {btnOK, btnCancel, btnHelp}) {
        b->setFixedWidth(84);
        buttons->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);
    layout->addWidget(rbQuick);
    layout->addWidget(rbComplex);
    layout->addSpacing(4);
    layout->addWidget(gbComplex);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(rbQuick, &QRadioButton::clicked, this, [this] { rbQuickClick(); });
    connect(rbComplex, &QRadioButton::clicked, this, [this] { rbComplexClick(); });
    connect(chkBreak, &QCheckBox::clicked, this, [this] { chkBreakClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [] { showHelpContext(web::HelpContext); });

    FormCreate();
}

void TfrmWebOptions::FormCreate() {
    const web::WebOptions o = web::readWebOptions(StoredSettings(settings_));
    rbQuick->setChecked(o.quick);
    rbComplex->setChecked(!o.quick);
    const bool complex = rbComplex->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{chkBreak, spinLinks, lblLinks, chkWebble})
        w->setEnabled(complex);
    spinTitleParas->setValue(o.titleParas);
    chkIncludeErrorStats->setChecked(o.includeErrorStats);
    chkBreak->setChecked(o.splitFiles);
    chkWebble->setChecked(o.convertMac);
    spinLinks->setValue(o.links);
}

void TfrmWebOptions::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    FormShow();
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void TfrmWebOptions::FormShow() {
    spinLinks->setEnabled(chkBreak->isChecked());
    lblLinks->setEnabled(chkBreak->isChecked());
    WebOptionsResult = web::ResultCancelled;
}

void TfrmWebOptions::rbQuickClick() {
    chkBreak->setEnabled(false);
    chkWebble->setEnabled(false);
}

void TfrmWebOptions::rbComplexClick() {
    chkBreak->setEnabled(true);
    chkWebble->setEnabled(true);
}

void TfrmWebOptions::chkBreakClick() {
    spinLinks->setEnabled(chkBreak->isChecked());
    lblLinks->setEnabled(chkBreak->isChecked());
}

web::WebOptions TfrmWebOptions::options() const {
    web::WebOptions o;
    o.quick = rbQuick->isChecked();
    o.titleParas = spinTitleParas->value();
    o.includeErrorStats = chkIncludeErrorStats->isChecked();
    o.splitFiles = chkBreak->isChecked();
    o.convertMac = chkWebble->isChecked();
    o.links = spinLinks->value();
    return o;
}

void TfrmWebOptions::btnOKClick() {
    WebOptionsResult = web::webOptionsResult(options());
    accept();
}

void TfrmWebOptions::btnCancelClick() {
    WebOptionsResult = web::ResultCancelled;
    reject();
}

void TfrmWebOptions::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(web::HelpContext);
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmWebOptions::done(int r) {
    if (r != Accepted)
        WebOptionsResult = web::ResultCancelled;
    FormClose();
    QDialog::done(r);
}

void TfrmWebOptions::FormClose() {
    for (const auto& [name, value] : web::webOptionValues(options()))
        settings_.writeString(QString::fromLatin1(web::OptionsSection), QString::fromStdString(name),
                              QString::fromStdString(value));
}

} // namespace tallix

#include "export/TfrmOutputColours.h"

#include "export/qt/ColourTints.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tallix {

namespace {

constexpr const char* RowCaptions[ColourRoleCount] = {"Feedback 1:", "Feedback 2:", "Grade:",
                                                      "Comments:", "Errors:"};
constexpr const char* NamePanels[ColourRoleCount] = {"pnlColNameF1", "pnlColNameF2",
                                                     "pnlColNameGrade", "pnlColNameCom",
                                                     "pnlColNameErr"};
constexpr int SwatchSize = 22;

// The swatches of a row are named after its settings value: "pnlF1Col1".."pnlF1Col8".
QString rowPrefix(int row) {
    return QStringLiteral("pnl") + QString::fromLatin1(ColourRoleNames[std::size_t(row)]);
}

QFont panelFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(9);
    f.setBold(true);
    return f;
}

} // namespace

TfrmOutputColours::TfrmOutputColours(OutputColours& colours, SettingsStore& settings,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      colours_(colours), settings_(settings), chosen_(DefaultColourIndexes) {
    setObjectName(QStringLiteral("frmOutputColours"));
    setWindowTitle(QStringLiteral("Output Colours"));
    setHelpContext(this, HelpContext);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(8);
    for (int row = 0; row < ColourRoleCount; ++row) {
        auto* label = new QLabel(QString::fromLatin1(RowCaptions[row]), this);
        label->setObjectName(QStringLiteral("pnlLabel") +
                             QString::fromLatin1(NamePanels[row]).mid(10));
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setFont(panelFont());
        label->setIndent(4);
        label->setFixedSize(96, SwatchSize + 4);
        pnlLabels[std::size_t(row)] = label;
        grid->addWidget(label, row, 0);
        grid->addItem(new QSpacerItem(6, 1), row, 1);

        for (int n = 1; n <= PaletteSize; ++n) {
            auto* s = new QFrame(this);
            s->setObjectName(rowPrefix(row) + QString::number(n));
            s->setProperty("Tag", n);
            s->setFixedSize(SwatchSize + 4, SwatchSize + 4);
            s->setFrameShape(QFrame::Panel);
            s->setFrameShadow(QFrame::Raised);
            s->setLineWidth(3);
            s->setAutoFillBackground(true);
            QPalette p = s->palette();
            p.setColor(QPalette::Window, qtColour(ColourTable[std::size_t(n)]));
            s->setPalette(p);
            s->setCursor(Qt::PointingHandCursor);
            s->setToolTip(QString::fromUtf16(ColourNames[std::size_t(n)]));
            s->installEventFilter(this);
            grid->addWidget(s, row, 1 + n);
        }

        grid->addItem(new QSpacerItem(6, 1), row, 2 + PaletteSize);
        auto* name = new QLabel(this);
        name->setObjectName(QString::fromLatin1(NamePanels[row]));
        name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        name->setFont(panelFont());
        name->setAlignment(Qt::AlignCenter);
        name->setFixedSize(90, SwatchSize + 4);
        name->setAutoFillBackground(true);
        QPalette p = name->palette();
        p.setColor(QPalette::Window, Qt::white);
        name->setPalette(p);
        pnlColNames[std::size_t(row)] = name;
        grid->addWidget(name, row, 3 + PaletteSize);
    }

    auto button = [&](QPushButton*& b, const QString& caption, const char* objectName) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(objectName));
        b->setAutoDefault(false);
        b->setFixedWidth(84);
    };
    button(btnOK, QStringLiteral("&OK"), "btnOK");
    button(btnCancel, QStringLiteral("&Cancel"), "btnCancel");
    button(btnHelp, QStringLiteral("Help"), "btnHelp");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { showHelpContext(HelpContext); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(16);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QFrame* TfrmOutputColours::swatch(ColourRole r, int index) const {
    return findChild<QFrame*>(rowPrefix(int(r)) + QString::number(index),
                              Qt::FindDirectChildrenOnly);
}

void TfrmOutputColours::SwatchClick(QFrame* clicked) {
    if (!clicked)
        return;
    const QString name = clicked->objectName();
    for (int row = 0; row < ColourRoleCount; ++row) {
        const QString prefix = rowPrefix(row);
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 1)
            continue;
        const int tag = clicked->property("Tag").toInt();
        if (!isPaletteIndex(tag))
            return;
        for (int n = 1; n <= PaletteSize; ++n)
            if (QFrame* s = swatch(ColourRole(row), n))
                s->setFrameShadow(QFrame::Raised);
        clicked->setFrameShadow(QFrame::Sunken);
        QLabel* label = pnlColNames[std::size_t(row)];
        label->setText(QString::fromUtf16(ColourNames[std::size_t(tag)]));
        setFontColour(label, ColourTable[std::size_t(tag)]);
        chosen_[std::size_t(row)] = tag;
        return;
    }
}

bool TfrmOutputColours::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
        if (auto* s = qobject_cast<QFrame*>(watched); s && s->property("Tag").isValid()) {
            SwatchClick(s);
            return true;
        }
    return QDialog::eventFilter(watched, e);
}

void TfrmOutputColours::showEvent(QShowEvent* e) {
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

void TfrmOutputColours::FormShow() {
    // The stored indices, read as at start-up (anything outside 1..8 as the
    // role's default).
    const OutputColours stored = readOutputColours(StoredSettings(settings_));
    for (int row = 0; row < ColourRoleCount; ++row)
        SwatchClick(swatch(ColourRole(row), stored.index(ColourRole(row))));
    for (QLabel* l : pnlLabels)
        setFontColour(l, LabelColour);
}

void TfrmOutputColours::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpContext(HelpContext);
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmOutputColours::btnOKClick() {
    for (int row = 0; row < ColourRoleCount; ++row)
        colours_.setIndex(ColourRole(row), chosen_[std::size_t(row)]);
    emit coloursApplied();
    for (int row = 0; row < ColourRoleCount; ++row)
        settings_.writeInteger(QString::fromLatin1(ColoursSection),
                               QString::fromLatin1(ColourRoleNames[std::size_t(row)]),
                               colours_.index(ColourRole(row)));
    settings_.flush();
    accept();
}

} // namespace tallix

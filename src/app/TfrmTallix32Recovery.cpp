// The marking window's crash recovery: while the document has unsaved changes it
// is written to this program's recovery file once a minute and after every
// annotation or comment command; a save, a new document or a normal close removes
// the file. At the first showing, work left behind by a program that crashed is
// offered back.
#include "app/TfrmTallix32.h"

#include "document/Recovery.h"
#include "platform/TextCodec.h"
#include "platform/qt/MessageBoxes.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTimer>

namespace tallix {

void TfrmTallix32::createRecovery() {
    recoveryFile_ = recovery::ownFile();
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setObjectName(QStringLiteral("tmrRecovery"));
    recoveryTimer_->setInterval(RecoveryInterval);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] { keepRecoveryInStep(); });
    recoveryTimer_->start();
}

void TfrmTallix32::keepRecoveryInStep() {
    if (recoveryFile_.empty())
        return;
    if (!doc_.documentChanged) {
        if (recoveryWritten_) {
            recovery::discard(recoveryFile_);
            recoveryWritten_ = false;
        }
        return;
    }
    // The memo's text is part of the work; commit it as a save would.
    if (mmoNotes->hasFocus())
        doc_.commitNotes();
    if (recovery::write(doc_, recoveryFile_).ok)
        recoveryWritten_ = true;
    // A recovery file that cannot be written is no reason to interrupt the
    // teacher; the next attempt comes with the next command or minute.
}

void TfrmTallix32::discardRecovery() {
    if (!recoveryFile_.empty())
        recovery::discard(recoveryFile_);
    recoveryWritten_ = false;
}

bool TfrmTallix32::offerRecovery() {
    bool restored = false;
    for (const recovery::Found& f : recovery::leftBehind()) {
        const QString what =
            f.origin.empty()
                ? QStringLiteral("an untitled essay")
                : QStringLiteral("'%1'").arg(QFileInfo(QString::fromStdString(f.origin)).fileName());
        const QString text =
            QStringLiteral("Tallix32 ended without saving your work on %1.\r\r"
                           "Restore it now, discard it, or keep it to decide later?")
                .arg(what);
        const Button answer = askWithCaptions(
            this, text, MessageType::Confirmation,
            {QStringLiteral("&Restore"), QStringLiteral("&Discard"), QStringLiteral("&Later")},
            recovery::HelpContext);
        if (answer == Button::No) {
            recovery::discard(f.path);
            continue;
        }
        if (answer != Button::Yes || restored)
            continue; // kept for the next start
        if (doc_.documentChanged) // only at the first showing; never over other work
            continue;
        const recovery::Restored r = recovery::restore(doc_, f.path);
        if (!r.ok) {
            // Kept aside rather than offered at every start, never deleted; an
            // earlier damaged copy is never replaced.
            std::string keptAs;
            const bool keptAside = fileio::setAside(f.path, keptAs).ok;
            const QString where =
                keptAside ? QStringLiteral("The recovery file has been kept as %1.")
                                .arg(QString::fromStdString(keptAs))
                          : QStringLiteral("The recovery file %1 could not be renamed and has "
                                           "been left as it is.")
                                .arg(QString::fromStdString(f.path));
            tallix::showMessage(this,
                                QStringLiteral("The work could not be restored: %1\r%2")
                                    .arg(QString::fromStdU16String(r.error), where),
                                MessageType::Warning, buttons::OkHelp, recovery::HelpContext);
            continue;
        }
        recovery::discard(f.path);
        restored = true;
        refreshFromDocument();
        // Written again at once under this program's name, so a second crash
        // loses nothing either.
        keepRecoveryInStep();
    }
    return restored;
}

} // namespace tallix

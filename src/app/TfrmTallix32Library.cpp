// The marking window's side of the useful links and the useful text: making the
// two windows at start-up and showing them.
#include "app/TfrmTallix32.h"

#include "library/TfrmDatabase.h"
#include "library/TfrmUsefulText.h"

#include <QPlainTextEdit>

namespace tallix {

void TfrmTallix32::createLibraryWindows() {
    if (!frmDatabase)
        frmDatabase = new TfrmDatabase(this, mmoNotes);
    if (!frmUsefulText)
        frmUsefulText = new TfrmUsefulText(this, mmoNotes);
}

TfrmDatabase& TfrmTallix32::database() {
    if (!frmDatabase)
        frmDatabase = new TfrmDatabase(this, mmoNotes);
    return *frmDatabase;
}

TfrmUsefulText& TfrmTallix32::usefulText() {
    if (!frmUsefulText)
        frmUsefulText = new TfrmUsefulText(this, mmoNotes);
    return *frmUsefulText;
}

const library::LinkList& TfrmTallix32::usefulLinks() { return database().linkList(); }

void TfrmTallix32::mnuUsefulLinksClick() { database().exec(); }

void TfrmTallix32::mnuUsefulTextClick() { usefulText().exec(); }

} // namespace tallix

// The marking window's side of the annotation button editor.
#include "app/TfrmTallix32.h"

#include "annotations/TfrmAnnButtons.h"

namespace tallix {

void TfrmTallix32::mnuButtonsClick() {
    if (!frmAnnButtons)
        frmAnnButtons = new TfrmAnnButtons(*this, settings_, this);
    frmAnnButtons->exec();
}

void TfrmTallix32::AcceptButtons(const AnnotationSet& set) {
    // One notification for the whole set; the buttons, their hints and the status
    // bar are shown again even when the content was already the same, since the
    // button file may have changed meanwhile.
    buttons_.replaceAll(set);
    showButtonSet();
}

} // namespace tallix

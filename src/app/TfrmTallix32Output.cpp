// The marking window's part in the output titles and colours: reading them at
// start-up, the two windows that change them, and the controls tinted in the
// colour roles.
#include "app/TfrmTallix32.h"

#include "export/TfrmConfig.h"
#include "export/TfrmOutputColours.h"
#include "export/qt/ColourTints.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace tallix {

void TfrmTallix32::FormCreateOutput() {
    output_ = readOutputSettings(StoredSettings(settings_));
    ShowConfigFile();
    ApplyOutputColours();

    frmConfig = new TfrmConfig(output_, settings_, this);
    connect(frmConfig, &TfrmConfig::titlesApplied, this, [this] { ShowConfigFile(); });
    frmOutputColours = new TfrmOutputColours(output_.colours, settings_, this);
    connect(frmOutputColours, &TfrmOutputColours::coloursApplied, this,
            [this] { ApplyOutputColours(); });
}

void TfrmTallix32::ShowConfigFile() {
    statusPanels[2]->setText(QString::fromStdU16String(configStatusText(output_.configFile)));
}

void TfrmTallix32::ApplyOutputColours() {
    for (const ColourTint& t : MainWindowTints)
        setFontColour(findChild<QWidget*>(QString::fromLatin1(t.control)),
                      output_.colours.colour(t.role));
    tintNotesArea();
}

void TfrmTallix32::tintNotesArea() {
    const Colour c = output_.colours.colour(notesColourRole(doc_.notes));
    setFontColour(pnlNotes, c);
    setFontColour(mmoNotes, c);
}

void TfrmTallix32::mnuOutputTitlesClick() { frmConfig->exec(); }

void TfrmTallix32::mnuOutputColoursClick() { frmOutputColours->exec(); }

} // namespace tallix

// The marking window's part in keeping damaged files: a settings file that could
// not be read was kept aside by the store, and the teacher is told so once, when
// the window first shows.
#include "app/TfrmTallix32.h"

#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"

namespace tallix {

void TfrmTallix32::showSettingsDamage() {
    for (const Message& m : SettingsStore::takeDamageReports())
        tallix::showMessage(this, m, m.helpContext != 0 ? buttons::OkHelp : buttons::Ok);
}

} // namespace tallix

#include "export/TfrmHandBackOptions.h"

#include "export/HandBack.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCheckBox>

namespace tallix {

TfrmHandBackOptions::TfrmHandBackOptions(SettingsStore& settings, const QString& title,
                                         const char* section, int helpContext, QWidget* parent)
    : ExportOptionsDialog(settings, title, helpContext, parent), section_(section) {
    setObjectName(QStringLiteral("frm") + QString::fromLatin1(section));
    chkIncludeErrorStats =
        addCheckBox(QStringLiteral("Include &error statistics"), "chkIncludeErrorStats");
    FormCreate();
}

void TfrmHandBackOptions::FormCreate() {
    chkIncludeErrorStats->setChecked(
        exports::readIncludeErrorStats(StoredSettings(settings_), section_));
}

bool TfrmHandBackOptions::includeErrorStats() const { return chkIncludeErrorStats->isChecked(); }

void TfrmHandBackOptions::FormClose() {
    settings_.writeString(QString::fromLatin1(section_), QStringLiteral("IncludeErrorStats"),
                          includeErrorStats() ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace tallix

#include "export/TfrmRTFOptions.h"

#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCheckBox>

namespace tallix {

TfrmRTFOptions::TfrmRTFOptions(SettingsStore& settings, QWidget* parent)
    : ExportOptionsDialog(settings, QStringLiteral("Options for Rich Text Document"),
                          exports::RtfHelpContext, parent) {
    setObjectName(QStringLiteral("frmRTFOptions"));
    chkIncludeErrorStats =
        addCheckBox(QStringLiteral("Include &error statistics"), "chkIncludeErrorStats");
    FormCreate();
}

void TfrmRTFOptions::FormCreate() {
    chkIncludeErrorStats->setChecked(
        exports::readRtfOptions(StoredSettings(settings_)).includeErrorStats);
}

exports::RtfOptions TfrmRTFOptions::options() const { return {chkIncludeErrorStats->isChecked()}; }

void TfrmRTFOptions::FormClose() {
    for (const auto& [name, value] : exports::rtfOptionValues(options()))
        settings_.writeString(QString::fromLatin1(exports::RtfOptionsSection),
                              QString::fromStdString(name), QString::fromStdString(value));
}

} // namespace tallix

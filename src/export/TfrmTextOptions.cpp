#include "export/TfrmTextOptions.h"

#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QCheckBox>

namespace tallix {

TfrmTextOptions::TfrmTextOptions(SettingsStore& settings, QWidget* parent)
    : ExportOptionsDialog(settings, QStringLiteral("Options for Text Document"),
                          exports::TextHelpContext, parent) {
    setObjectName(QStringLiteral("frmTextOptions"));
    chkIncludeErrorStats =
        addCheckBox(QStringLiteral("Include &error statistics"), "chkIncludeErrorStats");
    chkConvertForMac =
        addCheckBox(QStringLiteral("Convert &accented characters for Mac"), "chkConvertForMac");
    FormCreate();
}

void TfrmTextOptions::FormCreate() {
    const exports::TextOptions o = exports::readTextOptions(StoredSettings(settings_));
    chkIncludeErrorStats->setChecked(o.includeErrorStats);
    chkConvertForMac->setChecked(o.convertForMac);
}

exports::TextOptions TfrmTextOptions::options() const {
    return {chkIncludeErrorStats->isChecked(), chkConvertForMac->isChecked()};
}

void TfrmTextOptions::FormClose() {
    for (const auto& [name, value] : exports::textOptionValues(options()))
        settings_.writeString(QString::fromLatin1(exports::TextOptionsSection),
                              QString::fromStdString(name), QString::fromStdString(value));
}

} // namespace tallix

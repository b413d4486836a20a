#pragma once
// The options window of the plain-text export, created once; its check boxes keep their
// state between exports and are written to the settings store on every closing.
#include "export/TextExport.h"
#include "export/qt/ExportOptionsDialog.h"

namespace tallix {

class TfrmTextOptions : public ExportOptionsDialog {
    Q_OBJECT
public:
    explicit TfrmTextOptions(SettingsStore& settings, QWidget* parent = nullptr);

    // The options the check boxes hold.
    exports::TextOptions options() const;

    QCheckBox* chkIncludeErrorStats = nullptr;
    QCheckBox* chkConvertForMac = nullptr;

protected:
    void FormClose() override;

private:
    void FormCreate();
};

} // namespace tallix

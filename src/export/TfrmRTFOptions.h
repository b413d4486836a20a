#pragma once
// The options window of the RTF export, created once; its check boxes keep their
// state between exports and are written to the settings store on every closing.
#include "export/RtfExport.h"
#include "export/qt/ExportOptionsDialog.h"

namespace tallix {

class TfrmRTFOptions : public ExportOptionsDialog {
    Q_OBJECT
public:
    explicit TfrmRTFOptions(SettingsStore& settings, QWidget* parent = nullptr);

    // The options the check boxes hold.
    exports::RtfOptions options() const;

    QCheckBox* chkIncludeErrorStats = nullptr;

protected:
    void FormClose() override;

private:
    void FormCreate();
};

} // namespace tallix

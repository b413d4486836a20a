#pragma once
// The options windows of the PDF and Word exports ("Options for PDF Document",
// "Options for Word Document"), one of each created once: whether the error
// statistics are included, kept in the export's own settings section and
// written on every closing, as the RTF export's window does.
#include "export/qt/ExportOptionsDialog.h"

namespace tallix {

class TfrmHandBackOptions : public ExportOptionsDialog {
    Q_OBJECT
public:
    // section: "PDFOptions" or "WordOptions".
    TfrmHandBackOptions(SettingsStore& settings, const QString& title, const char* section,
                        int helpContext, QWidget* parent = nullptr);

    bool includeErrorStats() const;

    QCheckBox* chkIncludeErrorStats = nullptr;

protected:
    void FormClose() override;

private:
    void FormCreate();
    const char* section_;
};

} // namespace tallix

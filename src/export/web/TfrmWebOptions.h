#pragma once
// The options window of the web export: the quick or the complex method, how many
// paragraphs form the title, whether the error statistics go on the page, and
// (complex only) the Mac character conversion and splitting into pages.
//
// Created once; its controls keep their state between exports, and every closing
// writes the options to the settings store, also after Cancel.
#include "export/web/WebExport.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tallix {

class SettingsStore;

class TfrmWebOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWebOptions(SettingsStore& settings, QWidget* parent = nullptr);

    // What the last showing ended with: 0 cancelled, else 2, 10, 18 or 26.
    int WebOptionsResult = web::ResultCancelled;

    // The options the controls hold.
    web::WebOptions options() const;

    void rbQuickClick();
    void rbComplexClick();
    void chkBreakClick();
    void btnOKClick();
    void btnCancelClick();

    QRadioButton *rbQuick = nullptr, *rbComplex = nullptr;
    QGroupBox* gbComplex = nullptr;
    QLabel *lblTitleParas = nullptr, *lblLinks = nullptr;
    QSpinBox *spinTitleParas = nullptr, *spinLinks = nullptr;
    QCheckBox *chkIncludeErrorStats = nullptr, *chkWebble = nullptr, *chkBreak = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Every closing (OK, Cancel, Esc, the close box) ends here.
    void done(int r) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();

    SettingsStore& settings_;
};

} // namespace tallix

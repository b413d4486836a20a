#pragma once
// What the options windows of the text and RTF exports share: a fixed-size window
// centred on the screen, a column of check boxes over OK, Cancel and Help, F1 for
// its help topic, and the options written to the settings store on every closing,
// by OK, Cancel, Esc or the close box alike.
#include <QDialog>

class QCheckBox;
class QPushButton;
class QVBoxLayout;

namespace tallix {

class SettingsStore;

class ExportOptionsDialog : public QDialog {
    Q_OBJECT
public:
    ExportOptionsDialog(SettingsStore& settings, const QString& title, int helpContext,
                        QWidget* parent);

    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

protected:
    // A check box in the column, with its name.
    QCheckBox* addCheckBox(const QString& caption, const char* name);
    // Writes the check boxes to the store.
    virtual void FormClose() = 0;

    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void done(int r) override;

    SettingsStore& settings_;

private:
    int helpContext_;
    QVBoxLayout* boxes_ = nullptr;
};

} // namespace tallix

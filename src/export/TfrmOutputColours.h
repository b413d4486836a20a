#pragma once
// The output colours window: for each of the five colour roles a row of eight
// palette swatches, the one chosen shown lowered and its name beside the row in
// its colour.
#include "export/OutputColours.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace tallix {

class SettingsStore;

class TfrmOutputColours : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 21000;

    // colours is what the marking window holds: OK sets it and stores the indices
    // in settings.
    TfrmOutputColours(OutputColours& colours, SettingsStore& settings,
                      QWidget* parent = nullptr);

    // The index chosen in a row while the window is shown.
    int chosenIndex(ColourRole r) const { return chosen_[std::size_t(r)]; }
    // A click on a swatch: lowers it, raises the others of its row and names its
    // colour.
    void SwatchClick(QFrame* swatch);
    void btnOKClick();

    // The swatch of a row ("pnlF1Col" + index), 1 to 8.
    QFrame* swatch(ColourRole r, int index) const;

    std::array<QLabel*, ColourRoleCount> pnlLabels{};
    // pnlColNameF1, pnlColNameF2, pnlColNameGrade, pnlColNameCom, pnlColNameErr.
    std::array<QLabel*, ColourRoleCount> pnlColNames{};
    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

signals:
    // OK has put the chosen colours into the marking window's roles.
    void coloursApplied();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormShow();

    OutputColours& colours_;
    SettingsStore& settings_;
    std::array<int, ColourRoleCount> chosen_;
};

} // namespace tallix

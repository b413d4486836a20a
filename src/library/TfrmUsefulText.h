#pragma once
// "Database of commonly-used text": titled snippets of any length, and "&Use",
// which puts the current snippet's stored text into the comment or feedback being
// written.
#include "library/TextList.h"
#include "library/qt/LibraryWindow.h"

class QPlainTextEdit;

namespace tallix {

class TfrmUsefulText : public LibraryWindow {
    Q_OBJECT
public:
    // Reads "reftext.mdb" from the program folder (once, for the whole run).
    TfrmUsefulText(QWidget* mainWindow, QPlainTextEdit* notes);

    const library::TextList& textList() const { return snippets_; }
    bool TextChanged() const { return changed(); }

    QLabel* lblText = nullptr;
    QPlainTextEdit* mmoText = nullptr;

protected:
    void showFields(int entry) override;
    void clearFields() override;
    void storeFields(int entry) override;
    int addNewEntry() override;
    std::u16string useText(int entry) const override;

private:
    library::TextList snippets_;
};

} // namespace tallix

#include "document/DocumentCommands.h"

namespace tallix {

bool DocumentCommands::saveChanges() {
    if (!doc_.documentChanged)
        return true;
    switch (prompts_.askSaveChanges()) {
    case Answer::Yes:
        return save();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

bool DocumentCommands::save() {
    if (doc_.currentFile.empty())
        return saveAs();
    return saveTo(doc_.currentFile);
}

bool DocumentCommands::saveAs() {
    std::optional<std::string> path = prompts_.askSavePath(doc_.currentFile);
    if (!path || path->empty())
        return false;
    return saveTo(*path);
}

bool DocumentCommands::saveTo(const std::string& path) {
    // The later save would silently win over the other program's work.
    if (doc_.changedOnDisk(path) && !prompts_.askOverwriteChanged(path))
        return false;
    FileOutcome r = doc_.saveTlx(path);
    if (!r.ok)
        prompts_.showMessage(r.message);
    return r.ok;
}

bool DocumentCommands::newDocument() {
    if (!saveChanges())
        return false;
    doc_.clear();
    return true;
}

bool DocumentCommands::open(const std::string& path) {
    if (!newDocument())
        return false;
    FileOutcome r = doc_.loadTlxFile(path);
    if (!r.ok)
        prompts_.showMessage(r.message);
    return r.ok;
}

bool DocumentCommands::openRecent(int n) {
    if (n < 1 || n > RecentFiles::Count || doc_.recentFiles.entry(n).empty())
        return false;
    return open(doc_.recentFiles.entry(n));
}

bool DocumentCommands::importEssay(const std::string& path, ImportKind kind) {
    // The file is read first: a refused Word or OpenDocument file leaves the open
    // document as it was, without a question.
    EssayFile f = doc_.readEssayFile(path, kind);
    if (!f.outcome.ok && f.keepsDocument) {
        prompts_.showMessage(f.outcome.message);
        return false;
    }
    if (!newDocument())
        return false;
    if (!f.outcome.ok) {
        prompts_.showMessage(f.outcome.message);
        return false;
    }
    doc_.installEssay(std::move(f.content));
    return true;
}

} // namespace tallix

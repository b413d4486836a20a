#include "export/OutputColours.h"

#include "document/MarkedDocument.h"
#include "platform/SettingsSource.h"

namespace tallix {

OutputColours readOutputColours(const SettingsSource& settings) {
    OutputColours colours;
    for (int i = 0; i < ColourRoleCount; ++i) {
        const auto r = std::size_t(i);
        colours.setIndex(ColourRole(i), settings.readInteger(ColoursSection, ColourRoleNames[r],
                                                             DefaultColourIndexes[r]));
    }
    return colours;
}

ColourRole notesColourRole(const NotesArea& notes) {
    if (notes.commentDown)
        return ColourRole::Comment;
    if (notes.feedback1Down)
        return ColourRole::F1;
    if (notes.feedback2Down)
        return ColourRole::F2;
    switch (notes.caption) {
    case NotesCaption::Comments: return ColourRole::Comment;
    case NotesCaption::Feedback2: return ColourRole::F2;
    default: return ColourRole::F1;
    }
}

} // namespace tallix

#pragma once
// Keys for the 32 annotation buttons, and the type-to-find list of the buttons.
//
// A button's key does what a click on the button does. The keys belong to a
// button file but are not part of it (its format stays as it is): the settings
// store keeps them in a section of their own for each button file path, one value
// per entry ("1" to "32", the key in Qt's portable text, "Alt+1", "Ctrl+F5"); a
// value that is missing takes the default key, an empty one means no key.
//
// The default keys clash with none of the marking window's menu shortcuts and
// mnemonics: error buttons 1 to 10 Alt+1 to Alt+9 and Alt+0, 11 to 20 Ctrl+1 to
// Ctrl+9 and Ctrl+0, 21 to 28 F5 to F9, F11, F12 and F2; the praise buttons
// Shift+F5 to Shift+F8.
#include "annotations/AnnotationSet.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

class ButtonKeys {
public:
    // No keys at all.
    ButtonKeys() = default;
    static ButtonKeys defaults();
    static std::string defaultKey(int n);

    // Entry n's key (1 to 32); empty when it has none.
    const std::string& key(int n) const;
    void setKey(int n, std::string key);
    // The entry whose key is key (compared without regard to case), or 0.
    int entryWithKey(std::string_view key) const;

    bool operator==(const ButtonKeys&) const = default;

    // The settings section that holds the keys of a button file, and the name of
    // entry n's value in it.
    static std::string settingsSection(std::string_view buttonFilePath);
    static std::string settingsName(int n);

private:
    std::array<std::string, AnnotationEntryCount> keys_{};
};

// A key already in use elsewhere: a menu command's shortcut or mnemonic ("Alt+F"
// opens the File menu), named as the teacher sees it.
struct ReservedKey {
    std::string key;
    std::u16string command; // the command, or the menu a mnemonic opens
    bool opensMenu = false;
};

// Why key cannot be entry n's key, or an empty text when it can. A key is refused
// when a menu command or another button has it, and when it would type or move
// in the essay (a letter without Ctrl or Alt, Ctrl with Alt, which types on many
// keyboards, or an editing key). set names the buttons in the message.
std::u16string keyClash(const ButtonKeys& keys, int n, std::string_view key,
                        const std::vector<ReservedKey>& reserved, const AnnotationSet& set);

// The type-to-find list: what the teacher typed, matched without regard to case
// anywhere in a button's caption, short text or long text. Buttons with an empty
// short text are never offered. Buttons whose caption or short text starts with
// the typed text come first, then the others, each group in entry order. "Add
// Comment" (AddCommentChoice) is offered last when its name matches. An empty text
// offers every button and Add Comment.
inline constexpr int AddCommentChoice = 0;
inline constexpr char16_t AddCommentName[] = u"Add Comment";
std::vector<int> findButtons(const AnnotationSet& set, std::u16string_view typed);

} // namespace tallix

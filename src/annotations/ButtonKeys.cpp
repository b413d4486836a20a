#include "annotations/ButtonKeys.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstdint>

namespace tallix {

namespace {

std::u16string folded(std::u16string_view s) {
    std::u16string f(s);
    for (char16_t& c : f)
        c = foldCase(c);
    return f;
}

std::string lowerAscii(std::string_view s) {
    std::string l(s);
    for (char& c : l)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return l;
}

// A key's text taken apart: its modifiers and the key itself ("Ctrl+Shift+F5").
struct KeyParts {
    bool ctrl = false, alt = false, shift = false, meta = false;
    std::string key; // lower case
};

KeyParts parseKey(std::string_view text) {
    KeyParts p;
    std::string rest(text);
    for (;;) {
        const auto plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 >= rest.size())
            break; // the last part is the key ("Ctrl++" is Ctrl and "+")
        const std::string mod = lowerAscii(rest.substr(0, plus));
        if (mod == "ctrl")
            p.ctrl = true;
        else if (mod == "alt")
            p.alt = true;
        else if (mod == "shift")
            p.shift = true;
        else if (mod == "meta")
            p.meta = true;
        else
            break;
        rest.erase(0, plus + 1);
    }
    p.key = lowerAscii(rest);
    return p;
}

bool isFunctionKey(const std::string& k) {
    if (k.size() < 2 || k[0] != 'f')
        return false;
    for (std::size_t i = 1; i < k.size(); ++i)
        if (k[i] < '0' || k[i] > '9')
            return false;
    const int n = std::stoi(k.substr(1));
    return n >= 1 && n <= 35;
}

bool isEditingKey(const std::string& k) {
    static const char* const keys[] = {"left",   "right", "up",     "down",  "home", "end",
                                       "pgup",   "pgdown", "backspace", "del", "ins",
                                       "return", "enter", "space",  "esc",   "tab", "backtab"};
    return std::any_of(std::begin(keys), std::end(keys), [&](const char* e) { return k == e; });
}

std::u16string buttonName(const AnnotationSet& set, int n) {
    const std::u16string& caption = set.caption(n);
    std::u16string name = u"button " + text::fromUtf8(std::to_string(n));
    if (!caption.empty())
        name = u"\"" + caption + u"\" (" + name + u")";
    return name;
}

std::uint64_t fnv1a(std::string_view s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

std::string ButtonKeys::defaultKey(int n) {
    static const char* const late[] = {"F5", "F6", "F7", "F8", "F9", "F11", "F12", "F2"};
    if (n >= 1 && n <= 10)
        return "Alt+" + std::to_string(n % 10);
    if (n >= 11 && n <= 20)
        return "Ctrl+" + std::to_string(n % 10);
    if (n >= 21 && n <= 28)
        return late[n - 21];
    if (n >= 29 && n <= 32)
        return "Shift+F" + std::to_string(n - 24);
    return {};
}

ButtonKeys ButtonKeys::defaults() {
    ButtonKeys k;
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        k.setKey(n, defaultKey(n));
    return k;
}

const std::string& ButtonKeys::key(int n) const {
    static const std::string none;
    return isAnnotationEntry(n) ? keys_[std::size_t(n - 1)] : none;
}

void ButtonKeys::setKey(int n, std::string key) {
    if (isAnnotationEntry(n))
        keys_[std::size_t(n - 1)] = std::move(key);
}

int ButtonKeys::entryWithKey(std::string_view key) const {
    if (key.empty())
        return 0;
    const std::string wanted = lowerAscii(key);
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        if (lowerAscii(keys_[std::size_t(n - 1)]) == wanted)
            return n;
    return 0;
}

std::string ButtonKeys::settingsSection(std::string_view buttonFilePath) {
    // The path itself cannot name a section (its separators would be read as
    // subsections), so a hash of it does; the section also holds the path.
    static const char hex[] = "0123456789abcdef";
    const std::uint64_t h = fnv1a(buttonFilePath);
    std::string s = "ButtonKeys ";
    for (int i = 15; i >= 0; --i)
        s.push_back(hex[(h >> (4 * i)) & 0xF]);
    return s;
}

std::string ButtonKeys::settingsName(int n) { return std::to_string(n); }

std::u16string keyClash(const ButtonKeys& keys, int n, std::string_view key,
                        const std::vector<ReservedKey>& reserved, const AnnotationSet& set) {
    if (key.empty())
        return {};
    const std::u16string shown = text::fromUtf8(std::string(key));
    const KeyParts p = parseKey(key);
    const bool function = isFunctionKey(p.key);
    const std::string wanted = lowerAscii(key);
    for (const ReservedKey& r : reserved)
        if (lowerAscii(r.key) == wanted)
            return r.opensMenu ? u"The key " + shown + u" opens the \"" + r.command +
                                     u"\" menu. Please choose another key for this button."
                               : u"The key " + shown +
                                     u" is already the shortcut of the menu command \"" +
                                     r.command + u"\". Please choose another key for this button.";
    if (!function) {
        if (!p.ctrl && !p.alt && !p.meta)
            return u"The key " + shown +
                   u" types or moves in the essay. Please choose a key with Ctrl or Alt, or a "
                   u"function key (F2 to F12).";
        if (p.ctrl && p.alt)
            return u"The key " + shown +
                   u" types a character on many keyboards (it is AltGr). Please choose a key "
                   u"with Ctrl or with Alt, not both.";
        if (isEditingKey(p.key))
            return u"The key " + shown +
                   u" moves or edits in the essay. Please choose another key for this button.";
    }
    const int other = keys.entryWithKey(key);
    if (other != 0 && other != n)
        return u"The key " + shown + u" is already the key of the button " +
               buttonName(set, other) +
               u". Please clear that button's key first, or choose another key.";
    return {};
}

std::vector<int> findButtons(const AnnotationSet& set, std::u16string_view typed) {
    const std::u16string want = folded(typed);
    std::vector<int> first, others;
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        const AnnotationEntry& e = set.entry(n);
        if (e.shortText.empty())
            continue;
        const std::u16string caption = folded(e.caption), shortText = folded(e.shortText),
                             longText = folded(e.longText);
        if (caption.starts_with(want) || shortText.starts_with(want))
            first.push_back(n);
        else if (caption.find(want) != std::u16string::npos ||
                 shortText.find(want) != std::u16string::npos ||
                 longText.find(want) != std::u16string::npos)
            others.push_back(n);
    }
    first.insert(first.end(), others.begin(), others.end());
    if (folded(AddCommentName).find(want) != std::u16string::npos)
        first.push_back(AddCommentChoice);
    return first;
}

} // namespace tallix

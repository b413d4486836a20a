// Keys of the annotation buttons: the defaults, the clash rules the button editor
// applies, and the type-to-find list of the buttons.
#include "annotations/ButtonKeys.h"

#include <gtest/gtest.h>

#include <set>

using namespace tallix;

namespace {

const std::vector<ReservedKey> Menus = {
    {"Ctrl+S", u"Save"}, {"F3", u"Find Again"}, {"Alt+F", u"File", true}, {"Ctrl+PgDown", u"Next Essay"}};

TEST(ButtonKeysTest, DefaultsAreDistinctAndNeedNoShiftedDigits) {
    const ButtonKeys k = ButtonKeys::defaults();
    std::set<std::string> seen;
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        ASSERT_FALSE(k.key(n).empty()) << n;
        EXPECT_TRUE(seen.insert(k.key(n)).second) << k.key(n);
        EXPECT_EQ(keyClash(k, n, k.key(n), Menus, AnnotationSet::builtInDefaults()), u"") << n;
    }
    EXPECT_EQ(k.key(1), "Alt+1");
    EXPECT_EQ(k.key(10), "Alt+0");
    EXPECT_EQ(k.key(19), "Ctrl+9");
    EXPECT_EQ(k.key(29), "Shift+F5");
    EXPECT_EQ(k.entryWithKey("ctrl+9"), 19);
    EXPECT_EQ(k.entryWithKey(""), 0);
    EXPECT_EQ(ButtonKeys().key(5), "");
    EXPECT_EQ(k.key(0), "");
}

TEST(ButtonKeysTest, KeysTakenOrUsedForTypingAreRefusedWithTheirReason) {
    const AnnotationSet set = AnnotationSet::builtInDefaults();
    const ButtonKeys k = ButtonKeys::defaults();
    EXPECT_EQ(keyClash(k, 3, "Ctrl+S", Menus, set),
              u"The key Ctrl+S is already the shortcut of the menu command \"Save\". Please "
              u"choose another key for this button.");
    EXPECT_EQ(keyClash(k, 3, "Alt+F", Menus, set),
              u"The key Alt+F opens the \"File\" menu. Please choose another key for this button.");
    EXPECT_EQ(keyClash(k, 3, "Alt+2", Menus, set),
              u"The key Alt+2 is already the key of the button \"Art\" (button 2). Please clear "
              u"that button's key first, or choose another key.");
    ButtonKeys captionless = k;
    EXPECT_NE(keyClash(captionless, 3, "F12", Menus, set).find(u"button 27"), std::u16string::npos);
    // Its own key, and no key at all, are always fine.
    EXPECT_EQ(keyClash(k, 2, "Alt+2", Menus, set), u"");
    EXPECT_EQ(keyClash(k, 2, "", Menus, set), u"");
    // Keys that type or move in the essay.
    EXPECT_NE(keyClash(k, 3, "A", Menus, set).find(u"types or moves"), std::u16string::npos);
    EXPECT_NE(keyClash(k, 3, "Shift+Q", Menus, set).find(u"types or moves"), std::u16string::npos);
    EXPECT_NE(keyClash(k, 3, "Ctrl+Alt+Q", Menus, set).find(u"AltGr"), std::u16string::npos);
    EXPECT_NE(keyClash(k, 3, "Ctrl+Left", Menus, set).find(u"moves or edits"), std::u16string::npos);
    EXPECT_NE(keyClash(k, 3, "Ctrl+Return", Menus, set).find(u"moves or edits"), std::u16string::npos);
    // Free keys: a letter with Ctrl or Alt, a function key with any modifier.
    EXPECT_EQ(keyClash(k, 3, "Ctrl+J", Menus, set), u"");
    EXPECT_EQ(keyClash(k, 3, "Alt+Shift+C", Menus, set), u"");
    EXPECT_EQ(keyClash(k, 3, "Ctrl+Shift+F9", Menus, set), u"");
    EXPECT_EQ(keyClash(k, 3, "Ctrl++", Menus, set), u"");
}

std::vector<std::u16string> captions(const AnnotationSet& set, std::u16string_view typed) {
    std::vector<std::u16string> c;
    for (int n : findButtons(set, typed))
        c.push_back(n == AddCommentChoice ? std::u16string(AddCommentName) : set.caption(n));
    return c;
}

TEST(ButtonFinderTest, TypingFiltersByCaptionShortAndLongText) {
    const AnnotationSet set = AnnotationSet::builtInDefaults();
    // Captions and labels that start with the text first, then the others.
    EXPECT_EQ(captions(set, u"sp"), (std::vector<std::u16string>{u"Spa", u"Sp"}));
    EXPECT_EQ(captions(set, u"verb"), (std::vector<std::u16string>{u"Agr", u"VFo", u"VTe"}));
    EXPECT_EQ(captions(set, u"SPELL"), (std::vector<std::u16string>{u"Sp"}));
    EXPECT_EQ(captions(set, u"comm"), (std::vector<std::u16string>{AddCommentName}));
    EXPECT_TRUE(captions(set, u"zzz").empty());
    // Everything with a label, and Add Comment, for nothing typed; empty entries never.
    const std::vector<int> all = findButtons(set, u"");
    EXPECT_EQ(all.size(), 29u);
    EXPECT_EQ(all.back(), AddCommentChoice);
    EXPECT_EQ(std::count(all.begin(), all.end(), 27), 0);
}

} // namespace

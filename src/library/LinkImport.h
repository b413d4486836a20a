#pragma once
// Links taken from a browser: the bookmark file that browsers export (the
// bookmark HTML format, usually "bookmarks.html") and a folder of Internet
// shortcut (".url") files such as the Windows Favorites folder.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::library {

struct ImportedLink {
    std::u16string title;
    std::u16string url;
};

// Called once per link found, so a window can show that work goes on.
using ImportProgress = std::function<void()>;

inline constexpr char16_t BookmarksQuestion[] =
    u"Tallix32 will try to find your Netscape bookmarks and load them into the program.";
inline constexpr char16_t FavouritesQuestion[] =
    u"Tallix32 will try to find your Internet Explorer Favorites and load them into the program.";
inline constexpr char16_t LookingForBookmarks[] = u"Looking for bookmarks.";
inline constexpr char16_t LookingForFavourites[] = u"Looking for favorites.";
inline constexpr char16_t NoBookmarkFileMessage[] = u"Sorry! Unable to find the bookmark file.";
inline constexpr char16_t NoFavouritesFolderMessage[] = u"Unable to find your Favorites folder.";

// Replaces the HTML character references of text (named ones such as "&amp;",
// decimal "&#38;" and hexadecimal "&#x26;") by their characters; anything that is
// no reference we know stays as written.
std::u16string decodeHtmlEntities(std::u16string_view text);

// The links of a bookmark file's text, in file order: every <A> element with an
// HREF that stands as an item (<DT>) of a bookmark list, the URL from its HREF and
// the title from its text, both with their character references decoded. Empty
// when the text is no bookmark file. Folders are flattened; separators and folder
// headings are no links.
std::vector<ImportedLink> parseBookmarkFile(std::u16string_view html,
                                            const ImportProgress& progress = {});

// Reads the bookmark file at path (UTF-8 or Windows-1252, as the content says).
// nullopt when it cannot be read.
std::optional<std::vector<ImportedLink>> readBookmarkFile(const std::string& path,
                                                          const ImportProgress& progress = {});

// The Favorites folder where the platform keeps it: the user's "Favorites"
// folder under %USERPROFILE% on Windows, "Favorites" in the home folder elsewhere.
// nullopt when there is no such folder.
std::optional<std::string> favouritesFolder();

// The shortcut files directly in folder (not in its subfolders) whose names end
// in ".url" (in any letter case), in alphabetical order: the title is the file
// name without its last four characters, the URL the value "URL" of section
// "InternetShortcut", "Unknown" when it has none. nullopt when the folder cannot
// be listed.
std::optional<std::vector<ImportedLink>> readFavouritesFolder(const std::string& folder,
                                                              const ImportProgress& progress = {});

// The message for a folder that holds no shortcut files.
std::u16string noShortcutsMessage(const std::string& folder);

} // namespace tallix::library

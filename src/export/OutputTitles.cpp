#include "export/OutputTitles.h"

#include "document/RecentFiles.h"
#include "platform/TextCodec.h"
#include "platform/ProfileFile.h"
#include "platform/SettingsSource.h"

#include <algorithm>
#include <vector>

namespace tallix {

const std::array<TitleField, TitleCount> TitleFields{{
    {&OutputTitles::commentTitle, u"Comment", u"\"Comment\":",
     u"To introduce the text of a comment in HTML output"},
    {&OutputTitles::commentListTitle, u"CommentList", u"\"Comments\":",
     u"To introduce the list of comments in RTF output"},
    {&OutputTitles::errorTypeTitle, u"Error type", u"\"Error type\":",
     u"To introduce an error definition in HTML output"},
    {&OutputTitles::errorStatsTitle, u"ErrorStats", u"\"Error statistics\":",
     u"To introduce the table of error statistics"},
    {&OutputTitles::gradeTitle, u"Grade", u"\"Grade\":",
     u"To introduce the grade on a piece of work"},
    {&OutputTitles::continuedTitle, u"Continued", u"\"Continued\":",
     u"Caption for button linking multiple HTML pages"},
    {&OutputTitles::goBackTitle, u"Go back", u"\"Go back to the text\":",
     u"Caption of back button in HTML pages"},
    // Keys match without regard to case: this is also the line start-up reads as
    // "No Print".
    {&OutputTitles::noPrintTitle, u"No print", u"\"Don't print this page\":",
     u"Instructions not to print Web page"},
}};

OutputTitles OutputTitles::loadedFileDefaults() {
    OutputTitles t;
    t.errorStatsTitle = u"Error statistics";
    return t;
}

std::u16string OutputTitles::backButtonHTML() const {
    return u"<FORM><INPUT TYPE=\"button\" VALUE=\"" + htmlAttributeValue(goBackTitle) +
           u"\" onClick=\"top.history.back()\"></FORM>";
}

std::u16string OutputTitles::continuedButtonValue() const {
    return htmlAttributeValue(continuedTitle);
}

ProfileLoadStatus readTitlesFile(OutputTitles& titles, const std::string& path) {
    const ProfileFile file(path);
    if (file.status() != ProfileLoadStatus::Loaded)
        return file.status();
    OutputTitles read = titles;
    for (const TitleField& f : TitleFields)
        read.*f.member = file.readString(TitlesSection, f.key, titles.*f.member);
    titles = std::move(read);
    return file.status();
}

OutputTitles loadTitlesFile(const std::string& path) {
    OutputTitles t = OutputTitles::loadedFileDefaults();
    readTitlesFile(t, path);
    return t;
}

OutputTitles startupTitles(const std::string& path) {
    OutputTitles t;
    readTitlesFile(t, path);
    return t;
}

void writeTitlesFile(const OutputTitles& titles, const std::string& path) {
    std::vector<ProfileValue> values;
    values.reserve(TitleFields.size());
    for (const TitleField& f : TitleFields)
        values.push_back({TitlesSection, f.key, titles.*f.member});
    ProfileFile(path).writeStrings(values);
}

std::string withConfigExtension(const std::string& path) {
    std::string name = fileNamePart(path);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    });
    return name.find(".cfg") == std::string::npos ? path + ".cfg" : path;
}

std::string defaultConfigFilePath(std::string_view programFolder) {
    std::string path(programFolder);
    if (!path.empty() && path.back() != '/'
#ifdef _WIN32
        && path.back() != '\\'
#endif
    )
        path += '/';
    path += DefaultConfigFileName;
    return path;
}

std::u16string configStatusText(std::string_view path) {
    return u"Config: " + text::fromUtf8(fileNamePart(std::string(path)));
}

std::u16string htmlAttributeValue(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string storedConfigFile(const SettingsSource& settings) {
    return settings.readString("Configuration", "ConfigFile",
                               defaultConfigFilePath(settings.programFolder()));
}

OutputSettings readOutputSettings(const SettingsSource& settings, const std::string& titlesFile) {
    OutputSettings s;
    s.configFile = titlesFile.empty() ? storedConfigFile(settings) : titlesFile;
    s.titles = startupTitles(titlesFile.empty() ? settings.readablePath(s.configFile)
                                                : s.configFile);
    s.colours = readOutputColours(settings);
    return s;
}

} // namespace tallix

// The profile (INI) reader on any file, and one write through it.
#include "FuzzSupport.h"
#include "platform/ProfileFile.h"

#include <cstdlib>

using namespace tallix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch(data, size, ".ini");
    ProfileFile file(path);
    for (const char16_t* section : {u"Title", u"1", u"Configuration", u""}) {
        for (const char16_t* key : {u"Caption", u"Short", u"Long", u"Title", u""}) {
            const std::u16string v = file.readString(section, key, u"default");
            if (v.size() > ProfileFile::MaxValueLength)
                std::abort();
            (void)file.hasKey(section, key);
        }
    }
    if (file.status() == ProfileLoadStatus::Loaded) {
        // A write keeps every other line, so the file must read back as it did.
        const std::u16string before = file.readString(u"Title", u"Caption", u"");
        try {
            file.writeString(u"Fuzz", u"Key", u"value");
        } catch (const ProfileWriteError&) {
            return 0;
        }
        ProfileFile reread(path);
        if (reread.readString(u"Fuzz", u"Key", u"") != u"value" ||
            reread.readString(u"Title", u"Caption", u"") != before)
            std::abort();
    }
    return 0;
}

#include "export/XmlWriter.h"

#include "document/ZipXml.h"

#include <gtest/gtest.h>

namespace tallix::testing {
namespace {

using exports::XmlWriter;

// Collects what a parse of the writer's output gives back.
struct Collected : zipxml::XmlHandler {
    std::string events;
    void startElement(std::string_view name, const std::vector<zipxml::XmlAttribute>& a) override {
        events += "<" + std::string(name);
        for (const auto& at : a)
            events += " " + std::string(at.name) + "=[" + std::string(at.value) + "]";
        events += ">";
    }
    void endElement(std::string_view name) override { events += "</" + std::string(name) + ">"; }
    void characters(std::string_view t) override { events += std::string(t); }
};

TEST(XmlWriter, WhatTheTeacherTypedCannotChangeTheStructure) {
    XmlWriter x;
    x.start("root").attribute("a", u"say \"hi\" & <go>\tnow");
    x.start("t").text(u"1 < 2 && 3 > 2 </t><evil/>").end();
    // Characters XML cannot hold, and half a surrogate pair.
    x.start("t").text(std::u16string(u"bell\u0007 nul") + char16_t(0) + u" half" + char16_t(0xD800) +
                      u" end").end();
    x.start("t").text(u"\U0001F600 \u20AC \u0391\u03B2 \u0416").end();
    x.empty("e").attribute("n", 42LL).end();
    x.end();
    ASSERT_TRUE(x.complete());

    Collected c;
    std::string error;
    ASSERT_TRUE(zipxml::parseXml(x.bytes(), c, error)) << error << "\n" << x.bytes();
    EXPECT_EQ(c.events,
              "<root a=[say \"hi\" & <go>\tnow]>"
              "<t>1 < 2 && 3 > 2 </t><evil/></t>"
              "<t>bell nul half\xEF\xBF\xBD end</t>"
              "<t>\xF0\x9F\x98\x80 \xE2\x82\xAC \xCE\x91\xCE\xB2 \xD0\x96</t>"
              "<e n=[42]></e></root>");
    EXPECT_NE(x.bytes().find("<e n=\"42\"/>"), std::string::npos);
}

} // namespace
} // namespace tallix::testing

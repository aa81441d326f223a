#include "output/kml_document.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace torvane {
namespace {

// Each byte of `bytes` read as Latin-1 and written in UTF-8.
std::string Latin1(const std::string& bytes) {
    std::string out;
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            out += byte;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

TEST(KmlDocument, TextIsEscapedAndMadeUtf8) {
    struct Case {
        std::string text;
        std::string expected;
        const char* what;
    };
    const Case cases[] = {
        {"Flight & <Track> \"A\" 'B'", "Flight &amp; &lt;Track&gt; &quot;A&quot; &apos;B&apos;", "markup"},
        {"a\tb\nc\rd", "a\tb\nc\rd", "tab and line ends stay"},
        {std::string("\x01x\x1f", 3) + std::string(1, '\0') + "\x7f", "x\x7f", "other controls dropped"},
        {"J\xFCrgen", "J\xC3\xBCrgen", "Latin-1"},
        {"\xC3", Latin1("\xC3"), "lead byte at the end"},
        {"\xC3" "A", Latin1("\xC3") + "A", "lead byte before ASCII"},
        {"\xE2\x82", Latin1("\xE2\x82"), "three-byte sequence cut short"},
        // Two bytes: U+0080 is the least; C0 and C1 lead only overlong forms.
        {"\xC2\x80", "\xC2\x80", "U+0080"},
        {"\xC1\xBF", Latin1("\xC1\xBF"), "overlong U+007F"},
        {"\xC0\xA6", Latin1("\xC0\xA6"), "overlong &"},
        // Three bytes: U+0800 is the least.
        {"\xE0\xA0\x80", "\xE0\xA0\x80", "U+0800"},
        {"\xE0\x9F\xBF", Latin1("\xE0\x9F\xBF"), "overlong U+07FF"},
        {"\xED\x9F\xBF", "\xED\x9F\xBF", "U+D7FF"},
        {"\xED\xA0\x80", Latin1("\xED\xA0\x80"), "surrogate U+D800"},
        {"\xED\xBF\xBF", Latin1("\xED\xBF\xBF"), "surrogate U+DFFF"},
        {"\xEE\x80\x80", "\xEE\x80\x80", "U+E000"},
        {"\xEF\xBF\xBD", "\xEF\xBF\xBD", "U+FFFD"},
        {"\xEF\xBF\xBE", Latin1("\xEF\xBF\xBE"), "U+FFFE"},
        {"\xEF\xBF\xBF", Latin1("\xEF\xBF\xBF"), "U+FFFF"},
        // Four bytes: U+10000 to U+10FFFF.
        {"\xF0\x90\x80\x80", "\xF0\x90\x80\x80", "U+10000"},
        {"\xF0\x8F\xBF\xBF", Latin1("\xF0\x8F\xBF\xBF"), "overlong U+FFFF"},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", "U+10FFFF"},
        {"\xF4\x90\x80\x80", Latin1("\xF4\x90\x80\x80"), "U+110000"},
        {"\xF5\x80\x80\x80", Latin1("\xF5\x80\x80\x80"), "lead F5"},
        {"\x80\xBF", Latin1("\x80\xBF"), "continuation bytes alone"},
    };
    for (const Case& c : cases) EXPECT_EQ(XmlText(c.text), c.expected) << c.what;
}

TEST(KmlDocument, HeaderTakesItsValuesEscapedAndTheAltitudeModeByName) {
    std::array<std::string, 6> properties{"A&B", "<d>", "ff0000ff", " 0", " 1", "absolute"};
    const std::string header = KmlHeader(properties);
    EXPECT_NE(header.find("\n  <name>A&amp;B</name>\n  <description>&lt;d&gt;</description>\n"), std::string::npos);
    EXPECT_NE(header.find("\n        <color>ff0000ff</color>\n"), std::string::npos);
    EXPECT_NE(header.find("\n    <extrude> 0</extrude>\n    <tessellate> 1</tessellate>\n"), std::string::npos);
    EXPECT_NE(header.find("\n    <altitudeMode>absolute</altitudeMode>\n    <coordinates>"), std::string::npos);
    EXPECT_TRUE(header.ends_with("\n    <coordinates>"));  // the writer adds the line end
    for (const char* other : {"relativeToGround", "Absolute", ""}) {
        properties[5] = other;
        EXPECT_NE(KmlHeader(properties).find("<altitudeMode>relativeToGround</altitudeMode>"), std::string::npos)
            << other;
    }
}

}  // namespace
}  // namespace torvane

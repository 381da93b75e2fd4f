// The JSON of a dump: escaping, exact numbers, and every control with the fields of its kind.
#include "tools/script/Dump.h"

#include "tools/common/Json.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace tovask::script {
namespace {

using tools::JsonWriter;

std::string jsonString(std::string_view text) {
    JsonWriter json;
    json.string(text);
    return json.text();
}

template <typename T> std::string jsonNumber(T value) {
    JsonWriter json;
    json.number(value);
    return json.text();
}

TEST(JsonWriter, EscapesWhatJsonRequiresAndKeepsUtf8) {
    EXPECT_EQ(jsonString("say \"hi\" C:\\data\nnext\ttab\r\b\f"),
              R"("say \"hi\" C:\\data\nnext\ttab\r\b\f")");
    EXPECT_EQ(jsonString(std::string("nul\0\x01\x1f", 6)), R"("nul\u0000\u0001\u001f")");
    EXPECT_EQ(jsonString("età € 𝄞 /"), "\"età € 𝄞 /\"");
}

TEST(JsonWriter, WritesU0FFFDForEachByteThatIsNotUtf8) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(jsonString("a\xFF"
                         "b"),
              "\"a" + r + "b\"");                                           // no lead byte
    EXPECT_EQ(jsonString("\xE0\xA4"), "\"" + r + r + "\"");                 // truncated
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"" + r + r + "\"");                 // overlong '/'
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"" + r + r + r + "\"");         // surrogate
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"" + r + r + r + r + "\""); // beyond U+10FFFF
    EXPECT_EQ(jsonString("\xE9t\xE0"), "\"" + r + "t" + r + "\"");          // Windows-1252 "étà"
}

template <typename T> T readBack(const std::string& text) {
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return value;
}

TEST(JsonWriter, NumbersReadBackAsTheStoredValue) {
    EXPECT_EQ(jsonNumber(2187.5f), "2187.5");
    EXPECT_EQ(jsonNumber(9750.0f), "9750");
    EXPECT_EQ(jsonNumber(8.75f), "8.75");
    EXPECT_EQ(jsonNumber(0.1f), "0.1"); // the float's shortest form, not the double's digits
    EXPECT_EQ(jsonNumber(std::int16_t{-32768}), "-32768");
    EXPECT_EQ(jsonNumber(std::uint32_t{0x7100FB}), "7405819");
    EXPECT_EQ(jsonNumber(std::numeric_limits<float>::quiet_NaN()), "null");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<double>::infinity()), "null");
    for (const float f : {0.1f, 1e-7f, 3.4028235e38f, std::nextafter(1.0f, 2.0f), 7812.5f / 3})
        EXPECT_EQ(readBack<float>(jsonNumber(f)), f) << jsonNumber(f);
    for (const double d : {0.1, 0.8 * 8, 1.0 / 3, 5e-324, std::nextafter(6.4, 7.0)})
        EXPECT_EQ(readBack<double>(jsonNumber(d)), d) << jsonNumber(d);
}

// The member names of one control's object in a dump (the captions of a loaded window hold
// no quotes or braces).
std::vector<std::string> fieldsOf(const std::string& dump, const std::string& name) {
    const auto start = dump.find("\"" + name + "\":{");
    if (start == std::string::npos)
        return {};
    const std::string object = dump.substr(start, dump.find('}', start) - start);
    static const std::regex member(R"re([{,]"(\w+)":)re");
    std::vector<std::string> fields;
    for (auto it = std::sregex_iterator(object.begin(), object.end(), member);
         it != std::sregex_iterator(); ++it)
        fields.push_back((*it)[1]);
    return fields;
}

class DumpTest : public ::testing::Test {
protected:
    DumpTest() { experiment.Experiment_Load(); }
    std::string dump(const std::vector<Message>& messages = {},
                     const std::optional<std::string>& ended = {}) {
        return dumpState(experiment, messages, ended);
    }

    HeadlessServices services{"unused"};
    Experiment experiment{services};
};

TEST_F(DumpTest, ListsEveryControlWithTheFieldsOfItsKind) {
    using F = std::vector<std::string>;
    const F place{"visible", "left", "top", "width", "height"};
    const auto with = [](F front, const F& back) {
        front.insert(front.end(), back.begin(), back.end());
        return front;
    };
    const std::map<ui::Kind, F> fields{
        {ui::Kind::Label, with(with({"caption"}, place), {"backcolor", "fontsize"})},
        {ui::Kind::Frame, with({"caption"}, place)},
        {ui::Kind::CommandButton,
         {"caption", "visible", "enabled", "left", "top", "width", "height"}},
        {ui::Kind::TextBox, {"text", "visible", "enabled", "left", "top", "width", "height"}},
        {ui::Kind::ComboBox,
         {"text", "items", "visible", "enabled", "left", "top", "width", "height"}},
        {ui::Kind::HScrollBar, with({"value", "max", "min"}, place)},
        {ui::Kind::PictureBox, place},
        {ui::Kind::Timer, {"enabled", "interval"}},
    };
    const std::string text = dump();
    ASSERT_EQ(experiment.form.controls().size(), 31u);
    for (const ui::Control* control : experiment.form.controls())
        EXPECT_EQ(fieldsOf(text, control->name()), fields.at(control->kind())) << control->name();
    EXPECT_NE(text.find(R"("Language":{"text":"English","items":["English","Italian"],)"),
              std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST_F(DumpTest, WritesTheCaptionEscaped) {
    experiment.form.setCaption("A \"quoted\" C:\\path\nnext — età");
    EXPECT_NE(dump().find(R"("caption":"A \"quoted\" C:\\path\nnext — età","controls":)"),
              std::string::npos);
}

TEST_F(DumpTest, WritesGeometryAsStored) {
    experiment.AllocationOne.setLeft(9750);
    experiment.AllocationOne.setWidth(2187.5);
    experiment.AllocationOne.setHeight(0.1); // stored as the float nearest 0.1
    experiment.AllocationOne.setFontSize(8.75);
    experiment.AllocationOne.setBackColor(0x7100FB);
    EXPECT_NE(dump().find(R"("left":9750,"top":3000,"width":2187.5,"height":0.1,)"
                          R"("backcolor":7405819,"fontsize":8.75})"),
              std::string::npos);
}

TEST_F(DumpTest, WritesNullForValuesNotStoredYet) {
    const std::string before = dump();
    EXPECT_NE(before.find(R"("vars":{"KeyArmed":0,"ProblemCount":null,"MaxAmount":0,)"
                          R"("ReadTime":null,"WaitLeft":0,"all":[],"rev":[],"inv":[]})"),
              std::string::npos);

    experiment.ProblemCount = 3;
    experiment.ReadTime = 0;
    experiment.all[1] = 2.5;
    experiment.all[2] = 0.8 * 8;
    experiment.rev[1] = 1;
    experiment.inv[1] = 0;
    const std::string after = dump({{"tovask", "Error in data in problem 2"}}, "disk full");
    EXPECT_NE(after.find(R"("ProblemCount":3,"MaxAmount":0,"ReadTime":0,"WaitLeft":0,)"
                         R"("all":[2.5,6.4,null],"rev":[1,null,null],"inv":[0,null,null]})"),
              std::string::npos);
    EXPECT_NE(after.find(R"("messages":[{"title":"tovask","text":"Error in data in problem 2"}],)"
                         R"("ended":"disk full"})"),
              std::string::npos);
    EXPECT_NE(before.find(R"("messages":[],"ended":null})"), std::string::npos);
}

} // namespace
} // namespace tovask::script

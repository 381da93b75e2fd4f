// The script reader: what a line says on its own, and what the window refuses.
#include "tools/script/ScriptReader.h"

#include "tools/script/HeadlessServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovask::script {
namespace {

using Type = Event::Type;

Event eventOf(const std::string& line) {
    const Parsed parsed = parseLine(line, 1);
    const auto* event = std::get_if<Event>(&parsed);
    if (!event) {
        ADD_FAILURE() << "no event from \"" << line << "\"";
        return {};
    }
    return *event;
}

TEST(ScriptReader, ReadsEveryEvent) {
    struct Case {
        std::string line;
        Type type;
        std::string control, text;
        int number;
    };
    const std::vector<Case> cases{
        {"set InputDataFile 02", Type::Set, "InputDataFile", "02", 0},
        // The text is the rest of the line after one blank, inner and outer blanks kept.
        {"set TaskNumber  two  words ", Type::Set, "TaskNumber", " two  words ", 0},
        {"set TaskNumber", Type::Set, "TaskNumber", "", 0},
        {"set TaskNumber 3\r", Type::Set, "TaskNumber", "3", 0},
        {"click", Type::Click, "", "", 0},
        {"  key 3", Type::Key, "", "", 3},
        {"tick", Type::Tick, "", "", 1},
        {"tick\t15", Type::Tick, "", "", 15},
        {"slider -4", Type::Slider, "", "", -4},
        {"wait 1500", Type::Wait, "", "", 1500},
        {"dump\r", Type::Dump, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Event event = eventOf(c.line);
        EXPECT_EQ(event.type, c.type);
        EXPECT_EQ(event.control, c.control);
        EXPECT_EQ(event.text, c.text);
        EXPECT_EQ(event.number, c.number);
    }
}

TEST(ScriptReader, SkipsBlankLinesAndComments) {
    for (const std::string line : {"", "   \t", "\r", "# a comment", "  #click", "#"})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parseLine(line, 1))) << line;
}

TEST(ScriptReader, RefusesMalformedLinesSayingWhy) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"clik", "line 7: unknown event \"clik\""},
        {"Click", "line 7: unknown event \"Click\""},
        {"set", "line 7: set needs the name of a text box or combo box"},
        {"key", "line 7: key needs a character code from 0 to 32767"},
        {"key 32768", "not \"32768\""},
        {"key -1", "not \"-1\""},
        {"key 3x", "not \"3x\""},
        {"tick -1", "not \"-1\""},
        {"tick 1.5", "not \"1.5\""},
        {"slider", "line 7: slider needs a whole number"},
        {"slider 99999999999", "not \"99999999999\""},
        {"slider +5", "not \"+5\""},
        {"click now", "line 7: click takes no argument, not \"now\""},
        {"dump all", "line 7: dump takes no argument, not \"all\""},
        {"tick 1 2", "line 7: tick takes one argument; \"2\" is one too many"},
        {"wait", "line 7: wait needs a whole number of milliseconds, 0 or more"},
        {"wait -5", "not \"-5\""},
    };
    for (const auto& [line, message] : cases) {
        const Parsed parsed = parseLine(line, 7);
        const auto* bad = std::get_if<BadLine>(&parsed);
        ASSERT_NE(bad, nullptr) << line;
        EXPECT_EQ(bad->line, 7);
        EXPECT_NE(bad->message().find(message), std::string::npos) << bad->message();
    }
}

TEST(ScriptReader, RefusesWhatTheWindowForbids) {
    HeadlessServices services("unused");
    Experiment experiment(services);
    experiment.Experiment_Load();
    const auto why = [&](const std::string& line) {
        const auto bad = refusal(eventOf(line), 5, experiment);
        return bad ? bad->message() : std::string();
    };
    EXPECT_EQ(why("set Parameter 1"), "line 5: unknown control \"Parameter\"");
    EXPECT_EQ(why("set Continue 1"),
              "line 5: the control \"Continue\" is no text box or combo box");
    EXPECT_EQ(why("set SubjectNumber 7"),
              "line 5: the control \"SubjectNumber\" is disabled; nothing can be typed into it");
    EXPECT_EQ(why("set Language Italian"), "");
    EXPECT_EQ(why("set TaskNumber 2"), ""); // the combo box of a hidden frame is enabled

    // The slider's range counts only where the subject can move it.
    EXPECT_EQ(why("slider 5000"), "");
    experiment.AllocationSlider.setVisible(true);
    experiment.AllocationSlider.setMax(1000);
    EXPECT_EQ(why("slider 1001"), "line 5: the slider value 1001 lies outside 0..1000");
    EXPECT_EQ(why("slider -1"), "line 5: the slider value -1 lies outside 0..1000");
    EXPECT_EQ(why("slider 1000"), "");
    EXPECT_EQ(why("click"), "");
}

} // namespace
} // namespace tovask::script

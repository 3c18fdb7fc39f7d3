#include "engine/commandline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/datafolder.h"

namespace {

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kestrelix");
    return CommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_THROW(parse({"--no-such-option"}), CommandLineError);
    EXPECT_THROW(parse({"stray"}), CommandLineError);
    EXPECT_THROW(parse({"--data"}), CommandLineError) << "a value is missing";
    EXPECT_NO_THROW(parse({}));
}

TEST(CommandLine, PathsStayRelativeToTheStartFolder) {
    const CommandLine line = parse({"--data", "some/where", "--quit-after", "5"});
    EXPECT_EQ(line.value("--data"), DataFolder::startFolder() + "/some/where");
    EXPECT_EQ(line.value("--quit-after"), "5") << "only FILE and DIR values are paths";
    EXPECT_EQ(parse({"--data", "/abs"}).value("--data"), "/abs");
    EXPECT_EQ(line.value("--help", "none"), "none");
}

TEST(CommandLine, UsageListsEveryOptionAndKey) {
    const std::string usage = CommandLine::usage();
    for (const CommandLine::Option& option : CommandLine::options()) {
        EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
    }
    for (const CommandLine::KeyHelp& key : CommandLine::keys()) {
        EXPECT_NE(usage.find(key.keys), std::string::npos) << key.keys;
    }
}

}  // namespace

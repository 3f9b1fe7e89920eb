#include "packager/Rules.h"

#include "core/InstallerLimits.h"
#include "packager/PackageCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string Guide()
{
    std::string self = __FILE__;
    std::ifstream in(self.substr(0, self.rfind("tests/unit/")) + "docs/packaging.md");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Rules, IdsAreDistinctAndWellFormed)
{
    std::set<std::string> ids;
    for (const RuleInfo& info : kRules) {
        EXPECT_TRUE(std::regex_match(info.id, std::regex("(list|file|notes|palm)(-[a-z0-9]+)+"))) << info.id;
        EXPECT_TRUE(ids.insert(info.id).second) << info.id << " twice";
    }
}

// The guide's table lists every rule once, with its kind, and the guide
// names no rule the checker does not have.
TEST(Rules, TheGuideListsEachRule)
{
    std::string guide = Guide();
    ASSERT_FALSE(guide.empty());
    std::set<std::string> known;
    for (const RuleInfo& info : kRules) {
        known.insert(info.id);
        std::string row = std::string("\n| `") + info.id + "` | " +
                          (info.severity == Severity::Error ? "error" : "warning") + " | ";
        std::size_t at = guide.find(row);
        EXPECT_NE(std::string::npos, at) << "no row" << row;
        EXPECT_EQ(std::string::npos, guide.find(row, at + 1)) << "two rows" << row;
    }
    std::regex named("[`\\[]((list|file|notes|palm)(-[a-z0-9]+)+)[`\\]]");
    int seen = 0;
    for (std::sregex_iterator i(guide.begin(), guide.end(), named), end; i != end; ++i, ++seen)
        EXPECT_EQ(1u, known.count((*i)[1].str())) << "the guide names " << (*i)[0].str();
    EXPECT_GT(seen, static_cast<int>(known.size()));
}

// The guide's numbers are the installer's own limits.
TEST(Rules, TheGuideStatesTheInstallersLimits)
{
    std::string guide = Guide();
    auto n = [](long long value) { return std::to_string(value); };
    const std::string stated[] = {
        "| files in one list | " + n(kMaxFiles) + " ",
        "| full path of a package file | " + n(kPathSlot - 1) + " characters",
        "| one list entry | " + n(kLongestEntry) + " characters",
        "| notes file | " + n(kMaxNotesBytes >> 20) + " MiB |",
        "| list line read at once | " + n(kListLineSlot - 1) + " characters",
        "at most " + n(kLongestDesktopFolder) + " characters long",
        "at most " + n(kMaxUsers) + " HotSync users",
        "read up to " + n(kNameSlot - 1) + " characters",
    };
    EXPECT_EQ(kMaxNotesBytes & ((1u << 20) - 1), 0u);
    for (const std::string& text : stated)
        EXPECT_NE(std::string::npos, guide.find(text)) << text;
}

}  // namespace

// Every option of `nightwisp --help`, every command and option of `nightwisp-tool --help` and
// every item of the game's menus appears in the matching manual page, so that the pages
// cannot drift from the programs. The help texts are read from the programs as built.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "rules/menu_item.h"

namespace {

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, got);
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

// A manual page's source as its reader sees the words: "\-" a hyphen, font changes gone.
std::string Page(const std::string& name) {
  std::ifstream in(std::string(MANUAL_PAGES_DIR) + "/" + name);
  EXPECT_TRUE(in) << name;
  std::string text{std::istreambuf_iterator<char>(in), {}};
  text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
  return std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
}

// The first word of each entry's head (the line after .TP), its macro and quotes taken off.
std::set<std::string> EntryHeads(const std::string& page) {
  std::set<std::string> heads;
  std::istringstream lines(page);
  bool afterTp = false;
  for (std::string line; std::getline(lines, line);) {
    if (afterTp) {
      std::smatch head;
      if (std::regex_search(line, head, std::regex(R"(^\.[BI]?[BIR]?\s+"?([^\s"]+))"))) {
        heads.insert(head[1]);
      }
    }
    afterTp = line.rfind(".TP", 0) == 0;
  }
  return heads;
}

std::set<std::string> Options(const std::string& help) {
  std::set<std::string> options;
  const std::regex option(R"(--[a-z][a-z-]*)");
  for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
       it != std::sregex_iterator(); ++it) {
    options.insert(it->str());
  }
  return options;
}

TEST(ManualPagesTest, EveryOptionOfTheGameHasItsEntry) {
  const std::string help = Output(std::string("'") + NIGHTWISP_PATH + "' --help");
  const std::set<std::string> options = Options(help);
  ASSERT_GE(options.size(), 5u) << help;
  const std::set<std::string> heads = EntryHeads(Page("nightwisp.6.in"));
  for (const std::string& option : options) EXPECT_TRUE(heads.count(option)) << option;
}

TEST(ManualPagesTest, EveryCommandAndOptionOfTheToolIsInItsPage) {
  const std::string help = Output(std::string("'") + NIGHTWISP_TOOL_PATH + "' --help");
  const std::string page = Page("nightwisp-tool.1.in");
  const std::set<std::string> heads = EntryHeads(page);
  // A command's usage line is indented two spaces under "commands:"; its summary six.
  std::set<std::string> commands;
  std::istringstream lines(help.substr(help.find("commands:")));
  for (std::string line; std::getline(lines, line);) {
    std::smatch command;
    if (std::regex_search(line, command, std::regex(R"(^  ([a-z][a-z-]*))"))) {
      commands.insert(command[1]);
    }
  }
  ASSERT_GE(commands.size(), 5u) << help;
  for (const std::string& command : commands) EXPECT_TRUE(heads.count(command)) << command;
  for (const std::string& option : Options(help)) {
    EXPECT_NE(page.find(option), std::string::npos) << option;
  }
}

TEST(ManualPagesTest, EveryMenuItemIsInTheGamesPage) {
  const std::string page = Page("nightwisp.6.in");
  for (const game::TMenuItemInfo& item : game::kMenuItems) {
    // The caption without its mnemonic, "(&K)", and its shortcut after a tab.
    std::string caption = item.Caption;
    caption = caption.substr(0, caption.find('\t'));
    caption = std::regex_replace(caption, std::regex(R"(\(&.\))"), "");
    EXPECT_NE(page.find(caption), std::string::npos) << item.Name << ": " << caption;
  }
}

}  // namespace

// Runs the nightwisp-tool binary a test was built against (NIGHTWISP_TOOL_PATH) as a separate
// process, the way a person runs it from a shell.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace tool_test {

struct RunResult {
  int Status = -1;                 // the exit status; -1 when the tool did not exit normally
  std::vector<std::string> Lines;  // standard output
};

// Runs the tool with the arguments (already quoted for the shell); standard error is dropped.
inline RunResult RunTool(const std::string& arguments) {
  RunResult result;
  const std::string command =
      std::string("'") + NIGHTWISP_TOOL_PATH + "' " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::string output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) result.Lines.push_back(line);
  return result;
}

}  // namespace tool_test

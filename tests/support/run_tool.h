// Runs ovikc as a user would and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace ovik::testing {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs OVIKC_PATH with the arguments (no shell involved); `input` goes to its
// standard input.
ToolResult RunOvikc(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace ovik::testing

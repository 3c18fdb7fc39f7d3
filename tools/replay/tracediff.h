#pragma once

#include <string>
#include <vector>

// Compares a replayed trace with its expected (golden) lines. The report names the first
// frame that differs and shows the header, then up to `maxRows` pairs of differing rows
// (expected marked "-", replayed marked "+") with the names of the columns that changed,
// so a deliberate physics change reads as a short, specific diff. Empty when equal.
namespace tracediff {

// The comma-separated fields of one trace row, for every reader of traces.
std::vector<std::string> splitRow(const std::string& line);

std::string compare(const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual, int maxRows = 5);

}  // namespace tracediff

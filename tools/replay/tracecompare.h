#pragma once

#include <string>
#include <vector>

// The summary of two traces of the same script: where the runs part first and in which
// fields, how many frames differ per column and by how much at most, and the events of
// both runs side by side with the frames between them. Works on the CSV lines (header
// first) so a golden file and a live replay compare alike. Rows that do not parse as a
// trace take part in the column counts but give no events.
namespace tracecompare {

std::string summary(const std::vector<std::string>& first, const std::vector<std::string>& second,
                    const std::string& firstLabel, const std::string& secondLabel);

}  // namespace tracecompare

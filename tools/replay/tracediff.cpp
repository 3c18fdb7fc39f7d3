#include "tracediff.h"

#include <algorithm>
#include <sstream>

namespace tracediff {

namespace {

std::string changedColumns(const std::vector<std::string>& names, const std::string& expected,
                           const std::string& actual) {
    const std::vector<std::string> a = splitRow(expected);
    const std::vector<std::string> b = splitRow(actual);
    std::string changed;
    const std::size_t count = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string left = i < a.size() ? a[i] : "";
        const std::string right = i < b.size() ? b[i] : "";
        if (left != right) {
            if (!changed.empty()) {
                changed += ", ";
            }
            changed += i < names.size() ? names[i] : "column " + std::to_string(i + 1);
        }
    }
    return changed;
}

}  // namespace

std::vector<std::string> splitRow(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ',')) {
        fields.push_back(field);
    }
    return fields;
}

std::string compare(const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual, int maxRows) {
    if (expected == actual) {
        return std::string();
    }
    std::ostringstream report;
    if (expected.empty() || actual.empty() || expected[0] != actual[0]) {
        report << "the header differs\n- " << (expected.empty() ? "" : expected[0]) << "\n+ "
               << (actual.empty() ? "" : actual[0]) << '\n';
        return report.str();
    }
    const std::vector<std::string> names = splitRow(expected[0]);
    const std::size_t rows = std::max(expected.size(), actual.size());
    int shown = 0;
    for (std::size_t i = 1; i < rows && shown < maxRows; ++i) {
        const std::string* e = i < expected.size() ? &expected[i] : nullptr;
        const std::string* a = i < actual.size() ? &actual[i] : nullptr;
        if (e != nullptr && a != nullptr && *e == *a) {
            continue;
        }
        if (shown == 0) {
            const std::string& first = e != nullptr ? *e : *a;
            report << "first difference at frame " << first.substr(0, first.find(',')) << '\n';
            report << "  " << expected[0] << '\n';
        }
        report << "- " << (e != nullptr ? *e : "(no row)") << '\n';
        report << "+ " << (a != nullptr ? *a : "(no row)") << '\n';
        if (e != nullptr && a != nullptr) {
            report << "  changed: " << changedColumns(names, *e, *a) << '\n';
        }
        ++shown;
    }
    if (expected.size() != actual.size()) {
        report << "expected " << expected.size() - 1 << " rows, replayed " << actual.size() - 1
               << '\n';
    }
    return report.str();
}

}  // namespace tracediff

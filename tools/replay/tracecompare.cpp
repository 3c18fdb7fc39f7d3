#include "tracecompare.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "runevents.h"
#include "tracediff.h"

namespace tracecompare {

namespace {

bool asNumber(const std::string& text, long long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0';
}

RunEvents eventsOf(const std::vector<std::string>& lines) {
    RunEvents events;
    TraceRow row;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (tracewriter::parse(lines[i], row)) {
            events.observe(row);
        }
    }
    events.finish();
    return events;
}

// Heights read as pixels with two decimals: 12032/256 is "47.00 px".
std::string pixels(int value) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(2) << value / 256.0 << " px";
    return out.str();
}

std::string eventCell(const RunEvents::Event* event) {
    if (event == nullptr) {
        return "-";
    }
    std::string cell = "frame " + std::to_string(event->frame);
    if (event->kind == RunEvents::Kind::kApex) {
        cell += " (" + pixels(event->height) + ")";
    }
    return cell;
}

void columnTable(std::ostream& out, const std::vector<std::string>& names,
                 const std::vector<std::string>& first, const std::vector<std::string>& second) {
    const std::size_t rows = std::min(first.size(), second.size());
    std::vector<int> differing(names.size(), 0);
    std::vector<long long> largest(names.size(), 0);
    std::vector<bool> numeric(names.size(), true);
    std::string firstDifference;
    for (std::size_t i = 1; i < rows; ++i) {
        if (first[i] == second[i]) {
            continue;
        }
        const std::vector<std::string> a = tracediff::splitRow(first[i]);
        const std::vector<std::string> b = tracediff::splitRow(second[i]);
        std::string changed;
        for (std::size_t c = 0; c < names.size(); ++c) {
            const std::string left = c < a.size() ? a[c] : "";
            const std::string right = c < b.size() ? b[c] : "";
            if (left == right) {
                continue;
            }
            ++differing[c];
            long long x = 0;
            long long y = 0;
            if (asNumber(left, x) && asNumber(right, y)) {
                largest[c] = std::max(largest[c], std::llabs(x - y));
            } else {
                numeric[c] = false;
            }
            if (firstDifference.empty()) {
                changed +=
                    (changed.empty() ? "" : ", ") + names[c] + " (" + left + " / " + right + ")";
            }
        }
        if (firstDifference.empty()) {
            firstDifference =
                "first difference at frame " + (a.empty() ? "?" : a[0]) + ": " + changed + "\n";
        }
    }
    if (firstDifference.empty()) {
        out << "no difference in " << rows - 1 << " frames\n";
        return;
    }
    out << firstDifference << "\n";
    out << std::left << std::setw(14) << "column" << std::right << std::setw(18)
        << "frames differing" << std::setw(20) << "largest difference" << '\n';
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (differing[c] == 0) {
            continue;
        }
        out << std::left << std::setw(14) << names[c] << std::right << std::setw(18) << differing[c]
            << std::setw(20) << (numeric[c] ? std::to_string(largest[c]) : "-") << '\n';
    }
}

void eventTable(std::ostream& out, const RunEvents& first, const RunEvents& second,
                const std::string& firstLabel, const std::string& secondLabel) {
    // The n-th event of a kind in one run faces the n-th of that kind in the other; rows
    // go in the order of the earlier of the two frames.
    struct Pair {
        const RunEvents::Event* a;
        const RunEvents::Event* b;
        int number;
        int order;
    };
    std::vector<Pair> pairs;
    for (int k = 0; k < RunEvents::kKindCount; ++k) {
        const auto kind = static_cast<RunEvents::Kind>(k);
        std::vector<const RunEvents::Event*> a;
        std::vector<const RunEvents::Event*> b;
        for (const RunEvents::Event& event : first.events()) {
            if (event.kind == kind) {
                a.push_back(&event);
            }
        }
        for (const RunEvents::Event& event : second.events()) {
            if (event.kind == kind) {
                b.push_back(&event);
            }
        }
        for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
            const RunEvents::Event* left = i < a.size() ? a[i] : nullptr;
            const RunEvents::Event* right = i < b.size() ? b[i] : nullptr;
            const int order = std::min(left != nullptr ? left->frame : 1 << 30,
                                       right != nullptr ? right->frame : 1 << 30);
            pairs.push_back(Pair{left, right, static_cast<int>(i) + 1, order * 8 + k});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& x, const Pair& y) { return x.order < y.order; });
    if (pairs.empty()) {
        out << "no events\n";
        return;
    }
    out << std::left << std::setw(18) << "event" << std::setw(26) << firstLabel.substr(0, 24)
        << std::setw(26) << secondLabel.substr(0, 24) << "difference\n";
    for (const Pair& pair : pairs) {
        std::string difference;
        if (pair.a != nullptr && pair.b != nullptr) {
            const int frames = pair.b->frame - pair.a->frame;
            difference = frames == 0 ? "same frame"
                                     : (frames > 0 ? "+" : "") + std::to_string(frames) +
                                           (frames == 1 || frames == -1 ? " frame" : " frames");
            if (pair.a->kind == RunEvents::Kind::kApex && pair.a->height != pair.b->height) {
                const int delta = pair.b->height - pair.a->height;
                difference += ", " + std::string(delta > 0 ? "+" : "") + pixels(delta);
            }
        }
        const RunEvents::Kind kind = pair.a != nullptr ? pair.a->kind : pair.b->kind;
        out << std::left << std::setw(18)
            << (std::string(RunEvents::kindName(kind)) + " " + std::to_string(pair.number))
            << std::setw(26) << eventCell(pair.a) << std::setw(26) << eventCell(pair.b)
            << difference << '\n';
    }
}

}  // namespace

std::string summary(const std::vector<std::string>& first, const std::vector<std::string>& second,
                    const std::string& firstLabel, const std::string& secondLabel) {
    std::ostringstream out;
    out << "A: " << firstLabel << ", " << (first.empty() ? 0 : first.size() - 1) << " frames\n"
        << "B: " << secondLabel << ", " << (second.empty() ? 0 : second.size() - 1) << " frames\n";
    if (first.empty() || second.empty() || first[0] != second[0]) {
        out << "the headers differ; no comparison by column\n";
        return out.str();
    }
    columnTable(out, tracediff::splitRow(first[0]), first, second);
    out << '\n';
    eventTable(out, eventsOf(first), eventsOf(second), "A", "B");
    return out.str();
}

}  // namespace tracecompare

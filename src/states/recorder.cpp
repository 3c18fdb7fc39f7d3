#include "states/recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "states/inputscript.h"

namespace {

constexpr std::size_t kFileBufferSize = std::size_t{64} * 1024;

// "run.txt", 3 -> "run-3.txt"; the number goes before the extension of the file name.
std::string numbered(const std::string& base, int number) {
    if (number <= 1) {
        return base;
    }
    const std::size_t slash = base.find_last_of('/');
    const std::size_t dot = base.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    const std::string suffix = "-" + std::to_string(number);
    return hasExtension ? base.substr(0, dot) + suffix + base.substr(dot) : base + suffix;
}

// The record a later frame of a span repeats, which the next span follows.
Controls lastOf(const Controls& first, int frames) {
    return frames > 1 ? InputScript::steady(first) : first;
}

}  // namespace

Recorder::~Recorder() {
    stop();
}

bool Recorder::start(const std::string& base, const std::string& level,
                     const std::string& character, const std::string& checksum,
                     const Controls& atStart) {
    stop();
    if (base != m_base) {
        m_base = base;
        m_number = 0;
    }
    m_level = level;
    m_character = character;
    m_checksum = checksum;
    m_atStart = atStart;
    m_spans.clear();
    m_spans.reserve(kMaxSpans);
    m_fileBuffer.resize(kFileBufferSize);
    m_updates = 0;
    m_unwritable = 0;
    m_pastUpdates.fill(-1);
    if (!openNextFile()) {
        return false;
    }
    writeHeader();
    std::cerr << "kestrelix: recording " << level << " with " << character << " to " << m_path
              << '\n';
    return true;
}

bool Recorder::openNextFile() {
    // O_EXCL: a file that appeared since (another run, another recording) is never
    // overwritten; the next number is tried instead.
    for (int attempt = 0; attempt < 10000; ++attempt) {
        ++m_number;
        const std::string candidate = numbered(m_base, m_number);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            std::cerr << "kestrelix: " << candidate << ": cannot be created ("
                      << std::strerror(errno) << "), not recording\n";
            return false;
        }
        m_file = ::fdopen(fd, "w");
        if (m_file == nullptr) {
            ::close(fd);
            std::cerr << "kestrelix: " << candidate << ": cannot be written, not recording\n";
            return false;
        }
        std::setvbuf(m_file, m_fileBuffer.data(), _IOFBF, m_fileBuffer.size());
        m_path = candidate;
        return true;
    }
    std::cerr << "kestrelix: " << m_base << ": no free numbered name, not recording\n";
    return false;
}

void Recorder::writeHeader() {
    std::fprintf(m_file,
                 "# Recorded by kestrelix: replay with kestrelix-replay --script FILE,\n"
                 "# watch with kestrelix --play FILE.\n"
                 "level %s\ncharacter %s\nchecksum %s\n",
                 m_level.c_str(), m_character.c_str(), m_checksum.c_str());
    char line[InputScript::kMaxLineLength + 1];
    const int length = InputScript::formatHeld(line, m_atStart);
    std::fwrite(line, 1, static_cast<std::size_t>(length), m_file);
}

void Recorder::record(const Controls& controls) {
    if (m_file == nullptr) {
        return;
    }
    if (!m_spans.empty() && (m_spans.back().frames >= InputScript::kMaxSpanFrames ||
                             controls != InputScript::steady(m_spans.back().first))) {
        // The span before is complete: it goes to the file now.
        writeSpan(m_spans.size() - 1);
    }
    if (!append(m_spans, controls)) {
        std::cerr << "kestrelix: " << m_path << ": more than " << kMaxSpans
                  << " changes of input, the recording stops here\n";
        closeFile();
        return;
    }
    ++m_updates;
}

bool Recorder::append(std::vector<Span>& spans, const Controls& controls) {
    if (!spans.empty()) {
        Span& last = spans.back();
        if (last.frames < InputScript::kMaxSpanFrames &&
            controls == InputScript::steady(last.first)) {
            ++last.frames;
            return true;
        }
    }
    if (spans.size() == static_cast<std::size_t>(kMaxSpans)) {
        return false;
    }
    spans.push_back(Span{1, controls});
    return true;
}

void Recorder::writeSpan(std::size_t index) {
    const Controls& before =
        index == 0 ? m_atStart : lastOf(m_spans[index - 1].first, m_spans[index - 1].frames);
    char line[InputScript::kMaxLineLength + 1];
    const int length =
        InputScript::formatSpan(line, before, m_spans[index].first, m_spans[index].frames);
    if (length < 0) {
        // Not an input the engine's key rules can produce. The line keeps the file readable
        // and the frame count right; the count on stderr says the replay may differ.
        ++m_unwritable;
        std::fprintf(m_file, "%d -  # could not be written exactly\n", m_spans[index].frames);
        return;
    }
    std::fwrite(line, 1, static_cast<std::size_t>(length), m_file);
}

void Recorder::stop() {
    if (m_file == nullptr) {
        return;
    }
    if (!m_spans.empty()) {
        writeSpan(m_spans.size() - 1);
    }
    std::cerr << "kestrelix: recorded " << m_updates << " updates to " << m_path;
    if (m_unwritable > 0) {
        std::cerr << " (" << m_unwritable << " could not be written exactly)";
    }
    std::cerr << '\n';
    closeFile();
}

void Recorder::closeFile() {
    if (m_file != nullptr) {
        if (std::fclose(m_file) != 0) {
            std::cerr << "kestrelix: " << m_path << ": cannot be written completely\n";
        }
        m_file = nullptr;
    }
}

void Recorder::truncate(int updates) {
    if (m_file == nullptr || updates >= m_updates) {
        return;
    }
    updates = std::max(updates, 0);
    int kept = 0;
    std::size_t count = 0;
    while (count < m_spans.size() && kept + m_spans[count].frames <= updates) {
        kept += m_spans[count].frames;
        ++count;
    }
    if (kept < updates) {
        m_spans[count].frames = updates - kept;
        ++count;
    }
    m_spans.resize(count);
    m_updates = updates;
    rewrite();
}

void Recorder::rewrite() {
    // The spans already written past the cut are gone from the buffer; the file is written
    // again from the start (the last span stays open in memory, as while recording).
    std::fflush(m_file);
    std::rewind(m_file);
    writeHeader();
    for (std::size_t i = 0; i + 1 < m_spans.size(); ++i) {
        writeSpan(i);
    }
    std::fflush(m_file);
    if (::ftruncate(::fileno(m_file), static_cast<off_t>(std::ftell(m_file))) != 0) {
        std::cerr << "kestrelix: " << m_path << ": cannot be cut back\n";
    }
}

void Recorder::keepPast(int slot, int updates) {
    if (m_file == nullptr || slot < 0 || slot >= kPastSlots) {
        return;
    }
    if (updates < 0 || updates > m_updates) {
        // Not a moment of this recording: there is no way to it.
        m_pastUpdates[static_cast<std::size_t>(slot)] = -1;
        return;
    }
    std::vector<Span>& past = m_pasts[static_cast<std::size_t>(slot)];
    past.clear();
    int kept = 0;
    for (std::size_t i = 0; i < m_spans.size() && kept < updates; ++i) {
        past.push_back(m_spans[i]);
        past.back().frames = std::min(m_spans[i].frames, updates - kept);
        kept += past.back().frames;
    }
    m_pastUpdates[static_cast<std::size_t>(slot)] = updates;
}

void Recorder::keepPast(int slot, const InputScript& script, int updates) {
    if (m_file == nullptr || slot < 0 || slot >= kPastSlots) {
        return;
    }
    std::vector<Span>& past = m_pasts[static_cast<std::size_t>(slot)];
    past.clear();
    InputScript::Cursor cursor(script);
    int kept = 0;
    while (kept < updates && append(past, cursor.next())) {
        ++kept;
    }
    m_pastUpdates[static_cast<std::size_t>(slot)] = kept;
}

bool Recorder::returnToPast(int slot) {
    if (m_file == nullptr || slot < 0 || slot >= kPastSlots ||
        m_pastUpdates[static_cast<std::size_t>(slot)] < 0) {
        return false;
    }
    // The buffer was reserved for kMaxSpans, which a past never exceeds: no allocation.
    m_spans.assign(m_pasts[static_cast<std::size_t>(slot)].begin(),
                   m_pasts[static_cast<std::size_t>(slot)].end());
    m_updates = m_pastUpdates[static_cast<std::size_t>(slot)];
    rewrite();
    return true;
}

std::uint64_t Recorder::digestOf(int updates) const {
    std::uint64_t hash = InputScript::kDigestSeed;
    for (const Span& span : m_spans) {
        for (int frame = 0; frame < span.frames && updates > 0; ++frame, --updates) {
            hash = InputScript::digest(hash,
                                       frame == 0 ? span.first : InputScript::steady(span.first));
        }
    }
    return hash;
}

bool Recorder::continueInNextFile(const std::string& checksum, const Controls& atStart) {
    if (m_file == nullptr) {
        return false;
    }
    const std::string level = m_level;
    const std::string character = m_character;
    return start(m_base, level, character, checksum, atStart);
}

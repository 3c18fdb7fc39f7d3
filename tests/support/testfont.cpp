#include "testfont.h"

#include <gtest/gtest.h>

#include <map>

#include "recordingvideo.h"

std::string testFontIni(const std::string& characters) {
    return "[Properties]\nsheet = glyphs.bmp\ncharacterHeight = 8\ncharacterWidth = 8\n"
           "[Characters]\n" +
           characters;
}

std::string glyphRow(const RecordingVideo& video, int y, int fromX, int toX, int minusY) {
    std::map<int, char> cells;
    for (const auto& copy : video.callsOf(RecordingVideo::Kind::kCopyToScreen)) {
        if (y != kAnyRow && copy.y != y) {
            continue;
        }
        EXPECT_EQ(copy.sourceRect.w, 8);
        EXPECT_EQ(copy.sourceRect.h, 8);
        const int glyphY = copy.sourceRect.y;
        cells[copy.x] = glyphY == minusY ? '-'
                        : glyphY < 80    ? static_cast<char>('0' + glyphY / 8)
                                         : '?';
    }
    if (toX == kLastGlyph) {
        toX = cells.empty() ? fromX - 8 : cells.rbegin()->first;
    }
    std::string text;
    for (int x = fromX; x <= toX; x += 8) {
        const auto it = cells.find(x);
        text += it == cells.end() ? '.' : it->second;
    }
    return text;
}

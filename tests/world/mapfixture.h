#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "textmap.h"
#include "world/map.h"

// A scratch directory with a recording video service, in which a test writes a little
// level from text and loads its Map.
class MapFixture : public ::testing::Test {
  protected:
    MapFixture() : m_scope(&video) { useTileSheet(video); }

    static TestLevel level(std::vector<std::string> rows, std::vector<Rect> boundaries) {
        TestLevel result;
        result.rows = std::move(rows);
        result.boundaries = std::move(boundaries);
        return result;
    }

    std::unique_ptr<Map> load(const TestLevel& testLevel) {
        writeTestLevel(scratch, testLevel);
        return loadWritten(testLevel.name);
    }

    // Loads the level already in levels.ini (after a test has changed its files).
    std::unique_ptr<Map> loadWritten(const std::string& name = "Test") {
        IniDictionary levels("levels.ini");
        return std::make_unique<Map>(name.c_str(), levels);
    }

    ScratchDir scratch;
    RecordingVideo video;

  private:
    ScopedVideo m_scope;
};

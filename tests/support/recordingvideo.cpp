#include "recordingvideo.h"

#include <algorithm>
#include <cstdint>

#include "config/loaderror.h"
#include "engine/servicelocator.h"

namespace {

SDL_Texture* fakeTexture(int handle) {
    return reinterpret_cast<SDL_Texture*>(static_cast<std::uintptr_t>(handle));
}

}  // namespace

RecordingVideo::RecordingVideo() = default;
RecordingVideo::~RecordingVideo() = default;

int RecordingVideo::handleOf(const Bitmap& bitmap) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(bitmap.texture));
}

int RecordingVideo::newHandle(const std::string& path) {
    const int handle = m_nextHandle++;
    m_paths[handle] = path;
    m_live[handle] = true;
    return handle;
}

std::string RecordingVideo::pathOf(int handle) const {
    const auto it = m_paths.find(handle);
    return it == m_paths.end() ? std::string() : it->second;
}

void RecordingVideo::setImageSize(const std::string& path, int width, int height) {
    m_sizes[path] = {width, height};
}

void RecordingVideo::clearScreen() {
    Call call;
    call.kind = Kind::kClear;
    calls.push_back(call);
}

void RecordingVideo::copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) {
    Call call;
    call.kind = Kind::kCopyToBitmap;
    call.source = handleOf(source);
    call.target = handleOf(target);
    call.x = x;
    call.y = y;
    call.hasSourceRect = sourceRect != nullptr;
    if (sourceRect != nullptr) {
        call.sourceRect = *sourceRect;
    }
    calls.push_back(call);
}

void RecordingVideo::copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                                           std::uint8_t alpha) {
    copyToScreen(source, x, y, sourceRect);
    calls.back().kind = Kind::kCopyToScreenWithAlpha;
    calls.back().alpha = alpha;
}

void RecordingVideo::copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) {
    Call call;
    call.kind = Kind::kCopyToScreen;
    call.source = handleOf(source);
    call.x = x;
    call.y = y;
    call.hasSourceRect = sourceRect != nullptr;
    if (sourceRect != nullptr) {
        call.sourceRect = *sourceRect;
    }
    calls.push_back(call);
}

void RecordingVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    const int handle = newHandle("");
    bitmap.texture = fakeTexture(handle);
    bitmap.width = static_cast<std::uint16_t>(width * m_multiplier);
    bitmap.height = static_cast<std::uint16_t>(height * m_multiplier);
    Call call;
    call.kind = Kind::kCreate;
    call.source = handle;
    call.width = width;
    call.height = height;
    calls.push_back(call);
}

void RecordingVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    if (std::find(m_failing.begin(), m_failing.end(), path) != m_failing.end()) {
        throw LoadError(path, "cannot be opened");
    }
    const int handle = newHandle(path);
    bitmap.texture = fakeTexture(handle);
    const auto size = m_sizes.find(path);
    const int width = size == m_sizes.end() ? 16 : size->second.first;
    const int height = size == m_sizes.end() ? 16 : size->second.second;
    bitmap.width = static_cast<std::uint16_t>(width * m_multiplier);
    bitmap.height = static_cast<std::uint16_t>(height * m_multiplier);
    Call call;
    call.kind = Kind::kLoad;
    call.source = handle;
    call.path = path;
    calls.push_back(call);
}

void RecordingVideo::unloadBitmap(Bitmap& bitmap) {
    const int handle = handleOf(bitmap);
    m_live.erase(handle);
    Call call;
    call.kind = Kind::kUnload;
    call.source = handle;
    calls.push_back(call);
}

std::vector<RecordingVideo::Call> RecordingVideo::callsOf(Kind kind) const {
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [kind](const Call& call) { return call.kind == kind; });
    return result;
}

std::vector<RecordingVideo::Call> RecordingVideo::screenCopiesOf(const std::string& path) const {
    std::vector<Call> result;
    for (const Call& call : calls) {
        if (call.kind == Kind::kCopyToScreen && pathOf(call.source) == path) {
            result.push_back(call);
        }
    }
    return result;
}

#include "recordingvideo.h"

#include <algorithm>

RecordingVideo::Call& RecordingVideo::copy(Kind kind, const Bitmap& source, int x, int y,
                                           const Rect* sourceRect) {
    Call call;
    call.kind = kind;
    call.source = handleOf(source);
    call.x = x;
    call.y = y;
    call.hasSourceRect = sourceRect != nullptr;
    if (sourceRect != nullptr) {
        call.sourceRect = *sourceRect;
    }
    calls.push_back(call);
    return calls.back();
}

void RecordingVideo::copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) {
    copy(Kind::kCopyToBitmap, source, x, y, sourceRect).target = handleOf(target);
}

void RecordingVideo::copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) {
    copy(Kind::kCopyToScreen, source, x, y, sourceRect);
}

void RecordingVideo::copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                                           std::uint8_t alpha) {
    copy(Kind::kCopyToScreenWithAlpha, source, x, y, sourceRect).alpha = alpha;
}

void RecordingVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    NullVideo::createBitmap(bitmap, width, height);
    Call call;
    call.kind = Kind::kCreate;
    call.source = handleOf(bitmap);
    call.width = width;
    call.height = height;
    calls.push_back(call);
}

void RecordingVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    NullVideo::loadBitmap(bitmap, path);
    Call call;
    call.kind = Kind::kLoad;
    call.source = handleOf(bitmap);
    call.path = path;
    calls.push_back(call);
}

void RecordingVideo::unloadBitmap(Bitmap& bitmap) {
    Call call;
    call.kind = Kind::kUnload;
    call.source = handleOf(bitmap);
    calls.push_back(call);
    NullVideo::unloadBitmap(bitmap);
}

std::string RecordingVideo::pathOf(int handle) const {
    const Image* image = imageOf(handle);
    return image == nullptr ? std::string() : image->path;
}

std::vector<RecordingVideo::Call> RecordingVideo::callsOf(Kind kind) const {
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [kind](const Call& call) { return call.kind == kind; });
    return result;
}

std::vector<RecordingVideo::Call> RecordingVideo::screenCopiesOf(const std::string& path) const {
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [this, &path](const Call& call) {
                     return call.kind == Kind::kCopyToScreen && pathOf(call.source) == path;
                 });
    return result;
}

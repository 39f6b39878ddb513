// Load Image: an image file chosen in the file selector is loaded with the
// raster library and kept; the box drawn next receives a picture made from a
// copy of it.
#include <wraster.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "xkv/comm/CommInternal.h"
#include "xkv/core/Core.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/model/Model.h"
#include "xkv/model/Picture.h"
#include "xkv/trans/Trans.h"

// The raster context of the page windows (0 before the display is open).
RContext* Window_ImageContext();

namespace {

constexpr uint32_t kDiagramFile = 1;
constexpr int32_t kStateImageBox = 33;
constexpr int32_t kNoPrompt = 9999;
constexpr int32_t kCreateCursor = 1;
constexpr uint32_t kPictureShape = 4;
constexpr int32_t kOwnText = 9999;
constexpr int32_t kAlertOneButton = 1;
// One display pixel at scale 1.0, and the largest side taken from an image.
constexpr Fixed kPixel = 0x8000;
constexpr int32_t kLargestSide = 4000;

struct ImageRelease {
    void operator()(RImage* image) const { RReleaseImage(image); }
};
using ImagePtr = std::unique_ptr<RImage, ImageRelease>;

// The image of the last Load Image, kept for the box that places it.
ImagePtr& LoadedImage()
{
    static ImagePtr image;
    return image;
}

// The selector starts in the diagram's directory when it is known.
std::string InitialDirectory()
{
    const char* directory = Comm_GetFileDirectoryText(kDiagramFile);
    return directory != nullptr && *directory != '\0' ? std::string(directory) : std::string("./");
}

// The chosen file, or an empty name when the selector was cancelled.
std::string AskImageFile()
{
    char* chosen = nullptr;
    const KernelStatus status =
        Dialog_SelectFile("Select image file", "Open", InitialDirectory().c_str(), 0, &chosen);
    std::string path = status == kStatusOk && chosen != nullptr ? chosen : "";
    std::free(chosen);
    return path;
}

void ReportUnloadable(const std::string& path)
{
    const std::string text = "Could not load the image file " + path + ": " + RMessageForError(RErrorCode);
    Dialog_Alert(kOwnText, text.c_str(), kAlertOneButton);
}

Fixed SideOf(int32_t pixels)
{
    return static_cast<Fixed>(std::clamp(pixels, 1, kLargestSide)) * kPixel;
}

}  // namespace

COMM_HANDLER(Cmd_LoadImage)
{
    EventRec command{};
    const bool shift = Comm_CopyEvent(event, &command) && command.modifiers.shift == 1;
    RContext* context = Window_ImageContext();
    if (context == nullptr || Comm_GetCurrentPage() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const std::string path = AskImageFile();
    if (path.empty()) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    ImagePtr image(RLoadImage(context, path.c_str(), 0));
    if (!image || image->width <= 0 || image->height <= 0) {
        ReportUnloadable(path);
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const Fixed width = SideOf(image->width);
    const Fixed height = SideOf(image->height);
    LoadedImage() = std::move(image);
    const uint32_t flags = 0xB8u | (shift ? 0x40u : 0u);
    const KernelStatus status = Trans_BeginBox(kNoPrompt, kCreateCursor, width, height, 0, flags);
    if (status == kStatusOk) {
        *nextState = kStateImageBox;
    }
    return status;
}

COMM_HANDLER(Cmd_ImageDone)
{
    EventRec pick{};
    FixRect box{};
    RImage* loaded = LoadedImage().get();
    if (loaded == nullptr || !Comm_CopyEvent(event, &pick) || !Comm_PickedRect(pick, &box)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    ImagePtr copy(RCloneImage(loaded));
    const MemHandle picture = copy ? Picture_NewImage(copy.get()) : 0;
    if (picture == 0) {
        return kStatusOutOfMemory;
    }
    copy.release();  // the picture record owns it now
    ObjectHandle object = 0;
    const KernelStatus status = Core_AddPicture(Comm_GetCurrentPage(), box, kPictureShape, picture, &object);
    if (status != kStatusOk || object == 0) {
        if (object == 0) {
            Picture_Free(picture);
        }
        return status != kStatusOk ? status : kStatusFailed;
    }
    Comm_SelectAndNotify(object, static_cast<uintptr_t>(Comm_GetState()));
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

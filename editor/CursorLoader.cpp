#include "editor/CursorLoader.h"

#include <vector>

#include "scheme/formats/CursorImages.h"

namespace shubiao {

UniqueIcon IconFromImage(std::span<const std::uint8_t> image, int size, DWORD& error, POINT* hotSpot) {
    error = ERROR_SUCCESS;
    const auto resource = ToCursorResource(image);
    if (!resource) {
        error = ERROR_INVALID_DATA;
        return {};
    }
    const BOOL icon = resource->cursor ? FALSE : TRUE;
    // The group directory and the image as a resource holds them: Windows
    // picks the image for the size (LookupIconIdFromDirectoryEx) and makes
    // the cursor from those bytes (CreateIconFromResourceEx, format version
    // 0x00030000 as resources carry it).
    std::vector<std::uint8_t> directory = resource->directory;
    const int id = LookupIconIdFromDirectoryEx(directory.data(), icon, size, size, LR_DEFAULTCOLOR);
    std::vector<std::uint8_t> bits = resource->ResourceBits(id);
    if (bits.empty()) {
        error = ERROR_INVALID_DATA;
        return {};
    }
    if (hotSpot != nullptr) {
        const ResourceImage& picked = resource->images[static_cast<size_t>(id - 1)];
        *hotSpot = {MulDiv(picked.hotX, size, static_cast<int>(picked.width)),
                    MulDiv(picked.hotY, size, static_cast<int>(picked.height))};
    }
    HICON made = CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), icon, 0x00030000, size, size,
                                          LR_DEFAULTCOLOR);
    if (made == nullptr) error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_DATA;
    return UniqueIcon(made);
}

}  // namespace shubiao

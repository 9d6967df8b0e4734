// The one place stb's implementations are compiled: PNG decoding (stb_image),
// PNG writing to memory (stb_image_write) and the resampler
// (stb_image_resize). Only what the cursor code needs: no file access, no
// other image formats. Images larger than a cursor's 256 pixels are refused
// by the decoder itself, so a PNG entry never costs more than 256 KiB.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 256
#include <stb_image.h>

// stb's PNG writer deflates with zlib, which the program links anyway for
// .zip packs: it is several times faster than stb's own compressor and its
// output smaller, which keeps a filled animation further inside 4 MiB.
#include <cstdlib>
#include <zlib.h>

// zlib's default level 6 rather than stb's 8: the higher levels save little
// on pointer images and take several times as long.
static unsigned char* ShubiaoDeflate(unsigned char* data, int length, int* outLength, int /*quality*/) {
    uLongf size = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (out == nullptr) return nullptr;
    if (compress2(out, &size, data, static_cast<uLong>(length), Z_DEFAULT_COMPRESSION) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(size);
    return out;
}

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS ShubiaoDeflate
#include <stb_image_write.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

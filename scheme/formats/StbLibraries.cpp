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

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

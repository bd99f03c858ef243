// The image writer the tests make their image files with.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

// What a file name's ending selects, in any letter case: the picture kind of a texture
// name (BMP files are told by it; PNG and JPEG by their contents), and the ending test
// itself (the model kinds too).
#pragma once
#include <cstddef>

enum class TextureImageKind { None, Bitmap, Jpeg, Png, Targa };

// ".bmp" selects a bitmap, ".jpg" and ".jpeg" a JPEG file, ".png" a PNG file, ".tga"
// a Targa file (which is not decoded), all in any letter case; anything else is none.
TextureImageKind TextureKindForName(const char* name);

// Whether the first `length` characters of name end in `ending` (given in lower case),
// compared without letter case; nothing past `length` is read.
bool HasEnding(const char* name, size_t length, const char* ending);

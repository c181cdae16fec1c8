// The picture kind a texture file name selects by its ending, shared by both
// model readers.
#pragma once

enum class TextureImageKind { None, Bitmap, Jpeg, Png, Targa };

// ".bmp" selects a bitmap, ".jpg" and ".jpeg" a JPEG file, ".png" a PNG file (which
// only the readers of today's formats decode), ".tga" a Targa file
// (which no reader decodes), all in any letter case; anything else is none.
TextureImageKind TextureKindForName(const char* name);

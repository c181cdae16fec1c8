// The picture kind a texture file name selects by its ending, shared by both
// model readers.
#pragma once

enum class TextureImageKind { None, Bitmap, Jpeg, Targa };

// ".bmp" selects a bitmap, ".jpg" and ".jpeg" a JPEG file, ".tga" a Targa file
// (which no reader decodes), all in any letter case; anything else is none.
TextureImageKind TextureKindForName(const char* name);

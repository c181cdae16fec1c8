// OpenGL 1.1 and GLU as each platform provides them.
#pragma once
#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>

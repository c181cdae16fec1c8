// The drawing tests' own context: what it reads back is what was drawn.
#include <gtest/gtest.h>

#include "tests/unit/gl_test_context.h"

TEST(GlTestContext, ReadsBackWhatWasDrawn) {
    GlTestContext gl(64, 48);
    REQUIRE_GL(gl);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 0, 48, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 0.0f, 0.0f);
    glRectf(0, 0, 32, 24);  // bottom-left quarter
    Rgb inside = gl.Pixel(10, 10);
    Rgb outside = gl.Pixel(50, 40);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.b, 0);
    EXPECT_EQ(outside.r, 0);
    EXPECT_EQ(outside.b, 255);
}

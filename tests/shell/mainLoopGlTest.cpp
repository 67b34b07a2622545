// The reshape callback sets the boxed viewport and the y-down 640x480 projection.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "shell/mainLoop.h"
#include "support/glTest.h"

TEST(ReshapeGl, SetsTheBoxedViewportAndTopLeftOrigin)
{
    onReshape(800, 480);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 79);
    EXPECT_EQ(vp[1], 0);
    EXPECT_EQ(vp[2], 640);
    EXPECT_EQ(vp[3], 480);

    onReshape(640, 480);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    // A quad in the top-left 10x10 logical pixels lands at the top of the window.
    glColor4f(1, 0, 0, 1);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(10, 0);
    glVertex2f(10, 10);
    glVertex2f(0, 10);
    glEnd();
    glFinish();
    unsigned char px[4];
    glReadBuffer(GL_BACK);
    glReadPixels(2, 479 - 2 - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    glReadPixels(2, 479 - 20, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 0);
    glTestBeginFrame();
}

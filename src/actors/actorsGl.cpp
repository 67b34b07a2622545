// The actors' own OpenGL drawing: the particle dots and the bullets' hit-box
// outlines. Everything else the actors draw goes through the picture draws.
#include <GL/gl.h>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "graphics/drawBatchRecord.h"
#include "graphics/image.h"
#include "graphics/sharedTextures.h"

void drawParticleDot(float x, float y, float red, float life)
{
    // A missing dot picture leaves the texture unbound: the dot then shows as a plain square.
    const GLuint picture = pixelTexture != nullptr ? pixelTexture->texId : 0;
    if (batchGathering()) {
        recordDot(x, y, red, life, picture);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    glColor4f(red, life, life, life);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE); // additive: the dots light up what is under them
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, picture);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glEnd();
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glDisable(GL_TEXTURE_2D);
}

void drawHitBoxOutline(int x, int y, int width, int height)
{
    const int left = -width / 2;
    const int top = -height / 2;
    const int right = width / 2;
    const int bottom = height / 2;
    if (batchGathering()) {
        recordOutline(x, y, width, height);
        return;
    }
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glLineWidth(1.0f);
    glColor3f(1.0f, 1.0f, 0.2f);
    glBegin(GL_LINES);
    glVertex3i(left, top, 0);
    glVertex3i(right, top, 0);
    glVertex3i(right, bottom, 0);
    glVertex3i(left, bottom, 0);
    glVertex3i(left, top, 0);
    glVertex3i(left, bottom, 0);
    glVertex3i(right, top, 0);
    glVertex3i(right, bottom, 0);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

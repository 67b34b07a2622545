// Sprite animations.
#include "graphics/anim.h"

int SpriteAnim::load(const char*, const char*) { return -1; }
int SpriteAnim::loadSingle(const char*) { return -1; }
int AnimCursor::set(SpriteAnim* newAnim)
{
    anim = newAnim;
    return 0;
}
void AnimCursor::draw() {}
void AnimCursor::drawRotated(int) {}
void AnimCursor::drawBlended(int) {}

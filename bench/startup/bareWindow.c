/* The start-up floor of this machine: a GLUT window like the game's that
 * swaps one cleared frame, nothing loaded. bench/perfSuite.py times it the
 * same way as the game, next to it. */
#include <GL/glut.h>

static void display(void)
{
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    glutCreateWindow("KelVantis bare window");
    glutDisplayFunc(display);
    glutMainLoop();
    return 0;
}

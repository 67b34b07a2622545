// Stand-ins for the platform functions that the game logic calls, so the
// logic links and runs in the unit tests without GLUT, OpenGL or SDL.
// Each subsystem keeps its own fakes in a file of its own (fake<Name>.cpp).

// State queries that WebGL and emscripten's legacy GL emulation do not
// answer (the current colour, texturing on or off), read from the emulation's
// own records. Declared in src/graphics/webGlState.h.
mergeInto(LibraryManager.library, {
  kvGlCurrentColour__deps: ['$GLImmediate'],
  kvGlCurrentColour: function(out) {
    for (var i = 0; i < 4; i++)
      HEAPF32[(out >> 2) + i] = GLImmediate.clientColor ? GLImmediate.clientColor[i] : 1.0;
  },
  kvGlTexturing__deps: ['$GLImmediate'],
  kvGlTexturing: function() {
    // The game only uses texture unit 0.
    return GLImmediate.TexEnvJIT.getTexUnitType(0) == 0xDE1 /* GL_TEXTURE_2D */ ? 1 : 0;
  },
});

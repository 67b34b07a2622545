// State queries for the draw batches (src/graphics/webGlState.h). WebGL has
// no current colour and emscripten's GL emulation keeps texturing's on/off
// to itself: both are read from the emulation's records. The rest could be
// asked of WebGL, but each question waits for the GPU (it took three
// quarters of a frame), so the calls that change it are watched instead.
mergeInto(LibraryManager.library, {
  $kvGlWatched: {context: null, texture: 0, blended: 0, source: 1, destination: 0, lineWidth: 1},
  $kvGlWatch__deps: ['$kvGlWatched'],
  $kvGlWatch: function() {
    var w = kvGlWatched;
    if (w.context === GLctx)
      return;
    var gl = w.context = GLctx;
    // Asked once, then followed.
    var bound = gl.getParameter(gl.TEXTURE_BINDING_2D);
    w.texture = bound ? bound.name : 0;
    w.blended = gl.isEnabled(gl.BLEND) ? 1 : 0;
    w.source = gl.getParameter(gl.BLEND_SRC_RGB);
    w.destination = gl.getParameter(gl.BLEND_DST_RGB);
    w.lineWidth = gl.getParameter(gl.LINE_WIDTH);
    var bindTexture = gl.bindTexture, enable = gl.enable, disable = gl.disable;
    var blendFunc = gl.blendFunc, lineWidth = gl.lineWidth;
    gl.bindTexture = function(target, texture) {
      if (target === gl.TEXTURE_2D)
        w.texture = texture ? texture.name : 0;
      return bindTexture.call(gl, target, texture);
    };
    gl.enable = function(cap) {
      if (cap === gl.BLEND)
        w.blended = 1;
      return enable.call(gl, cap);
    };
    gl.disable = function(cap) {
      if (cap === gl.BLEND)
        w.blended = 0;
      return disable.call(gl, cap);
    };
    gl.blendFunc = function(source, destination) {
      w.source = source;
      w.destination = destination;
      return blendFunc.call(gl, source, destination);
    };
    gl.lineWidth = function(width) {
      w.lineWidth = width;
      return lineWidth.call(gl, width);
    };
  },

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

  kvGlWatchState__deps: ['$kvGlWatch', '$kvGlWatched'],
  kvGlWatchState: function() {
    kvGlWatch();
  },

  kvGlDrawState__deps: ['$kvGlWatch', '$kvGlWatched'],
  kvGlDrawState: function(state, lineWidth) {
    kvGlWatch();
    var w = kvGlWatched;
    HEAP32[(state >> 2)] = w.texture;
    HEAP32[(state >> 2) + 1] = w.blended;
    HEAP32[(state >> 2) + 2] = w.source;
    HEAP32[(state >> 2) + 3] = w.destination;
    HEAPF32[lineWidth >> 2] = w.lineWidth;
  },
});

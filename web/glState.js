// State queries for the draw batches (src/graphics/webGlState.h). WebGL has
// no current colour and emscripten's GL emulation keeps texturing's on/off
// to itself: both are read from the emulation's records. The rest could be
// asked of WebGL, but each question waits for the GPU (it took three
// quarters of a frame), so the calls that change it are watched instead.
mergeInto(LibraryManager.library, {
  // The three fields of emscripten's GL emulation read here, each read only
  // through this object, checked against Emscripten 3.1.6: GLImmediate's
  // current colour and texture-environment compiler (library_glemu.js), and
  // the number a texture object carries (library_webgl.js). A runtime that
  // lacks one stops the game with an error naming the field, instead of
  // drawing with a wrong colour or texture state.
  $kvGlRuntime__deps: ['$GLImmediate'],
  $kvGlRuntime: {
    field: {colour: 'clientColor', texEnv: 'TexEnvJIT', textureName: 'name'},
    missing: function(what) {
      var text = "KelVantis: the runtime's GL emulation lacks " + what +
                 ' (this game reads it as Emscripten 3.1.6 keeps it)';
      console.error(text);
      throw new Error(text);
    },
    // GLImmediate's current colour: null until the emulation has started.
    colour: function() {
      var name = kvGlRuntime.field.colour;
      if (!(name in GLImmediate))
        kvGlRuntime.missing('GLImmediate.' + name);
      return GLImmediate[name];
    },
    // The target texturing on unit 0 uses (0 when it is off).
    texUnitType: function() {
      var jit = GLImmediate[kvGlRuntime.field.texEnv];
      if (!jit || typeof jit.getTexUnitType !== 'function')
        kvGlRuntime.missing('GLImmediate.' + kvGlRuntime.field.texEnv + '.getTexUnitType');
      return jit.getTexUnitType(0);
    },
    // The GL name (glGenTextures' number) of a WebGL texture, 0 for none.
    textureName: function(texture) {
      if (!texture)
        return 0;
      var name = texture[kvGlRuntime.field.textureName];
      if (typeof name !== 'number')
        kvGlRuntime.missing("a texture's ." + kvGlRuntime.field.textureName);
      return name;
    },
  },

  $kvGlWatched: {context: null, texture: 0, blended: 0, source: 1, destination: 0, lineWidth: 1},
  $kvGlWatch__deps: ['$kvGlWatched', '$kvGlRuntime'],
  $kvGlWatch: function() {
    var w = kvGlWatched;
    if (w.context === GLctx)
      return;
    var gl = w.context = GLctx;
    // Asked once, then followed.
    var bound = gl.getParameter(gl.TEXTURE_BINDING_2D);
    w.texture = kvGlRuntime.textureName(bound);
    w.blended = gl.isEnabled(gl.BLEND) ? 1 : 0;
    w.source = gl.getParameter(gl.BLEND_SRC_RGB);
    w.destination = gl.getParameter(gl.BLEND_DST_RGB);
    w.lineWidth = gl.getParameter(gl.LINE_WIDTH);
    var bindTexture = gl.bindTexture, enable = gl.enable, disable = gl.disable;
    var blendFunc = gl.blendFunc, lineWidth = gl.lineWidth;
    gl.bindTexture = function(target, texture) {
      if (target === gl.TEXTURE_2D)
        w.texture = kvGlRuntime.textureName(texture);
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

  kvGlCurrentColour__deps: ['$kvGlRuntime'],
  kvGlCurrentColour: function(out) {
    var colour = kvGlRuntime.colour();
    for (var i = 0; i < 4; i++)
      HEAPF32[(out >> 2) + i] = colour ? colour[i] : 1.0;
  },

  kvGlTexturing__deps: ['$kvGlRuntime'],
  kvGlTexturing: function() {
    // The game only uses texture unit 0.
    return kvGlRuntime.texUnitType() == 0xDE1 /* GL_TEXTURE_2D */ ? 1 : 0;
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

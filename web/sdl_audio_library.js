// SDL's Web Audio output calls autoResumeAudioContext and dynCall from its inline
// JavaScript, which emscripten links only when something asks for them (its own SDL port
// does so in its link settings). This empty function asks; the link includes it by name.
mergeInto(LibraryManager.library, {
  kestrelix_sdl_audio__deps: ['$autoResumeAudioContext', '$dynCall'],
  kestrelix_sdl_audio: function() {},
});

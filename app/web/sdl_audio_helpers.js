// SDL2's Web Audio code calls two of emscripten's JS helpers. Emscripten's
// own SDL2 port pulls them in; an SDL2 built from source has to name them.
mergeInto(LibraryManager.library, {
  inviteSdlAudioHelpers__deps: ['$autoResumeAudioContext', '$dynCall'],
  inviteSdlAudioHelpers: function () {},
});

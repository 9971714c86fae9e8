#pragma once
// The one seam through which tests drive windows. While a hook is set, every
// modal dialog run hands its dialog to it from inside the run, once the window
// is in front and has painted (as a person would first see it), instead of
// waiting for a person; the hook acts on the window and should end the run.
// Nothing else of the program knows about tests.

#include <functional>

class CDialog;

using ModalHook = std::function<void(CDialog&)>;

// Sets the hook (an empty one for none) and returns the one it replaces.
ModalHook SetModalHook(ModalHook hook);

// For the framework's modal run: the hook set, or an empty one.
const ModalHook& CurrentModalHook();

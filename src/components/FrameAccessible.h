#pragma once

namespace sr5n {

// Makes a window built on a plain widget (the main window) a frame for screen
// readers, as a desktop's main windows are, rather than a nameless filler.
// Installing twice is harmless.
void InstallFrameAccessibility();

} // namespace sr5n

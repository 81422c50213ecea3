#pragma once

namespace webaccess::platform {

// What the web engine needs before the application object is made: OpenGL
// contexts shared (the engine requires it), and the switches this program
// runs the engine with, put in front of any in QTWEBENGINE_CHROMIUM_FLAGS:
//   --disable-gpu  pages are drawn in software, as under the offscreen
//                  platform: nothing the program shows needs the GPU, and no
//                  GL driver is loaded into the program for it.
//   --no-zygote    only when the engine runs without its sandbox
//                  (QTWEBENGINE_DISABLE_SANDBOX, or --no-sandbox among the
//                  flags; as root it must): the two zygote processes are
//                  there to start sandboxed renderers, and without the
//                  sandbox the renderer is started directly.
// Call once in main(), before the application object is made.
void PrepareWebEngine();

}  // namespace webaccess::platform

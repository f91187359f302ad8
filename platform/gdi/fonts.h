// The font system's start (fontconfig reading its configuration and font caches), which takes a
// large part of a short program's run: a program can begin it on a thread of its own as the first
// thing it does, and the first use of fonts waits for it.
#pragma once

namespace plat::gdi {

// Begins fontconfig's initialisation on a background thread and returns at once. Only the first
// call does anything. Without it, fonts are initialised by their first use, as before.
void PrepareFonts();

// Returns once what PrepareFonts began has finished (at once when it was never called), so that
// the font libraries are never initialised twice nor from two threads at the same time. Every
// use of fonts in plat::gdi calls it; code that reaches pango or fontconfig another way (the
// desktop's toolkit) calls it before.
void WaitForFonts();

}  // namespace plat::gdi

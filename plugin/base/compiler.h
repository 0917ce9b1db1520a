// Compiler hints the hot paths use.
#pragma once

// Keeps a rarely taken path out of the hot functions that call it, so they
// stay small and save no registers for it.
#if defined(__GNUC__)
#define TORVXML_COLD __attribute__((cold, noinline))
#else
#define TORVXML_COLD
#endif

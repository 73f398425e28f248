// The translation unit that the shared precompiled header of the Windows test
// programs is built with.

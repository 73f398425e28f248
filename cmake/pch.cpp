// The translation unit that a shared precompiled header is built with.

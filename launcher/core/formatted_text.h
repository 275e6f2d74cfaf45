// Texts the launcher core builds from a format and one string: option texts and closing messages.
#pragma once

// Returns a new text made by `format` (holding exactly one "%s") filled with `value`, allocated
// through AllocOrExit at exactly its length plus the NUL. The text is never freed: option texts and
// closing messages live until the process ends.
char* AllocFormattedText(const char* format, const char* value);

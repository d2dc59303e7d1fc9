// The program's own path as the system gives it, and the files named after it.
#pragma once

// Sets exePath and extPtr (just after the dot of its ".exe") from the system's
// name of the program's file; where that is cut short, from the command-line
// text (after an optional leading quote, up to the first ".exe" that ends a
// word). Returns where the options may begin: just after that dot, or after
// the program's name as typed; null when the program's path is not known.
char* LocateProgramPath(char* commandLine);

// Writes the three-letter extension and a NUL at extPtr and returns exePath:
// the program's path with that extension.
const char* ProgramPathWithExtension(const char* extension);

// The program's own path as the command line gives it, and the files named
// after it.
#pragma once

// Finds the program path in the command-line text: sets exePath (after an
// optional leading quote) and extPtr (just after the dot of the first ".exe"
// that ends a word). A command line without ".exe" takes the path from the
// system instead. Returns where the options may begin: just after that dot, or
// after the program's name as typed; null when the program's path is not known.
char* LocateProgramPath(char* commandLine);

// Writes the three-letter extension and a NUL at extPtr, which also cuts off the
// rest of the command line, and returns exePath: the program's path with that extension.
const char* ProgramPathWithExtension(const char* extension);

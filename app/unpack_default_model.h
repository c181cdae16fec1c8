// Unpacking the default model, which travels inside the executable as a ZIP archive.
#pragma once
#include <string>

// Windows: makes `folder` (the one the default model is read from) the process's
// current directory and writes every member of the archive resource (RCDATA 503 of
// HostState.instance) there under its stored name. True only when every member was
// written whole; false when `folder` is empty or no usable directory (then nothing is
// written anywhere), when the resource or the archive cannot be opened, or when a
// member could not be written (a read-only file of that name left there by someone
// else, say): what is in the folder then is not the default model.
bool UnpackDefaultModel(const char* folder);

// Elsewhere the archive is built into the program and `folder` is the private one
// below: the members are written there under their stored names (the process's
// current directory is left as it was); true only when every one was written whole.

// A folder that this process alone writes and reads: a new one with an unguessable
// name and mode 0700 in $XDG_RUNTIME_DIR (the user's own runtime folder), else in
// $TMPDIR or /tmp, so no other user can have planted a file or link there. Empty when
// none could be made.
std::string MakePrivateModelFolder();
// Removes what the unpacking wrote into the folder, and the folder.
void RemovePrivateModelFolder(const std::string& folder);

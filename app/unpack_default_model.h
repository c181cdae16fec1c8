// Unpacking the default model, which travels inside the executable as a ZIP archive.
#pragma once

// Windows: makes `folder` (the one the default model is read from) the process's
// current directory and writes every member of the archive resource (RCDATA 503 of
// HostState.instance) there under its stored name. True only when every member was
// written whole; false when `folder` is empty or no usable directory (then nothing is
// written anywhere), when the resource or the archive cannot be opened, or when a
// member could not be written (a read-only file of that name left there by someone
// else, say): what is in the folder then is not the default model.
bool UnpackDefaultModel(const char* folder);

// Finding a file by a name whose letter case may differ from the name on disk.
// Model files name their textures in whatever case the modeller typed; on a file
// system that keeps case apart, the file in the same folder whose name matches
// without regard to case is used.
#pragma once
#include <string>

// path itself when it names an existing file or when nothing matches; otherwise
// the folder part of path joined with the matching entry's own name.
std::string FindFileIgnoringCase(const std::string& path);

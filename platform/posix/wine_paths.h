// Windows paths of a Wine prefix, mapped to the Unix paths that Wine would use for them.
#pragma once

#include <cstddef>

// Maps windowsPath (code page 932) to a Unix path in unixPath, as Wine does: a drive letter through
// the prefix's dosdevices/<letter>: link, a path that starts with a backslash on the drive that
// holds the current folder, any other path from the current folder; backslashes and slashes
// separate the components, "." and ".." and empty components go as Windows makes them go, and
// each component is matched against the folder's entries: the exact name first, then the first
// one that matches without regard to ASCII letter case. A last component that matches nothing
// keeps the name written, for a file or folder to be made. Fails (the path counts as missing) for
// an intermediate component that matches nothing, a component that is not code page 932 text, a
// network path, or a result that does not fit.
bool WinePathToUnix(const char *prefix, const char *windowsPath, char *unixPath, size_t room);

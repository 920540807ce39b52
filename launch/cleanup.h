// Work done at exit: the win.ini list of directories to remove, and the
// windows of started programs asked to close.
#ifndef LAUNCH_CLEANUP_H
#define LAUNCH_CLEANUP_H

extern const char delDirSection[];  // "XervoCD-ROM"

// Empties and removes each listed directory and rewrites the list so that
// it holds those still there.
void removeDelDirs(void);

// A drive root, a bare drive or a network share root: never emptied.
bool isRootDirectory(const char* path);

// Posts WM_CLOSE to the enabled top-level windows of started programs
// (Win32 layer).
void closeLaunchedPrograms(void);

#endif

#pragma once

// Whether a rename onto an existing name replaces it in one step in the folder open at
// folderFd. Some share clients fake it: smbnetfs (libsmbclient) deletes the target first and
// then renames, so a rename that fails after the delete loses the target. Only FUSE file
// systems are asked, once per file system and run, by a probe in that folder: a rename of a
// file still open onto a second file that a faking client then fails, after deleting the
// second one. Everything else is taken to rename atomically, as the kernel's own do.
namespace SafeFile::AtomicRename {

bool replacesAtomically(int folderFd);

// Test seam: answers false for every folder while set.
void setAssumeNonAtomic(bool nonAtomic);

} // namespace SafeFile::AtomicRename

// Writes a new version of a file and puts it in place, the one way every
// program and library of the project replaces a file:
// - The new text goes to a temporary file created exclusively, under a name
//   no one else uses, in the target's folder; commit() closes it and renames
//   it over the target, so a reader sees the old file or the new one, never
//   a part. Until then the target stays as it was; a replacement that is not
//   committed, or fails, removes its temporary file.
// - A target the caller could not open for writing (read-only, someone
//   else's without write permission) is refused: open() fails. Where a
//   folder stands under the target's name, commit() fails.
// - The replacement keeps the mode of the file it replaces, and its owner
//   where the system allows the change of owner.
// - A symbolic link is followed: the file it names is replaced.
// - A target that is not a regular file (a device, a FIFO) is written
//   directly, as opening it for writing would, without a rename.
// - The temporary file is named "." TARGET "." 16-hex-digits ".tmp" (TARGET
//   cut to 64 bytes) and is held, locked, while it is open. One that a killed
//   process left behind is removed by remove_abandoned_replacements.
// - POSIX: the temporary files open in the process are kept in a fixed table,
//   so that platform/interrupt_cleanup.h can remove them on a signal.
// POSIX: open(2) with O_EXCL, flock(2), fchown, fchmod, rename(2).
// Windows: CreateFileA with CREATE_NEW (no sharing), GetFinalPathNameByHandleA,
// SetFileAttributesA, MoveFileExA with MOVEFILE_REPLACE_EXISTING.
#pragma once

#include <cstddef>
#include <memory>

namespace platform {

class replacement_file {
public:
    replacement_file();
    // Opens a replacement of target; is_open() tells whether that worked.
    explicit replacement_file(const char *target);
    // Discards a replacement that was not committed.
    ~replacement_file();
    replacement_file(const replacement_file &) = delete;
    replacement_file &operator=(const replacement_file &) = delete;

    // Checks the target and creates the temporary file (or opens a target
    // that is written directly). False when the target is refused or nothing
    // could be created; error() then tells why. An earlier replacement still
    // open is discarded first.
    bool open(const char *target);
    bool is_open() const;
    // Writes all bytes or fails; after a failure every later write fails too,
    // and so does commit().
    bool write(const void *data, std::size_t length);
    // Writes what it can, as a device keeps what reached it: the count
    // written, less than length when writing failed (error() tells why).
    // Such a shortfall does not stop commit(), which puts in place what was
    // written (a print job's output file).
    std::size_t write_some(const void *data, std::size_t length);
    // Closes the temporary file and puts it in place. False when an earlier
    // write, the close or the rename failed: the target is then as it was
    // and the temporary file gone.
    bool commit();
    // Closes and removes the temporary file; the target stays as it was.
    void discard();

    // The system's code of the first failure, or of the last shortfall of
    // write_some() (errno, or GetLastError on Windows); 0 when nothing failed.
    long error() const { return error_; }

private:
    struct platform_state;  // the platform's handle, names and what the target was
    void fail(long code);

    std::unique_ptr<platform_state> state_;
    long error_ = 0;
};

// Removes the temporary files that replacements of target left behind (a
// process killed before it could remove them): the files in the target's
// folder named exactly as this helper names the temporary files of that
// target (symbolic links followed), that no live process holds. Anything
// else in the folder, a link or a folder of that name included, stays.
// POSIX: flock(2) with LOCK_NB; Windows: CreateFileA without sharing, with
// FILE_FLAG_DELETE_ON_CLOSE.
void remove_abandoned_replacements(const char *target);

}  // namespace platform

// Every file the tool writes goes through an OutputFile, so that a failure
// never leaves a truncated file that looks whole, and never removes or
// truncates what the user already had at that path.
//
// A regular file (or a name that does not exist yet) is written to a new
// temporary file ".NAME.XXXXXX" in the target's own folder and renamed over
// the target only by commit(), after the data is flushed and the file closed
// without error; any failure before that removes the temporary file and
// nothing else. The new file keeps the mode and owner of the one it replaces.
// No fsync: a full disk, a failing device and a signal all show in write()
// or close(); a sync guards only against a crash of the whole system, and
// cost a third of the time of rendering the song to a disk.
//
// Standard output ("-"), a character device (/dev/null, /dev/full, a
// terminal) and a pipe are written directly: there is nothing to rename
// there, and a failure removes nothing. Every error names the path and
// carries the system's reason.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "platform/platform.h"
#include "tools/invite-tool/interruption.h"

class OutputFile {
public:
    enum class Writer {
        Tool,   // this process writes through write() or stream()
        Other,  // another program (ffmpeg) writes to writingPath()
    };

    // Opens `path` for writing. "-" is standard output unless `allowStandardOutput`
    // is false (then it is a file named "-"). A directory, a block device or a
    // socket is refused.
    static Result<OutputFile> open(const std::string& path, Writer writer = Writer::Tool,
                                   bool allowStandardOutput = true);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Without a commit(): closes and removes the temporary file, if any.
    ~OutputFile();

    // Appends `bytes` (Writer::Tool only). The error carries the reason.
    Status write(std::span<const std::uint8_t> bytes);
    // The stdio stream behind write(), for libraries that write to a FILE*;
    // commit() reports what went wrong on it.
    std::FILE* stream() { return stream_; }

    // Flushes and closes the file, then puts it in place of the target. A
    // file written directly (standard output, a device) is only flushed.
    Status commit();
    // Removes the temporary file now (as the destructor would).
    void discard();

    const std::string& path() const { return path_; }
    // Where the bytes go: the temporary file, or the device or pipe itself.
    const std::string& writingPath() const { return writing_; }
    // True for standard output, a character device or a pipe.
    bool direct() const { return temporary_.empty(); }

private:
    OutputFile() = default;
    PlatformError failure(int number) const;
    // Writes through a stdio stream on `fd` from here on; 0, or the errno
    // of a failure (`fd` is then closed).
    int attachStream(int fd);

    std::string path_;       // as the user named it
    std::string writing_;    // the file the bytes go to
    std::string target_;     // what commit() renames over (a symlink's file, resolved)
    std::string temporary_;  // empty when written directly
    std::FILE* stream_ = nullptr;
    bool standardOutput_ = false;
    bool committed_ = false;
    std::unique_ptr<RemovedOnInterruption> cleanup_;  // the temporary file, on SIGINT or SIGTERM
};

// "cannot write 'PATH': REASON": the tool's one line for a failed write.
PlatformError writeError(const std::string& path, const std::string& reason);

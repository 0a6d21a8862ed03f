// A file that appears under its name only when complete: written to a temporary file in
// the same folder, renamed at commit, removed on failure or on an interrupt.
#pragma once

#include <string>

namespace render {

class OutputFile {
public:
    // Creates the temporary file; throws RenderError when the folder is not writable.
    explicit OutputFile(const std::string& path);
    ~OutputFile(); // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& temporaryPath() const { return temporary; }
    int takeDescriptor(); // the open descriptor of the temporary file; the caller closes it
    void commit();        // renames it to its final name; throws RenderError
    void discard();

    // Removes temporary files on SIGINT, SIGTERM and SIGHUP.
    static void installSignalHandlers();

private:
    std::string target;
    std::string temporary;
    int descriptor = -1;
    int slot = -1;
    bool done = false;
};

} // namespace render

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "ConversionReport.h"
#include "NamingRule.h"
#include "platform/FileSystemPort.h"

// The archive conversion: every song file kept flat in WorkFolder/Data moves to
// Data/<bucket>/<new name>, where the new name is "0" followed by the old name and the
// bucket is "0" followed by the old name's first character (Data/1234.kar becomes
// Data/01/01234.kar). The files are gathered in the staging folder tdata, which then
// takes the emptied Data's place.

// The application's modal message box: text and caption in UTF-8, style flags with
// Windows' values; returns the pressed button.
class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    virtual std::int32_t Show(const std::string& text, const std::string& caption, std::uint32_t flags) = 0;
};

// Runs the whole pass on `workFolder` and reports its ending through `box`, in the
// report's words (ConversionReport.h): "Ho Finito!" when the archive is in the new
// layout; a warning with what stayed behind, by cause, and what to do about each, where
// pressing again resumes; kArchiveMissing where there is no Data folder and nothing
// waits in tdata.
// After any pass, ended or killed at any point, every song is in Data (old or new
// layout) or in tdata exactly once, and every link of Data leads where it led, or to
// where the next pass puts its song. Nothing is ever deleted, copied, and no existing
// name is ever replaced; the one name ever removed is the second name a killed move
// left on a file (or link) that keeps its first. What the pass changed is on the disk
// before its closing message. An empty `workFolder` (no current folder could be
// determined) throws std::system_error before anything is touched.
void ConvertArchive(const std::string& workFolder, MessageBoxPort& box,
                    platform::FileSystemPort& fileSystem = platform::SystemFileSystem());

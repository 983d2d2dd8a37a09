#pragma once
#include <cstdint>
#include <string>
#include <string_view>

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

inline constexpr std::uint32_t kMessagePlain = 0;           // one OK button, no icon
inline constexpr std::uint32_t kMessageIconWarning = 0x30;  // MB_ICONWARNING

inline constexpr char kConversionCaption[] = "Lyrimat to Vocarium";
inline constexpr char kConversionDone[] = "Ho Finito!";
inline constexpr char kArchiveMissing[] = "Non ho trovato il vecchio Archivio in formato Lyrimat ";

// The warning for a pass that left the archive incomplete, `left` naming how many
// entries stayed in Data.
std::string IncompleteConversionText(std::size_t left);

// The naming rule. The first character is a whole UTF-8 sequence (on Windows, a whole
// UTF-16 character); a byte that starts no valid sequence counts as one character.
std::string NewFileName(std::string_view name);
std::string BucketName(std::string_view name);

// Runs the whole pass on `workFolder` and reports the outcome through `box`:
//   "Ho Finito!" (plain)  - the archive is in the new layout;
//   the warning above     - entries stayed in Data, or moved files wait in tdata
//                           because Data could not be replaced; pressing again resumes;
//   kArchiveMissing       - there is no Data folder and nothing waits in tdata.
// Nothing is ever deleted and no existing name is ever replaced. An empty
// `workFolder` (no current folder could be determined) throws std::system_error
// before anything is touched.
void ConvertArchive(const std::string& workFolder, MessageBoxPort& box);

#include "WorkFolder.h"

#include "platform/FileSystem.h"
#include "platform/WorkFolderPath.h"

std::string WorkFolder;
std::error_code WorkFolderError;

bool CaptureWorkFolder() {
    WorkFolder.clear();
    std::error_code error;
    const std::string current = platform::CurrentFolder(error);
    if (error) {
        WorkFolderError = error;
        return false;
    }
    const std::optional<std::string> folder = platform::WorkFolderPath(current);
    if (!folder) {
        WorkFolderError = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    WorkFolder = *folder;
    WorkFolderError.clear();
    return true;
}

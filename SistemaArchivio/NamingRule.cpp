#include "NamingRule.h"

#include "platform/FileSystem.h"

std::string NewFileName(std::string_view name) {
    std::string newName = "0";
    newName.append(name);
    return newName;
}

std::string BucketName(std::string_view name) {
    std::string bucket = "0";
    bucket.append(name.substr(0, platform::FirstCharacterLength(name)));
    // The karaoke program finds a file through the ordinary path rules, so the bucket
    // is named as those rules read it (on Windows Data\0.\0.intro.kar means
    // Data\0\0.intro.kar).
    return platform::AsOrdinaryPathsRead(std::move(bucket));
}

bool IsBucketName(std::string_view name) {
    if (name.empty() || name[0] != '0') return false;
    const std::string_view rest = name.substr(1);
    // Windows' bucket for a leading dot, also where a drive cannot hold "0.".
    if (rest.empty()) return true;
    return platform::FirstCharacterLength(rest) == rest.size() && BucketName(rest) == name;
}

bool WindowsHolds(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return !name.empty() && name.back() != '.' && name.back() != ' ';
}

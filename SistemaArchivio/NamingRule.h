#pragma once
#include <string>
#include <string_view>

// The naming rule of the new layout: the new name is "0" followed by the old name, and
// the bucket "0" followed by the old name's first character (Data/1234.kar becomes
// Data/01/01234.kar). The first character is a whole UTF-8 sequence (on Windows, a whole
// UTF-16 character); a byte that starts no valid sequence counts as one character.
std::string NewFileName(std::string_view name);
std::string BucketName(std::string_view name);

// A name the naming rule can give a bucket folder.
bool IsBucketName(std::string_view name);

// A name Windows can hold, as far as a bucket's two characters go: no control character,
// none of \ / : * ? " < > |, no trailing dot or blank.
bool WindowsHolds(std::string_view name);

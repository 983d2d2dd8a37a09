#pragma once
#include "base/Utf8.h"

// The platform layer's names for the codec's UTF-16 side.
namespace platform {
using base::FirstCharacterLength;
using base::Utf16ToUtf8;
using base::Utf8ToUtf16;
}  // namespace platform

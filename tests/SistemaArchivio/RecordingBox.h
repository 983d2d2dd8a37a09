#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "SistemaArchivio/ConversionPass.h"

// Stands for the application's message box: remembers every message, presses OK.
class RecordingBox : public MessageBoxPort {
public:
    struct Message {
        std::string text, caption;
        std::uint32_t flags;
        bool operator==(const Message& other) const {
            return text == other.text && caption == other.caption && flags == other.flags;
        }
        friend void PrintTo(const Message& m, std::ostream* out) {
            *out << "{\"" << m.text << "\", \"" << m.caption << "\", 0x" << std::hex << m.flags << std::dec << "}";
        }
    };

    std::int32_t Show(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        shown.push_back({text, caption, flags});
        return 1;  // IDOK
    }

    std::vector<Message> shown;
};

#pragma once

namespace forms {

// Registers the library's own classes, which a layout may name without a form field,
// and installs the message form for backends without a message box of their own.
// A program calls it once before it reads its first layout; later calls do nothing.
void RegisterStandardClasses();

}  // namespace forms

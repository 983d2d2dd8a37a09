#pragma once
// What a toolkit gives ATK's bridge through AtkUtil, kept in process globals as ATK
// keeps its one bridge a process: the root it answers, the listeners on the windows'
// events and the key listeners. Included only by the SDL backend's ATK units.
#include <atk/atk.h>

namespace forms::sdl {

// The root the bridge serves (nullptr: none), as atk_get_root answers it.
AtkObject* AtkRoot();
void SetAtkRoot(AtkObject* root);
// Puts the hooks into ATK's AtkUtil class, keeping ATK's own listeners for every
// event type but the windows'.
void InstallAtkUtil();
// Whether a client began listening to the windows' events since the last call.
bool TakeWindowsHooked();
// Whether any key listener is there, and a key event handed to every one of them:
// true when one of them took it.
bool HasKeyListeners();
bool OfferKey(AtkKeyEventStruct& event);

}  // namespace forms::sdl

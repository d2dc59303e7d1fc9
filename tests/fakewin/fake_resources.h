// The program's resource script and ids, read by the fake's menus and dialogs.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fakewin {

std::map<std::string, unsigned> ResourceIds();
std::vector<std::string> ResourceScriptLines();

// Popup plumbing shared by the fake's dialogs and pickers (fake_user.cpp).
}  // namespace fakewin

#pragma once

#include "platform/LoginItem.h"

namespace panemark {

// Brings the login item in line with what the user asked for. A failure is logged; the setting
// the user chose is not changed back.
namespace LaunchAtLogin {

void set(LoginItem& item, bool enabled);

} // namespace LaunchAtLogin

} // namespace panemark

// Prompts port: what the program asks the person at the computer, and
// which keys that person holds down.
//
// On Windows these are real message boxes and the real keyboard state; the
// in-memory machine records every box it is shown and answers from a list
// of answers prepared by the test.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace qv {

// Message box buttons and icons (MB_*); one of each may be combined.
namespace mb {
inline constexpr std::uint32_t Ok = 0x00;
inline constexpr std::uint32_t OkCancel = 0x01;
inline constexpr std::uint32_t YesNoCancel = 0x03;
inline constexpr std::uint32_t YesNo = 0x04;
inline constexpr std::uint32_t IconError = 0x10;
inline constexpr std::uint32_t IconQuestion = 0x20;
inline constexpr std::uint32_t IconWarning = 0x30;
inline constexpr std::uint32_t IconInformation = 0x40;
inline constexpr std::uint32_t ButtonsMask = 0x0F;
inline constexpr std::uint32_t IconMask = 0xF0;
}  // namespace mb

// The button that closed a message box (IDOK, ...).
namespace id {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace id

// Virtual-key codes (VK_*) of the keys the program looks at.
namespace vk {
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
}  // namespace vk

class IPrompts {
 public:
  virtual ~IPrompts() = default;

  // MessageBox(owner, text, caption, style): modal, owned by the program's
  // active window when it has one. `caption` is the whole caption (the
  // caller puts the application title in front). Returns the id::* of the
  // button that closed it; closing a box that has a Cancel button with
  // Escape or its close box gives id::Cancel, an OK-only box gives id::Ok.
  virtual int ShowMessage(std::string_view text, std::string_view caption,
                          std::uint32_t style) = 0;

  // GetKeyState(key) < 0: whether the key is held down at this moment.
  virtual bool KeyDown(int virtualKey) = 0;
};

}  // namespace qv

// The debug window: a list box that receives every debug-log line while the
// program runs interactively. It is created hidden and shown at start-up
// when asked; its pop-up menu saves the lines to a text file or clears them.
//
// A writer hands a line over by sending WM_USER with the ring slot as
// wParam, and waits until the line is in the list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/debug_log.h"

class TDebugForm : public IDebugSink {
 public:
  // Creates the window, hidden, and attaches it to the debug log.
  TDebugForm();
  // Detaches it from the debug log and destroys the window.
  ~TDebugForm() override;
  TDebugForm(const TDebugForm&) = delete;
  TDebugForm& operator=(const TDebugForm&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND List() const { return list_; }

  // Shows the window without activating anything else: centred
  // horizontally, its bottom edge on the bottom of the screen.
  void Show();

  void DebugLine(int slot) override;

  // The pop-up menu's commands. "&Save..." asks for the file first.
  void SaveWithDialog();
  bool SaveToFile(const std::string& fileName, std::string& error) const;
  void Clear();

  std::vector<std::string> Lines() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void AppendSlot(int slot);

  HWND hwnd_ = nullptr;
  HWND list_ = nullptr;
  HMENU popup_ = nullptr;
  DWORD uiThread_ = 0;
};

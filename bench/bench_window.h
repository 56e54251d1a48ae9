// The display the window benchmarks run on: Xvfb when DISPLAY is set, else the offscreen platform with a
// 1920 x 1080 screen; and the main window shown maximised at that size.
#pragma once

#include <string>

class QWidget;

namespace bench {

inline constexpr int kScreenWidth = 1920;
inline constexpr int kScreenHeight = 1080;

// Call before the application object: picks the platform and a full-stop locale for the settings files.
// `folder` receives the offscreen platform's screen description.
void PrepareDisplay(const std::string& folder);

// Shows the window maximised and waits until it is on screen. Without a window manager (a bare Xvfb) a maximise
// request is never granted, so the window is then given the screen's size itself.
void ShowMaximised(QWidget& window);

}  // namespace bench

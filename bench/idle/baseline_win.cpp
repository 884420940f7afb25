// The least a Windows tray program can cost while idle: a hidden window and a 2-second timer
// that does nothing. The idle benchmark runs it next to the monitor, started the same way.
#include <windows.h>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kPeriodMs = 2000;

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &window_proc;
  wc.hInstance = instance;
  wc.lpszClassName = "KestromIdleBaseline";
  if (!RegisterClassExA(&wc)) return 1;
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Idle baseline", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_HIDE);
  if (!SetTimer(hwnd, kTimerId, kPeriodMs, nullptr)) return 1;
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// The platform wrappers against the real system: procedures that throw, programs started with
// awkward paths and arguments, COM references and apartments.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/callback_guard.hpp"
#include "platform/com.hpp"
#include "platform/process.hpp"

using namespace kestrom;
using namespace kestrom::platform;

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr char kEchoSwitch[] = "--echo-arguments";

// Started as "<copy of this program> --echo-arguments <file> <arguments...>", the program writes
// the arguments it received, each ended by a NUL, and exits with their count before any test
// runs. The system's own splitter reads them, as every program started by us would.
[[maybe_unused]] const bool g_echo_run = [] {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv || count < 3 || std::wstring(argv[1]) != L"--echo-arguments") {
    if (argv) LocalFree(argv);
    return false;
  }
  std::string out;
  for (int i = 3; i < count; ++i) {
    char buf[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, buf, static_cast<int>(sizeof buf) - 1, nullptr, nullptr);
    out += buf;
    out += '\0';
  }
  HANDLE f = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (f != INVALID_HANDLE_VALUE) {
    WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(f);
  }
  LocalFree(argv);
  ExitProcess(static_cast<UINT>(count - 3));
}();

// Runs the steps and returns where the guard caught a fault meanwhile.
template <typename Steps>
std::vector<std::string> faults_caught(Steps steps) {
  static std::vector<std::string> caught;
  caught.clear();
  const FaultNote previous = set_fault_note([](const char* where) noexcept { caught.emplace_back(where); });
  steps();
  set_fault_note(previous);
  return caught;
}

constexpr UINT kThrowPosted = WM_APP + 1;
constexpr LRESULT kPlainTextLength = 42;

LRESULT throwing_window(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_GETTEXTLENGTH) throw std::runtime_error("fault in a window procedure");
  if (m == kThrowPosted) throw 1;
  return DefWindowProcA(w, m, wp, lp);
}

// Answers the text length with a number of its own, so a caller can tell who answered.
LRESULT plain_window(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_GETTEXTLENGTH) return kPlainTextLength;
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT throwing_subclass(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (m == WM_GETTEXTLENGTH) throw std::runtime_error("fault in a subclass procedure");
  return DefSubclassProc(w, m, wp, lp);
}

INT_PTR throwing_dialog(HWND, UINT m, WPARAM, LPARAM) {
  if (m == WM_GETTEXTLENGTH) throw std::runtime_error("fault in a dialog procedure");
  return m == WM_INITDIALOG ? TRUE : FALSE;
}

BOOL throwing_enumeration(HWND, LPARAM calls) {
  ++*reinterpret_cast<int*>(calls);
  throw std::runtime_error("fault in an enumeration");
}

DWORD throwing_thread(LPVOID) { throw std::runtime_error("fault in a thread"); }

// A window of a class registered with the given procedure, destroyed with its class.
class TestWindow {
 public:
  TestWindow(const char* class_name, WNDPROC procedure, const char* title) : class_name_(class_name) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, class_name, title, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() {
    if (window_) DestroyWindow(window_);
    UnregisterClassA(class_name_, GetModuleHandleA(nullptr));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return window_; }

 private:
  const char* class_name_;
  HWND window_ = nullptr;
};

}  // namespace

TEST(PlatformGuard, AWindowProcedureThatThrowsAnswersAsDefWindowProcAndTheProgramGoesOn) {
  TestWindow w("KtGuardedWindow", &window_procedure<&throwing_window>, "Guarded");
  ASSERT_NE(w.get(), nullptr);
  const auto caught = faults_caught([&] {
    // Sent: the answer is DefWindowProc's, the length of the title.
    EXPECT_EQ(SendMessageA(w.get(), WM_GETTEXTLENGTH, 0, 0), 7);
    // Posted: the fault happens inside DispatchMessage, deep in the system's frames.
    PostMessageA(w.get(), kThrowPosted, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, w.get(), 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  });
  EXPECT_TRUE(IsWindow(w.get()));
  EXPECT_EQ(caught, (std::vector<std::string>{"window procedure", "window procedure"}));
}

TEST(PlatformGuard, SubclassAndDialogProceduresThatThrowLeaveTheAnswerToTheSystem) {
  TestWindow w("KtPlainWindow", &window_procedure<&plain_window>, "Plain");
  ASSERT_NE(w.get(), nullptr);
  ASSERT_TRUE(SetWindowSubclass(w.get(), &subclass_procedure<&throwing_subclass>, 1, 0));
  // An empty modeless dialog: style, extended style, no controls, position and size, and
  // empty menu, class and title.
  alignas(4) WORD dialog_template[16] = {};
  const DWORD style = WS_POPUP;
  std::memcpy(dialog_template, &style, sizeof style);
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(dialog_template), nullptr,
                                           &dialog_procedure<&throwing_dialog>, 0);
  ASSERT_NE(dialog, nullptr);
  SetWindowTextA(dialog, "Dlg");

  const auto caught = faults_caught([&] {
    // The next procedure in the chain answers: the window's own.
    EXPECT_EQ(SendMessageA(w.get(), WM_GETTEXTLENGTH, 0, 0), kPlainTextLength);
    // "Not handled": the dialog manager's default answer, the title's length.
    EXPECT_EQ(SendMessageA(dialog, WM_GETTEXTLENGTH, 0, 0), 3);
  });
  RemoveWindowSubclass(w.get(), &subclass_procedure<&throwing_subclass>, 1);
  DestroyWindow(dialog);
  EXPECT_EQ(caught, (std::vector<std::string>{"subclass procedure", "dialog procedure"}));
}

TEST(PlatformGuard, AnEnumerationThatThrowsStopsAndAThreadThatThrowsExitsWithTheFailureCode) {
  TestWindow w("KtEnumWindow", &window_procedure<&plain_window>, "Enum");
  int calls = 0;
  DWORD code = 0;
  const auto caught = faults_caught([&] {
    EXPECT_FALSE(EnumWindows(&enum_windows_procedure<&throwing_enumeration>, reinterpret_cast<LPARAM>(&calls)));
    UniqueHandle thread(CreateThread(nullptr, 0, &thread_procedure<&throwing_thread>, nullptr, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WaitForSingleObject(thread.get(), kWaitMs), WAIT_OBJECT_0);
    GetExitCodeThread(thread.get(), &code);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(code, kFailedThreadExit);
  EXPECT_EQ(caught, (std::vector<std::string>{"enumeration callback", "thread procedure"}));
}

namespace {

std::string expand(const char* text) {
  char out[MAX_PATH] = {};
  ExpandEnvironmentStringsA(text, out, MAX_PATH);
  return out;
}

// A copy of this program in a folder and under a name with blanks, as programs lie under
// "C:\Program Files"; removed again with its folder.
class EchoProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = expand("%ProgramFiles%") + "\\Kestrom Platform Test";
    program_ = folder_ + "\\echo arguments.exe";
    output_ = folder_ + "\\arguments.bin";
    CreateDirectoryA(folder_.c_str(), nullptr);
    char self[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, self, static_cast<DWORD>(sizeof self));
    ASSERT_TRUE(CopyFileA(self, program_.c_str(), FALSE)) << program_;
    DeleteFileA(output_.c_str());
  }
  void TearDown() override {
    DeleteFileA(output_.c_str());
    DeleteFileA(program_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  std::vector<std::string> echoed() const {
    std::vector<std::string> out;
    HANDLE f = CreateFileA(output_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buf[4096];
    DWORD got = 0;
    std::string all;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) all.append(buf, got);
    CloseHandle(f);
    for (std::size_t start = 0, nul; (nul = all.find('\0', start)) != std::string::npos; start = nul + 1)
      out.push_back(all.substr(start, nul - start));
    return out;
  }

  // The awkward ones: blanks, nothing at all, quotes, and backslashes before a quote or the end.
  const std::vector<std::string> awkward_{"plain", "two words", "", "say \"hi\"", "trail\\",
                                          "C:\\dir with space\\", "back\\\\\"slash", "tab\there"};
  std::vector<std::string> with_switch() const {
    std::vector<std::string> all{kEchoSwitch, output_};
    all.insert(all.end(), awkward_.begin(), awkward_.end());
    return all;
  }

  std::string folder_, program_, output_;
};

}  // namespace

TEST_F(EchoProgram, AProgramStartedDirectlyReadsBackExactlyTheArgumentsGiven) {
  StartOptions options;
  options.keep_process = true;
  options.folder = folder_;
  Started started = start_program(program_, with_switch(), options);
  ASSERT_TRUE(started) << started.error;
  EXPECT_NE(started.id, 0u);
  EXPECT_EQ(exit_code_within(started, kWaitMs), awkward_.size());
  EXPECT_EQ(echoed(), awkward_);
}

TEST_F(EchoProgram, AProgramStartedThroughTheShellReadsBackExactlyTheArgumentsGiven) {
  StartOptions options;
  options.verb = "open";
  options.keep_process = true;
  Started started = start_program(program_, with_switch(), options);
  ASSERT_TRUE(started) << started.error;
  EXPECT_EQ(exit_code_within(started, kWaitMs), awkward_.size());
  EXPECT_EQ(echoed(), awkward_);
}

TEST_F(EchoProgram, AMissingProgramReturnsTheSystemsErrorAndNoProcess) {
  Started direct = start_program(folder_ + "\\missing.exe");
  EXPECT_FALSE(direct);
  EXPECT_EQ(direct.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(direct.process);

  Started shell = open_in_shell(nullptr, folder_ + "\\missing.exe");
  EXPECT_FALSE(shell);
  EXPECT_NE(shell.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(exit_code_within(shell, 0));

  // A command line kept as text runs as it is; the program path is quoted by whoever wrote it.
  Started text = start_command_line("\"" + program_ + "\" " + kEchoSwitch + " \"" + output_ + "\" one \"two three\"",
                                    [] {
                                      StartOptions o;
                                      o.keep_process = true;
                                      return o;
                                    }());
  ASSERT_TRUE(text) << text.error;
  EXPECT_EQ(exit_code_within(text, kWaitMs), 2u);
  EXPECT_EQ(echoed(), (std::vector<std::string>{"one", "two three"}));
}

namespace {

// Counts its references; the test holds the object itself, so nothing is deleted.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  long references = 1;
};

}  // namespace

TEST(PlatformCom, EachReferenceIsReleasedOnceAndAFailedApartmentIsNotUninitialised) {
  Counted object;
  {
    auto first = ComPtr<Counted>::adopt(&object);
    auto moved = std::move(first);
    EXPECT_FALSE(first);
    auto same = moved.query<IUnknown>(IID_IUnknown);
    EXPECT_TRUE(same);
    EXPECT_EQ(object.references, 2);
    EXPECT_FALSE(moved.query<IPersistFile>(IID_IPersistFile)) << "an interface the object lacks";
    EXPECT_EQ(object.references, 2);
  }
  EXPECT_EQ(object.references, 0);

  const ComApartment apartment;
  ASSERT_TRUE(apartment);
  {
    // The thread's model is chosen: a second, different choice fails and must not end COM.
    const ComApartment other(COINIT_MULTITHREADED);
    EXPECT_FALSE(other);
  }
  auto link = create_instance<IShellLinkA>(CLSID_ShellLink, IID_IShellLinkA);
  ASSERT_TRUE(link) << "COM still works on this thread";
  EXPECT_TRUE(link.query<IPersistFile>(IID_IPersistFile));
}

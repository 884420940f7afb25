// The History Log file and its report request, against the real file system and a small
// HTTP server on 127.0.0.1 that the test runs itself.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <thread>

#include "common/history_log.hpp"
#include "common/text.hpp"
#include "platform/handles.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const char* kProduct = "Software\\Orvane\\Kestrom";

class HistoryLog : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  void reset() {
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
    delete_tree(HKEY_CURRENT_USER, kOptionsKey);
    delete_value(HKEY_LOCAL_MACHINE, kProduct, "ktserver");
    delete_value(HKEY_LOCAL_MACHINE, kProduct, "ktid");
  }
  const std::string file = test_program_folder() + "\\kt_history_test.txt";
};

// One-connection HTTP server: accepts, keeps the request line, answers `answer`.
class ReportServer {
 public:
  explicit ReportServer(std::string answer) : answer_(std::move(answer)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 4);
    int len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~ReportServer() {
    closesocket(listener_);
    if (worker_.joinable()) worker_.join();
    WSACleanup();
  }
  ReportServer(const ReportServer&) = delete;
  ReportServer& operator=(const ReportServer&) = delete;

  int port() const { return port_; }
  void serve_one() {
    worker_ = std::thread([this] {
      SOCKET c = accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      std::string req;
      char buf[2048];
      while (req.find("\r\n\r\n") == std::string::npos) {
        int n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        req.append(buf, static_cast<std::size_t>(n));
      }
      request_ = req.substr(0, req.find("\r\n"));
      std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                          std::to_string(answer_.size()) + "\r\n\r\n" + answer_;
      send(c, reply.data(), static_cast<int>(reply.size()), 0);
      shutdown(c, SD_BOTH);
      closesocket(c);
    });
  }
  // True when a connection waits to be accepted (nobody called serve_one).
  bool connection_pending() {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener_, &set);
    timeval none{0, 0};
    return select(0, &set, nullptr, nullptr, &none) > 0;
  }
  std::string request() {
    if (worker_.joinable()) worker_.join();
    return request_;
  }

 private:
  std::string answer_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread worker_;
  std::string request_;
};

}  // namespace

TEST_F(HistoryLog, HistoryOptionZeroWritesNothing) {
  set_value(HKEY_CURRENT_USER, kOptionsKey, "History", "0");
  EXPECT_FALSE(write_history_to(file, "A", "B", "C", 1, 0));
  EXPECT_FALSE(exists(file));
  set_value(HKEY_CURRENT_USER, kOptionsKey, "History", "1");
  EXPECT_TRUE(write_history_to(file, "A", "B", "C", 1, 0));
  EXPECT_EQ(read_history(file).size(), 1u);
}

TEST_F(HistoryLog, ReadOnlyFileIsLeftAloneAndReportsFailure) {
  write_file(file, "kept\r\n");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  // Windows refuses the write; Wine running as root lets the owner write anyway. Either way
  // the result tells what happened and what was there stays.
  bool written = write_history_to(file, "A", "B", "C", 1, 0);
  std::string text = read_file(file);
  EXPECT_EQ(text.substr(0, 6), "kept\r\n");
  if (written)
    EXPECT_EQ(read_history(file).size(), 2u);
  else
    EXPECT_EQ(text, "kept\r\n");
  EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(HistoryLog, WriteWaitsBrieflyForTheOtherProgramsOpenFile) {
  write_file(file, "");
  platform::UniqueFile held(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  // The other program lets go of the file once the writer has set out, while it retries.
  platform::UniqueHandle writing(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  bool written = false;
  UserThread writer([&] {
    SetEvent(writing.get());
    written = write_history_to(file, "A", "B", "C", 1, 0);
  });
  ASSERT_EQ(WaitForSingleObject(writing.get(), kWaitMs), WAIT_OBJECT_0);
  held.reset();
  ASSERT_TRUE(writer.join());
  EXPECT_TRUE(written);
  EXPECT_EQ(read_history(file).size(), 1u);
}

TEST_F(HistoryLog, RecordIsSentWithEveryTextEscapedWhenAServerIsConfigured) {
  ReportServer server("1");
  set_value(HKEY_LOCAL_MACHINE, kProduct, "ktserver",
            "http://127.0.0.1:" + std::to_string(server.port()) + "/report?v=1");
  set_value(HKEY_LOCAL_MACHINE, kProduct, "ktid", "id 7&x");
  server.serve_one();
  EXPECT_TRUE(send_history("*START_Remove", "CURRENT_RUN", "a&title=b c", "C:\\x y.exe"));
  std::string req = server.request();
  EXPECT_TRUE(contains(req, "GET /report?v=1&name=")) << req;
  EXPECT_TRUE(contains(req, "&code=id%207%26x&time=")) << req;
  EXPECT_TRUE(contains(req, "&action=%2ASTART_Remove&type=CURRENT_RUN&title=a%26title%3Db%20c&path=C%3A%5Cx%20y.exe"))
      << req;
}

TEST_F(HistoryLog, ServerAnswerOtherThanOneIsAFailureAndNoServerMeansNoConnection) {
  {
    ReportServer server("0");
    set_value(HKEY_LOCAL_MACHINE, kProduct, "ktserver", "http://127.0.0.1:" + std::to_string(server.port()) + "/r?");
    server.serve_one();
    EXPECT_FALSE(send_history("START_Alert", "CURRENT_RUN", "t", "p"));
    EXPECT_FALSE(server.request().empty());
  }
  ReportServer idle("1");
  delete_value(HKEY_LOCAL_MACHINE, kProduct, "ktserver");
  EXPECT_TRUE(write_history_to(file, "A", "B", "C", 1, 0));
  EXPECT_FALSE(send_history("START_Alert", "CURRENT_RUN", "t", "p"));
  EXPECT_FALSE(idle.connection_pending());
}

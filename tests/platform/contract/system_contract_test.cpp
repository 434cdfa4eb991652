// What the program relies on from the system-information calls.
#include <atomic>
#include <thread>

#include "platform/contract/fixture.h"

namespace qv::test {
namespace {

using SystemContract = ContractTest;

TEST_P(SystemContract, VersionNamesTheKind) {
  OsVersion v;
  ASSERT_EQ(sys().Version(v), err::Success);
  EXPECT_EQ(KindOfVersion(v), bench().kind());
  EXPECT_NE(bench().kind(), okUnknown);
  EXPECT_GE(v.major, 4u);
  if (v.platform == platformid::Windows) {
    EXPECT_EQ(v.build >> 16, (v.major << 8) | v.minor);  // the high word holds the version
  }
}

TEST_P(SystemContract, NamesAndFoldersExist) {
  std::string user, computer, windows, system;
  ASSERT_EQ(sys().UserName(user), err::Success);
  ASSERT_EQ(sys().ComputerName(computer), err::Success);
  EXPECT_FALSE(user.empty());
  EXPECT_FALSE(computer.empty());
  EXPECT_LE(computer.size(), 15u);
  ASSERT_EQ(sys().WindowsFolder(windows), err::Success);
  ASSERT_EQ(sys().SystemFolder(system), err::Success);
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(system.compare(0, windows.size() + 1, windows + "\\"), 0) << system;
  for (const std::string& folder : {windows, system}) {
    std::uint32_t a = 0;
    ASSERT_EQ(files().Attributes(folder, a), err::Success) << folder;
    EXPECT_NE(a & fattr::Directory, 0u) << folder;
  }
}

TEST_P(SystemContract, ScreenMetricsAgreeWithTheDeviceCaps) {
  EXPECT_GT(sys().Metric(sm::CxScreen), 0);
  EXPECT_EQ(sys().Metric(sm::CxScreen), sys().DeviceCaps(caps::HorzRes));
  EXPECT_EQ(sys().Metric(sm::CyScreen), sys().DeviceCaps(caps::VertRes));
  EXPECT_GT(sys().DeviceCaps(caps::LogPixelsX), 0);
  EXPECT_GT(sys().DeviceCaps(caps::LogPixelsY), 0);
  EXPECT_GT(sys().DeviceCaps(caps::BitsPixel), 0);
  EXPECT_GT(sys().Metric(sm::CxIcon), 0);
}

TEST_P(SystemContract, LastErrorBelongsToTheThread) {
  // Thread creation and joining may themselves set the last error, so the
  // two threads take turns through flags and make no other call between
  // setting and reading.
  std::atomic<int> step{0};
  WinError seen = 0;
  std::thread worker([&] {
    while (step.load() != 1) std::this_thread::yield();
    sys().SetLastError(77);
    step.store(2);
    while (step.load() != 3) std::this_thread::yield();
    seen = sys().LastError();
  });
  sys().SetLastError(1234);
  step.store(1);
  while (step.load() != 2) std::this_thread::yield();
  EXPECT_EQ(sys().LastError(), 1234u);
  step.store(3);
  worker.join();
  EXPECT_EQ(seen, 77u);
}

TEST_P(SystemContract, ErrorMessagesEndWithALineBreak) {
  for (WinError code : {err::FileNotFound, err::PathNotFound, err::AccessDenied}) {
    std::string text = sys().ErrorMessage(code);
    ASSERT_GT(text.size(), 2u) << code;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
  }
  EXPECT_EQ(sys().ErrorMessage(0x20001234u), "");
}

TEST_P(SystemContract, FileTimeTextIsALocalDateAndTime) {
  // 2001-03-15 12:00:00 UTC: any time zone keeps it on a day of March 2001.
  const FileTime noon = 126291312000000000ull;
  const std::string text = sys().FileTimeText(noon);
  const auto space = text.find(' ');
  ASSERT_NE(space, std::string::npos) << text;
  EXPECT_GT(space, 0u) << text;
  EXPECT_NE(text.find(':', space), std::string::npos) << text;  // the time part
  EXPECT_NE(text.find("01"), std::string::npos) << text;       // the year
  EXPECT_EQ(sys().FileTimeText(noon), text);
  const FileTime nextDay = noon + 24ull * 3600 * 10'000'000;
  EXPECT_NE(sys().FileTimeText(nextDay), text);
  EXPECT_EQ(sys().FileTimeText(0x8000000000000000ull), "");
}

QV_CONTRACT_SUITE(SystemContract);

}  // namespace
}  // namespace qv::test

// Shared set-up of the device-component and texture tests: a fresh stand-in configuration, a
// temporary log folder and a reader for the log (as UTF-8).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "graphics/device/dg_log.h"
#include "platform/codepage/codepage.h"
#include "platform/d3d9/standin.h"

namespace dgtest {

class DGEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9standin::ResetConfig();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("dg-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    DGCarad9::SetLogFolder(folder_);
    DGCarad9::ApplyDebugOption({});
    DGCarad9::LogDepth = 0;
  }
  void TearDown() override {
    DGCarad9::ApplyDebugOption({});
    d3d9standin::ResetConfig();
    std::filesystem::remove_all(folder_);
  }
  std::string Log() const {
    std::ifstream in(folder_ / DGCarad9::kLogFileName, std::ios::binary);
    return codepage::SjisToUtf8(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }

  std::filesystem::path folder_;
};

}  // namespace dgtest

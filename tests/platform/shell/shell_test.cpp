// The shell stand-in, headless: the documents folder, opening files and addresses (caught by a
// URL handler instead of a desktop program), and the executable's folder.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell/shell.h"

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

// Receives the addresses the game asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened.push_back(url); }
};

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("nightwisp-shell-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
};

TEST_F(ShellTest, DocumentsFolderCanBeRedirected) {
  {
    ScopedEnv documents("NIGHTWISP_DOCUMENTS", folder.c_str());
    EXPECT_EQ(shell::DocumentsFolder(), folder);
  }
  // Without the redirection: the desktop's documents folder under the home folder.
  ScopedEnv documents("NIGHTWISP_DOCUMENTS", "");
  ScopedEnv home("HOME", folder.c_str());
  ScopedEnv config("XDG_CONFIG_HOME", (folder / "config").c_str());
  const std::filesystem::path found = shell::DocumentsFolder();
  EXPECT_FALSE(found.empty());
  EXPECT_EQ(found.parent_path(), folder);
}

TEST_F(ShellTest, NothingOpensWithoutAGuiApplication) {
  const std::filesystem::path file = folder / "note.txt";
  std::ofstream(file) << "text";
  EXPECT_FALSE(shell::ShellOpen(file));
  EXPECT_FALSE(shell::ShellOpen(std::string("https://example.org/")));
}

TEST_F(ShellTest, OpensFilesAndAddressesThroughTheDesktop) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // headless when run by hand, too
  int argc = 1;
  char name[] = "test_shell";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "Open");
  QDesktopServices::setUrlHandler("file", &catcher, "Open");

  const std::filesystem::path file = folder / "追加問題.txt";
  std::ofstream(file) << "text";
  EXPECT_TRUE(shell::ShellOpen(file));
  EXPECT_TRUE(shell::ShellOpen(file.string()));
  EXPECT_TRUE(shell::ShellOpen(std::string("https://example.org/nightwisp")));
  // A file that is not there, and nothing at all, are refused before the desktop sees them.
  EXPECT_FALSE(shell::ShellOpen(folder / "missing.txt"));
  EXPECT_FALSE(shell::ShellOpen(std::string()));

  QDesktopServices::unsetUrlHandler("https");
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(catcher.Opened.size(), 3u);
  EXPECT_TRUE(catcher.Opened[0].isLocalFile());
  EXPECT_EQ(catcher.Opened[0].toLocalFile().toStdString(), file.string());
  EXPECT_EQ(catcher.Opened[1], catcher.Opened[0]);
  EXPECT_EQ(catcher.Opened[2].host().toStdString(), "example.org");
}

}  // namespace

#include "shell_test.moc"

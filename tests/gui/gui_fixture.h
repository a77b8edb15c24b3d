#pragma once
// What the window tests share: a program run on files in temporary folders with the scripted
// player, and an answerer for the modal message boxes the program opens.

#include <QAbstractButton>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "gui/main_window.h"
#include "support/fake_media_player.h"
#include "support/temp_dir.h"

namespace vistrel {

// Fields: id|name|url|bitrate|type_id|homepage|country_id|genre_id|comment|rating|rated|
// workfine|notworking|wrong|duplicate|spam
inline const char* const kTestTv =
    "1|Zeta News|http://127.0.0.1/1|800|1||7|5|late news|9|2|0|0|0|0|0\r\n"
    "2|alpha TV|http://127.0.0.1/2|500|0||0|6||0|0|3|0|0|0|0\r\n"
    "3|Beta Music|http://127.0.0.1/3|128|1||7|6||4|1|0|2|0|0|0\r\n"
    "4|Rock & <Roll>|http://127.0.0.1/4|64|1||7|6||0|0|0|0|0|0|0\r\n";
// id|group|sent|name|url|bitrate|type|homepage|country|genre|comment
inline const char* const kTestUserLine =
    "100005|1|0|My Stream|http://127.0.0.1/u|256|1||7|5|mine\r\n";

// The enciphered package of the test tables, with the given TV table.
std::string TestPackage(const std::string& tv = kTestTv);

class ProgramRun {
 public:
  // Points XDG_DATA_HOME and XDG_CONFIG_HOME at fresh temporary folders.
  ProgramRun();
  ~ProgramRun();

  // A file in the data folder.
  void Put(const char* name, const std::string& bytes) const;
  std::string Get(const char* name) const;
  const std::filesystem::path& data() const { return data_; }

  // StartProgram with the scripted player; on success the window is shown and exposed.
  bool Start();

  MainWindow* window() const { return window_.get(); }
  FakeMediaPlayer* player() const { return player_; }
  template <typename T>
  T* Find(const char* object_name) const {
    return window_->findChild<T*>(object_name);
  }

 private:
  TempDir dir_;
  std::filesystem::path data_;
  FakeMediaPlayer* player_ = nullptr;
  std::unique_ptr<MainWindow> window_;
};

// Answers every modal message box that opens while it lives: notes its text and presses
// `button`. Boxes are looked for every few milliseconds from the running event loop.
class MessageBoxAnswerer : public QObject {
 public:
  explicit MessageBoxAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok);

  QStringList texts;

 private:
  QTimer timer_;
};

}  // namespace vistrel
